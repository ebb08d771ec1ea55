#include "panel/PanelFocusProxy.h"
#include "panel/SearchInput.h"

#include <QTest>

using namespace zarvik;

class TestPanelFocusProxy : public QObject {
    Q_OBJECT
private slots:
    void wanted_data()
    {
        QTest::addColumn<bool>("waylandSession");
        QTest::addColumn<QString>("toolkitPlatform");
        QTest::addColumn<bool>("wanted");
        QTest::newRow("Wayland session, windows on XWayland") << true << "xcb" << true;
        QTest::newRow("X11 session") << false << "xcb" << false;
        QTest::newRow("Wayland session, toolkit on the compositor") << true << "wayland" << false;
        QTest::newRow("Wayland session, no display") << true << "offscreen" << false;
        QTest::newRow("X11 session, no display") << false << "offscreen" << false;
    }
    void wanted()
    {
        QFETCH(bool, waylandSession);
        QFETCH(QString, toolkitPlatform);
        QFETCH(bool, wanted);
        QCOMPARE(PanelFocusProxy::wanted(waylandSession, toolkitPlatform), wanted);
    }

    // Keys that reach the proxy are typed into the panel's input line, as if typed there:
    // the line's own refusals and editing keys apply.
    void keysReachTheInputLine_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("thenKey");
        QTest::addColumn<QString>("line");
        QTest::newRow("letters") << "dog" << 0 << "dog";
        QTest::newRow("a refused character dropped") << "d|og" << 0 << "dog";
        QTest::newRow("Backspace edits") << "dog" << int(Qt::Key_Backspace) << "do";
    }
    void keysReachTheInputLine()
    {
        QFETCH(QString, typed);
        QFETCH(int, thenKey);
        QFETCH(QString, line);
        SearchInput input;
        PanelFocusProxy proxy(&input);
        QTest::keyClicks(&proxy, typed);
        if (thenKey != 0)
            QTest::keyClick(&proxy, Qt::Key(thenKey));
        QCOMPARE(input.text(), line);
        QCOMPARE(proxy.size(), QSize(1, 1));
    }

    void escapeReachesTheInputLine()
    {
        SearchInput input;
        PanelFocusProxy proxy(&input);
        int escapes = 0;
        connect(&input, &SearchInput::escapePressed, this, [&escapes] { ++escapes; });
        QTest::keyClick(&proxy, Qt::Key_Escape);
        QCOMPARE(escapes, 1);
    }
};

QTEST_MAIN(TestPanelFocusProxy)
#include "tst_panelfocusproxy.moc"
