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
    bool isOpenPosition() const override { return true; }
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

    // The strip stays on the monitor under the pointer. `right` is where its right edge must
    // stand when it is pushed flush with a monitor's edge, 0 where it stands 16 px right of
    // the pointer.
    void showStepOnTheMonitorUnderThePointer_data()
    {
        QTest::addColumn<QList<QRect>>("monitors");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("top");
        // A 1024 x 768 monitor with a taller 1280 x 1024 one right of it.
        const QList<QRect> two{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
        QTest::newRow("one screen, right edge") << QList<QRect>{} << QPoint(1010, 700) << 1024 << 700;
        QTest::newRow("first monitor, at the edge to the second") << two << QPoint(1010, 300) << 1024 << 300;
        QTest::newRow("first monitor, below it the screen goes on") << two << QPoint(500, 760) << 0 << 768 - 20;
        QTest::newRow("second monitor, bottom right corner") << two << QPoint(2290, 1010) << 2304 << 1024 - 20;
        QTest::newRow("second monitor, lower than the first ends") << two << QPoint(1100, 900) << 0 << 900;
    }
    void showStepOnTheMonitorUnderThePointer()
    {
        QFETCH(QList<QRect>, monitors);
        QFETCH(QPoint, pointer);
        QFETCH(int, right);
        QFETCH(int, top);
        if (!monitors.isEmpty())
            m_platform->setScreenSize(QSize(2304, 1024));
        m_platform->setMonitors(monitors);
        m_form->strip().showStep(QStringLiteral("book - "), QStringLiteral("книга  "), pointer);
        if (right != 0)
            QCOMPARE(m_form->x() + m_form->width(), right);
        else
            QCOMPARE(m_form->x(), pointer.x() + 16);
        QCOMPARE(m_form->y(), top);
        QCOMPARE(m_form->height(), 20);
    }

    void translationStaysOnOneLine()
    {
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("set - "), QStringLiteral("ставить\nнабор  "), QPoint(10, 10));
        QVERIFY(!strip.Label2()->text().contains(QLatin1Char('\n')));
        QCOMPARE(strip.Label2()->height(), strip.Label1()->height());
    }

    // Whatever a translation holds, the strip shows it as plain text on one line, in its own
    // direction, no longer than its bound; the window's title stays short.
    void hostileTranslationsShowPlain_data()
    {
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QString>("shown");
        const QString cat = QStringLiteral("кошка");
        QTest::newRow("right-to-left override") << QStringLiteral("\u202Eкошка  ") << cat + QStringLiteral("  ");
        QTest::newRow("embeddings and their end")
            << QStringLiteral("\u202Bко\u202Aш\u202Cка") << cat;
        QTest::newRow("left-to-right override") << QStringLiteral("\u202Dкошка\u202C") << cat;
        QTest::newRow("isolates") << QStringLiteral("\u2067ко\u2066шк\u2068а\u2069") << cat;
        QTest::newRow("direction marks") << QStringLiteral("\u200Fкош\u200Eка\u061C") << cat;
        QTest::newRow("Hebrew keeps its letters and order")
            << QStringLiteral("\u05E9\u05DC\u05D5\u05DD") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
        QTest::newRow("line and paragraph separators")
            << QStringLiteral("a\r\nb\u2028c\u2029d\u0085e") << QStringLiteral("a b c d e");
        // A line shows at most 1000 characters.
        QTest::newRow("20 MB translation is cut")
            << QString(10'000'000, QLatin1Char('w')) << QString(1000, QLatin1Char('w')) + QChar(0x2026);
        QTest::newRow("a character pair is not split at the cut")
            << QString(999, QLatin1Char('w')) + QStringLiteral("\U0001F600tail")
            << QString(999, QLatin1Char('w')) + QChar(0x2026);
        QTest::newRow("exactly the bound is not cut")
            << QString(1000, QLatin1Char('w')) << QString(1000, QLatin1Char('w'));
        QTest::newRow("one past the bound is cut")
            << QString(1001, QLatin1Char('w')) << QString(1000, QLatin1Char('w')) + QChar(0x2026);
    }
    void hostileTranslationsShowPlain()
    {
        QFETCH(QString, translation);
        QFETCH(QString, shown);
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("cat - "), translation, QPoint(10, 10));
        QCOMPARE(strip.Label2()->text(), shown);
        QVERIFY(m_form->windowTitle().startsWith(QStringLiteral("cat - ")));
        QVERIFY(m_form->windowTitle().size() <= 121); // 120 characters and "…"
    }

    // A translation wider than the monitor wraps within it: the strip stays on the monitor,
    // the headword on its first line, the text whole. A short one keeps its single line.
    void longLineWrapsWithinTheMonitor_data()
    {
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<bool>("wraps");
        const QString words = QStringLiteral("бег, пробег; короткая поездка; ").repeated(20);
        QTest::newRow("words, pointer at the left") << words << QPoint(10, 10) << true;
        QTest::newRow("words, pointer at the bottom right") << words << QPoint(1020, 765) << true;
        QTest::newRow("one endless word") << QString(600, QChar(0x0436)) << QPoint(500, 300) << true;
        QTest::newRow("short line") << QStringLiteral("бег  ") << QPoint(500, 300) << false;
    }
    void longLineWrapsWithinTheMonitor()
    {
        QFETCH(QString, translation);
        QFETCH(QPoint, pointer);
        QFETCH(bool, wraps);
        PopupStrip& strip = m_form->strip();
        strip.showStep(QStringLiteral("run - "), translation, pointer);
        QCOMPARE(strip.Label2()->text(), translation);
        QVERIFY(m_form->x() >= 0);
        QVERIFY(m_form->y() >= 0);
        QVERIFY2(m_form->x() + m_form->width() <= 1024, qPrintable(QString::number(m_form->width())));
        QVERIFY(m_form->y() + m_form->height() <= 768);
        QCOMPARE(strip.Label1()->text(), QStringLiteral("run - "));
        QCOMPARE(strip.Label2()->y(), strip.Label1()->y());
        if (wraps) {
            QCOMPARE(m_form->width(), 1024);
            QVERIFY(m_form->height() > 20);
            // Every line of the label lies inside the strip.
            QVERIFY(strip.Label2()->y() + strip.Label2()->height() <= m_form->height());
        } else {
            QCOMPARE(m_form->height(), 20);
            QCOMPARE(m_form->pos(), pointer + QPoint(16, 0));
        }
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
        m_form->state().setClk2(true);
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
        QVERIFY(m_form->state().clk);
        m_form->setPanel(nullptr);
    }
};

QTEST_MAIN(TestPopupStrip)
#include "tst_popupstrip.moc"
