#include "DictionaryDouble.h"

#include "panel/DictionaryWindow.h"
#include "panel/Form1.h"
#include "panel/PictureBox.h"
#include "panel/ResultList.h"
#include "panel/SearchInput.h"
#include "panel/SkinDressing.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QHelpEvent>
#include <memory>

using namespace zarvik;

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        m_platform = std::make_unique<FakePlatform>();
        m_platform->setScreenSize(QSize(1024, 768));
        m_settings = std::make_unique<Settings>(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        m_mainFocus = 0;
        m_loads = 0;
        // Every load gets the current skin, as the program wires it, and the test dictionary.
        m_window = std::make_unique<DictionaryWindow>(
            *m_platform, m_dir.path(),
            [this](Form1& form) {
                ++m_loads;
                form.setLister(m_dict);
                applyskin(*m_settings, m_dir.path(), form);
            },
            [this] { ++m_mainFocus; });
    }
    void cleanup()
    {
        m_window.reset();
        m_settings.reset();
        m_platform.reset();
    }

    void loadSteps()
    {
        Form1& form = m_window->form();
        QVERIFY(!form.isVisible());
        QCOMPARE(form.size(), QSize(378, 207));
        QCOMPARE(form.Data1().databaseName(), m_dir.path() + QStringLiteral("/zarvik.bdd"));
        QCOMPARE(qobject_cast<QLabel*>(form.Label3)->text(), QStringLiteral("Слово:"));
        QCOMPARE(form.Text1->geometry(), QRect(50, 30, 321, 19));
        QCOMPARE(form.List1->geometry(), QRect(8, 56, 363, 143));
        QCOMPARE(form.Picture1->geometry(), QRect(354, 0, 23, 21));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        // Dressed with the built-in skin: the released button shows before the first press.
        QCOMPARE(form.picture().size(), QSize(378, 207));
        QCOMPARE(form.Picture1->picture().cacheKey(), form.picclose->picture().cacheKey());
        QVERIFY(!form.picclose->picture().isNull());
        QVERIFY(!form.picclosepress->picture().isNull());
        QCOMPARE(m_loads, 1);
        QCOMPARE(&m_window->form(), &form); // one instance
        QCOMPARE(m_loads, 1);
    }

    // Centred on the monitor under the pointer (the window is 378 x 207 pixels).
    void firstShowingIsCentred_data()
    {
        QTest::addColumn<QList<QRect>>("monitors"); // the first primary; none: the 1024 x 768 screen
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("one screen") << QList<QRect>{} << QPoint(100, 100) << QPoint((1024 - 378) / 2, (768 - 207) / 2);
        QTest::newRow("pointer on the right monitor")
            << QList<QRect>{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)} << QPoint(1500, 900)
            << QPoint(1024 + (1280 - 378) / 2, (1024 - 207) / 2);
        QTest::newRow("pointer on a monitor left of the primary")
            << QList<QRect>{QRect(1280, 0, 1024, 768), QRect(0, 0, 1280, 1024)} << QPoint(10, 10)
            << QPoint((1280 - 378) / 2, (1024 - 207) / 2);
    }
    void firstShowingIsCentred()
    {
        QFETCH(QList<QRect>, monitors);
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, topLeft);
        if (!monitors.isEmpty())
            m_platform->setMonitors(monitors);
        m_platform->setPointer(pointer);
        m_window->show();
        Form1* form = m_window->loaded();
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QCOMPARE(form->pos(), topLeft);
        QCOMPARE(form->Text1->text(), QString());
    }

    // The lines the panel lists for the same text (see the panel's own table), written out.
    void searchMatchesThePanel_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("c") << QStringLiteral("c")
                           << QStringList{QStringLiteral("cab - такси"),      QStringLiteral("cabbage - капуста"),
                                          QStringLiteral("cable - кабель"),   QStringLiteral("cake - торт"),
                                          QStringLiteral("calf - телёнок"),   QStringLiteral("call - звать"),
                                          QStringLiteral("calm - спокойный"), QStringLiteral("camel - верблюд"),
                                          QStringLiteral("camera - камера"),  QStringLiteral("can - мочь")};
        QTest::newRow("cat") << QStringLiteral("cat")
                             << QStringList{QStringLiteral("cat - кошка"), QStringLiteral("catch - ловить"),
                                            QStringLiteral("cattle - скот")};
        QTest::newRow("no match") << QStringLiteral("zzz") << QStringList{QStringLiteral("zzz - ???")};
        QTest::newRow("question mark")
            << QStringLiteral("c?t")
            << QStringList{QStringLiteral("cat - кошка"), QStringLiteral("catch - ловить"), QStringLiteral("cattle - скот"),
                           QStringLiteral("cot - детская кроватка"), QStringLiteral("cut - резать")};
    }
    void searchMatchesThePanel()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, lines);
        m_window->show();
        Form1& form = m_window->form();
        QTest::keyClicks(form.Text1, typed);
        QCOMPARE(form.List1->lines(), lines);
        // Fixed size, ten lines fit without a scroll bar.
        QCOMPARE(form.List1->height(), 143);
        if (form.List1->count() == 10)
            QVERIFY(form.List1->visualItemRect(form.List1->item(9)).bottom() < form.List1->viewport()->height());
        QVERIFY(!form.List1->verticalScrollBar()->isVisible());
        QCOMPARE(form.size(), QSize(378, 207));
    }

    void inputRules()
    {
        m_window->show();
        Form1& form = m_window->form();
        QTest::keyClick(form.Text1, '*');
        QCOMPARE(form.Text1->text(), QString());
        QCOMPARE(form.List1->lines(), QStringList{QString()});
        QTest::keyClicks(form.Text1, QStringLiteral("c|a[]\"t"));
        QCOMPARE(form.Text1->text(), QStringLiteral("cat"));
        QTest::keyClick(form.Text1, Qt::Key_Backspace);
        QTest::keyClick(form.Text1, Qt::Key_Backspace);
        QTest::keyClick(form.Text1, Qt::Key_Backspace);
        QCOMPARE(form.List1->lines(), QStringList{QString()});
        form.Text1->setText(QStringLiteral("cat\r\n"));
        QCOMPARE(m_dict.queries.last(), QStringLiteral("cat"));
    }

    void closeButtonPicturesAndHide()
    {
        m_window->show();
        Form1& form = m_window->form();
        QTest::keyClicks(form.Text1, QStringLiteral("ca"));
        form.move(100, 120);
        const QStringList lines = form.List1->lines();
        const qint64 released = form.picclose->picture().cacheKey();
        const qint64 pressed = form.picclosepress->picture().cacheKey();
        QVERIFY(released != pressed);

        QTest::mousePress(form.Picture1, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(form.Picture1->picture().cacheKey(), pressed);
        QVERIFY(form.isVisible());
        QTest::mouseRelease(form.Picture1, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(form.Picture1->picture().cacheKey(), released);
        QVERIFY(!form.isVisible());

        // Hidden, not lost: the next showing keeps place, text and list.
        m_window->show();
        QCOMPARE(m_window->loaded(), &form);
        QVERIFY(form.isVisible());
        QCOMPARE(form.pos(), QPoint(100, 120));
        QCOMPARE(form.Text1->text(), QStringLiteral("ca"));
        QCOMPARE(form.List1->lines(), lines);
        QCOMPARE(m_loads, 1);
    }

    void releaseOutsideTheButtonDoesNotHide()
    {
        m_window->show();
        Form1& form = m_window->form();
        QTest::mousePress(form.Picture1, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(form.Picture1, Qt::LeftButton, {}, QPoint(60, 10));
        QCOMPARE(form.Picture1->picture().cacheKey(), form.picclose->picture().cacheKey());
        QVERIFY(form.isVisible());
    }

    void escapeUnloadsAndTheNextShowingStartsAfresh()
    {
        m_window->show();
        QPointer<Form1> first = m_window->loaded();
        QTest::keyClicks(first->Text1, QStringLiteral("cat"));
        first->move(10, 10);
        QTest::keyClick(first->Text1, Qt::Key_Escape);
        QVERIFY(!m_window->loaded());
        QCOMPARE(m_mainFocus, 1);
        QVERIFY(first.isNull() || !first->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());

        m_window->show();
        Form1* second = m_window->loaded();
        QVERIFY(second);
        QCOMPARE(m_loads, 2);
        QCOMPARE(second->pos(), QPoint((1024 - 378) / 2, (768 - 207) / 2));
        QCOMPARE(second->Text1->text(), QString());
        // Reloaded with the current skin's pictures, not bare.
        QCOMPARE(second->picture().size(), QSize(378, 207));
        QVERIFY(!second->Picture1->picture().isNull());
        QVERIFY(!second->picclosepress->picture().isNull());
    }

    void titleStripDragsInBothDirections()
    {
        m_window->show();
        Form1& form = m_window->form();
        const QPoint start = form.pos();
        const QPoint grab = start + QPoint(40, 8);
        form.Label4_MouseDown(Qt::LeftButton, grab);
        QVERIFY(form.dragging());
        form.Label4_MouseMove(grab + QPoint(-70, 55));
        QCOMPARE(form.pos(), start + QPoint(-70, 55));
        form.Label4_MouseMove(grab + QPoint(30, -20));
        QCOMPARE(form.pos(), start + QPoint(30, -20));
        form.Label4_MouseUp();
        QVERIFY(!form.dragging());
        form.Label4_MouseMove(grab + QPoint(200, 200));
        QCOMPARE(form.pos(), start + QPoint(30, -20));
        // Only the left button drags.
        form.Label4_MouseDown(Qt::RightButton, grab);
        QVERIFY(!form.dragging());
    }

    // A cut line shows itself whole as the tool tip of that line, as text; the rest of the
    // list keeps the list's own tool tip.
    void cutLinesShowWholeAsToolTips_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("tip");
        const QString longLine = QStringLiteral("run - ") + QStringLiteral("бег, пробег; ").repeated(8);
        QTest::newRow("short line: the list's tip") << QStringLiteral("cat - кошка") << QString();
        QTest::newRow("cut line: the whole line")
            << longLine << QStringLiteral("<p>") + longLine + QStringLiteral("</p>");
        QTest::newRow("cut line with markup shows it as text")
            << QStringLiteral("x - <b>bold</b> ").repeated(6)
            << QStringLiteral("<p>") + QStringLiteral("x - &lt;b&gt;bold&lt;/b&gt; ").repeated(6) + QStringLiteral("</p>");
    }
    void cutLinesShowWholeAsToolTips()
    {
        QFETCH(QString, line);
        QFETCH(QString, tip);
        Form1& form = m_window->form();
        m_window->show();
        form.List1->setLines({line, QStringLiteral("cat - кошка")});
        const QPoint first = form.List1->visualItemRect(form.List1->item(0)).center();
        const QPoint second = form.List1->visualItemRect(form.List1->item(1)).center();
        QCOMPARE(form.List1->lineToolTipAt(first), tip);
        QCOMPARE(form.List1->isCut(0), !tip.isEmpty());
        QCOMPARE(form.List1->lineToolTipAt(second), QString());
        QCOMPARE(form.List1->toolTip(), listToolTip());
        // What the pointer resting on each line brings up.
        const auto tipAt = [&form](QPoint at) {
            QToolTip::hideText();
            QHelpEvent help(QEvent::ToolTip, at, form.List1->viewport()->mapToGlobal(at));
            QApplication::sendEvent(form.List1->viewport(), &help);
            return QToolTip::text();
        };
        QCOMPARE(tipAt(first), tip.isEmpty() ? listToolTip() : tip);
        QCOMPARE(tipAt(second), listToolTip());
    }


    // The dictionary window opens articles as the panel does.
    void keysOpenArticles()
    {
        QStringList opened;
        Form1& form = m_window->form();
        form.setArticleHook([&opened](const QString& line) { opened.append(line); });
        m_window->show();
        QTest::keyClicks(form.Text1, QStringLiteral("cat"));
        QTest::keyClick(form.Text1, Qt::Key_Return);
        QTest::keyClick(form.Text1, Qt::Key_Down);
        QTest::keyClick(form.Text1, Qt::Key_Down);
        QTest::keyClick(form.Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::mouseDClick(form.List1->viewport(), Qt::LeftButton, {},
                           form.List1->visualItemRect(form.List1->item(2)).center());
        QCOMPARE(opened, (QStringList{QStringLiteral("cat - кошка"), QStringLiteral("catch - ловить"),
                                      QStringLiteral("cattle - скот")}));
        QCOMPARE(form.Text1->text(), QStringLiteral("cat"));
        QVERIFY(form.isVisible());
    }


    void focusStaysInTheInput()
    {
        m_window->show();
        Form1& form = m_window->form();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.List1->setFocus();
        QCOMPARE(QApplication::focusWidget(), form.Text1);
    }

private:
    QTemporaryDir m_dir;
    DictionaryDouble m_dict;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<DictionaryWindow> m_window;
    int m_mainFocus = 0;
    int m_loads = 0;
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
