#include "app/Form2.h"
#include "core/PanelControl.h"
#include "core/Units.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace zarvik;

namespace {
class OpenPanel final : public PanelControl {
public:
    int closes = 0;
    int leftTwips() const override { return 1024 * 15 - 5750; }
    void closingSequence() override { ++closes; }
};
} // namespace

class TestPopupStrip : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Form2> m_form;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        m_platform = std::make_unique<FakePlatform>();
        m_platform->setScreenSize(QSize(1024, 768));
        m_settings = std::make_unique<Settings>(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        m_form = std::make_unique<Form2>(*m_platform, *m_settings, m_dir.path());
        // The ticks are driven by hand here.
        m_form->Timer1.stop();
        m_form->Timer3.stop();
    }
    void cleanup()
    {
        m_form.reset();
        m_settings.reset();
        m_platform.reset();
    }

    void showStepLaysTheStripOut()
    {
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("book - "), QStringLiteral("книга  "), QPoint(100, 50));

        QLabel* label1 = strip.Label1();
        QLabel* label2 = strip.Label2();
        QCOMPARE(label1->text(), QStringLiteral("book - "));
        QCOMPARE(label2->text(), QStringLiteral("книга  "));
        QCOMPARE(label1->pos(), QPoint(twipsToPixels(30), twipsToPixels(30)));
        QCOMPARE(label2->x(), label1->width());
        QCOMPARE(label2->y(), label1->y());
        QCOMPARE(m_form->width(), label2->x() + label2->width());
        QCOMPARE(m_form->height(), twipsToPixels(300));
        QVERIFY(label1->y() + label1->height() <= m_form->height());
        QVERIFY(label2->width() > 0);
        // 16 pixels right of the pointer, level with it.
        QCOMPARE(m_form->pos(), QPoint(116, 50));
        QCOMPARE(strip.leftTwips(), 100 * 15 + 240);
        QCOMPARE(strip.topTwips(), 750);
        QVERIFY(m_form->isVisible());
        QVERIFY(!m_form->isActiveWindow());
        QCOMPARE(m_form->windowTitle(), QStringLiteral("book - книга  "));

        QVERIFY(label1->font().bold());
        QVERIFY(!label2->font().bold());
        for (QLabel* label : {label1, label2}) {
            const QFontMetrics metrics(label->font());
            QVERIFY2(metrics.inFontUcs4(U'к'), qPrintable(label->font().family()));
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
    }

    void showStepAtTheRightEdge()
    {
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("book - "), QStringLiteral("книга  "), QPoint(1010, 700));
        QCOMPARE(m_form->x() + m_form->width(), 1024);
        QCOMPARE(m_form->y(), 700);
    }

    void translationStaysOnOneLine()
    {
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("set - "), QStringLiteral("ставить\nнабор  "), QPoint(10, 10));
        QVERIFY(!strip.Label2()->text().contains(QLatin1Char('\n')));
        QCOMPARE(strip.Label2()->height(), strip.Label1()->height());
    }

    void countdownParksTheStrip()
    {
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("book - "), QStringLiteral("книга  "), QPoint(100, 50));
        strip.restartCountdown();
        QVERIFY(m_form->Timer4.isActive());
        QCOMPARE(m_form->Timer4.interval(), 3000);

        strip.Timer4_Timer();

        QVERIFY(!m_form->Timer4.isActive());
        QCOMPARE(strip.leftTwips(), -10000);
        QCOMPARE(strip.topTwips(), -10000);
        QCOMPARE(m_form->pos(), QPoint(twipsToPixels(-10000), twipsToPixels(-10000)));
    }

    void captureParkingIsInPixels()
    {
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("book - "), QStringLiteral("книга  "), QPoint(100, 50));
        strip.parkAtCapture();
        QCOMPARE(m_form->pos(), QPoint(-10000, -10000));
        QCOMPARE(m_form->height(), twipsToPixels(300));
        QCOMPARE(strip.leftTwips(), -150000);
    }

    void timer3ShowsThroughTheForm()
    {
        // The whole lookup, wired in the form; the form's dictionary has no rows here.
        m_form->state().oldbuffer = QString();
        m_platform->setPointer(QPoint(200, 100));
        m_platform->setClipboardText(QStringLiteral("xyz"));

        m_form->lookup().Timer3_Timer();

        QCOMPARE(m_form->strip().Label1()->text(), QStringLiteral("xyz - "));
        QCOMPARE(m_form->strip().Label2()->text(), QStringLiteral("??? "));
        QCOMPARE(m_form->pos(), QPoint(216, 100));
        QVERIFY(m_form->Timer4.isActive());
    }

    void formWiresTheHandlers()
    {
        OpenPanel panel;
        m_form->setPanel(&panel);
        m_form->state().setClk2(QStringLiteral("1"));
        QCOMPARE(panel.closes, 1);

        // Timer4 parks the strip, Timer1 polls the button; run with short intervals here.
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("book - "), QStringLiteral("книга  "), QPoint(100, 50));
        m_form->Timer4.setInterval(20);
        strip.restartCountdown();
        QTRY_COMPARE(strip.leftTwips(), -10000);
        QVERIFY(!m_form->Timer4.isActive());

        strip.showStep(QStringLiteral("book - "), QStringLiteral("книга  "), QPoint(100, 50));
        m_platform->setLeftButtonDown(true);
        m_form->Timer1.start();
        QTRY_COMPARE(strip.leftTwips(), -10000);
        QCOMPARE(m_form->state().clk, QStringLiteral("1"));
        m_form->setPanel(nullptr);
    }
};

QTEST_MAIN(TestPopupStrip)
#include "tst_popupstrip.moc"
