#include "FakePopupWindow.h"
#include "TestDictionary.h"

#include "popup/HiddenState.h"
#include "platform/fake/FakePlatform.h"
#include "popup/CapturedWordLookup.h"
#include "popup/NativeSelectionWatcher.h"
#include "settings/Settings.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace zarvik;

namespace {

const QString kX11Text = QStringLiteral("x11 clipboard");
// Where the strip goes on a 1024 x 768 monitor when the pointer is not known: the show step
// is given a point 16 pixels left of the middle, an eighth of the height above the bottom.
const QPoint kFixedPlace(512 - 16, 768 - 96);
const QPoint kPointer(500, 400);

struct Rig {
    explicit Rig(const QString& iniPath)
        : settings(iniPath), popup(platform),
          lookup(platform, settings, state, popup, dictionary, QStringLiteral("zarvik")),
          watcher(platform, lookup, [this](const QString& line) { said.append(line); })
    {
        platform.setScreenSize(QSize(1024, 768));
        platform.setPointer(kPointer);
        platform.setClipboardText(kX11Text);
        state.oldbuffer = kX11Text;
        dictionary.rows = {{QStringLiteral("book"), QStringLiteral("книга")},
                           {QStringLiteral("house"), QStringLiteral("дом")}};
        platform.setNativeSelections(NativeSelections::Watched);
        platform.setNativeSelectionHandler(
            [this](SelectionKind kind, const QString& text) { watcher.selectionChanged(kind, text); });
    }

    FakePlatform platform;
    Settings settings;
    HiddenState state;
    FakePopupWindow popup;
    TestDictionary dictionary;
    CapturedWordLookup lookup;
    QStringList said;
    NativeSelectionWatcher watcher;
};

} // namespace

Q_DECLARE_METATYPE(SelectionKind)
Q_DECLARE_METATYPE(NativeSelections)

class TestNativeSelections : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<Rig> m_rig;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        const QString ini = m_dir.filePath(QStringLiteral("Zarvik5.ini"));
        QFile::remove(ini);
        m_rig = std::make_unique<Rig>(ini);
    }
    void cleanup() { m_rig.reset(); }

    // What a native program's copy or selection shows, and what it leaves untouched.
    void nativeSelection_data()
    {
        QTest::addColumn<SelectionKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("pointerKnown");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<QString>("oldbuffer");

        const auto clip = SelectionKind::Clipboard;
        const auto primary = SelectionKind::Primary;
        const QStringList none;
        QTest::newRow("copy, pointer over a native window")
            << clip << "house" << none << false << "" << "house - |дом  " << kFixedPlace << "house";
        QTest::newRow("copy, pointer over an X11 window")
            << clip << "house" << none << true << "" << "house - |дом  " << kPointer << "house";
        QTest::newRow("copy shortened") << clip << "books" << none << false << "" << "book - |книга  " << kFixedPlace
                                        << "books";
        QTest::newRow("copy of 51 characters") << clip << QString(51, QLatin1Char('a')) << none << false << ""
                                               << "" << QPoint() << kX11Text;
        QTest::newRow("copy of 50 characters") << clip << QString(50, QLatin1Char('a')) << none << false << ""
                                               << QString(50, QLatin1Char('a')) + " - |??? " << kFixedPlace
                                               << QString(50, QLatin1Char('a'));
        QTest::newRow("copy with Buffer off") << clip << "house" << QStringList{"Buffer=0"} << false << "" << ""
                                              << QPoint() << "house";
        QTest::newRow("copy of what the X11 clipboard holds")
            << clip << kX11Text << none << false << "" << "" << QPoint() << kX11Text;
        QTest::newRow("echo of an X11 capture's copy")
            << clip << "house" << none << false << "x11 copy of house 0.5 s ago" << "" << QPoint() << kX11Text;
        QTest::newRow("same text a while after an X11 copy")
            << clip << "house" << none << false << "x11 copy of house 1.5 s ago" << "house - |дом  " << kFixedPlace
            << "house";
        QTest::newRow("other text just after an X11 copy")
            << clip << "books" << none << false << "x11 copy of house 0.5 s ago" << "book - |книга  "
            << kFixedPlace << "books";
        QTest::newRow("copy while a capture waits for its copy")
            << clip << "house" << none << false << "capture pending" << "" << QPoint() << kX11Text;
        QTest::newRow("copy with our own program excluded")
            << clip << "house" << QStringList{"Apps=zarvik"} << false << "" << "" << QPoint() << kX11Text;
        QTest::newRow("clipboard emptied") << clip << "" << none << false << "" << "" << QPoint() << "";

        QTest::newRow("one word selected") << primary << "house" << none << false << "" << "house - |дом  "
                                           << kFixedPlace << kX11Text;
        QTest::newRow("one word shortened") << primary << "books" << none << false << "" << "book - |книга  "
                                            << kFixedPlace << kX11Text;
        QTest::newRow("unknown word") << primary << "xq" << none << false << "" << "xq - |??? " << kFixedPlace
                                      << kX11Text;
        QTest::newRow("two words selected") << primary << "two words" << none << false << "" << "" << QPoint()
                                            << kX11Text;
        QTest::newRow("word and a line break") << primary << "house\n" << none << false << "" << "" << QPoint()
                                               << kX11Text;
        QTest::newRow("empty selection") << primary << "" << none << false << "" << "" << QPoint() << kX11Text;
        QTest::newRow("word of 50 characters") << primary << QString(50, QLatin1Char('b')) << none << false << ""
                                               << QString(50, QLatin1Char('b')) + " - |??? " << kFixedPlace
                                               << kX11Text;
        QTest::newRow("word of 51 characters") << primary << QString(51, QLatin1Char('b')) << none << false << ""
                                               << "" << QPoint() << kX11Text;
        QTest::newRow("Caps Lock mode") << primary << "house" << QStringList{"3clk=True"} << false << "" << ""
                                        << QPoint() << kX11Text;
        QTest::newRow("double-click captures not shown")
            << primary << "house" << QStringList{"OnClick=0"} << false << "" << "" << QPoint() << kX11Text;
        QTest::newRow("Buffer off does not matter to a selection")
            << primary << "house" << QStringList{"Buffer=0"} << false << "" << "house - |дом  " << kFixedPlace
            << kX11Text;
        QTest::newRow("word selected in an X11 program")
            << primary << "house" << none << true << "" << "" << QPoint() << kX11Text;
        QTest::newRow("selection while a capture waits")
            << primary << "house" << none << false << "capture pending" << "" << QPoint() << kX11Text;
    }
    void nativeSelection()
    {
        QFETCH(SelectionKind, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, options);
        QFETCH(bool, pointerKnown);
        QFETCH(QString, setup);
        QFETCH(QString, shown);
        QFETCH(QPoint, place);
        QFETCH(QString, oldbuffer);
        Rig& r = *m_rig;
        for (const QString& option : options) {
            const QStringList kv = option.split(QLatin1Char('='));
            for (Key key : {Key::Apps, Key::Buffer, Key::OnClick, Key::threeclk}) {
                if (Settings::keyName(key) == kv[0])
                    r.settings.write(key, kv[1]);
            }
        }
        r.platform.setCursorPosKnown(pointerKnown);
        if (setup.startsWith(QStringLiteral("x11 copy"))) {
            // An X11 program's copy of "house", then the user's text put back by the capture.
            r.platform.setClipboardText(QStringLiteral("house"));
            r.watcher.platformClipboardChanged();
            r.platform.setClipboardText(kX11Text);
            r.watcher.platformClipboardChanged();
            r.platform.advanceClock(setup.contains(QStringLiteral("0.5")) ? 0.5 : 1.5);
        } else if (setup == QStringLiteral("capture pending")) {
            r.state.startCapture(r.platform.clockSeconds());
        }
        const HiddenState& s = r.state;
        const CapturePhase captureBefore = s.capturePhase();

        r.platform.selectNatively(kind, text);

        if (shown.isEmpty()) {
            QVERIFY(r.popup.shown.isEmpty());
            QVERIFY(!r.popup.onScreen());
        } else {
            QCOMPARE(r.popup.shown.size(), 1);
            QCOMPARE(r.popup.shown[0].label1 + QLatin1Char('|') + r.popup.shown[0].label2, shown);
            QCOMPARE(r.popup.shown[0].pointer, place);
            QCOMPARE(r.popup.restarts, 1);
        }
        QCOMPARE(s.oldbuffer, oldbuffer);
        // Neither a keystroke nor a word of ours on the clipboard, and an X11 capture in
        // progress keeps its state.
        QCOMPARE(r.platform.sentKeys(), 0);
        QVERIFY(r.platform.clipboardWrites().isEmpty());
        QCOMPARE(r.platform.clipboardText(), kX11Text);
        QCOMPARE(s.capturePhase(), captureBefore);
    }

    // Where nothing watches native programs, the user hears it once; X11 programs' copies go
    // on being translated beside the pointer.
    void withoutProtocol_data()
    {
        QTest::addColumn<NativeSelections>("state");
        QTest::addColumn<int>("lines");
        QTest::newRow("x11 desktop") << NativeSelections::AllSeen << 0;
        QTest::newRow("wayland with data-control") << NativeSelections::Watched << 0;
        QTest::newRow("wayland without data-control") << NativeSelections::Unavailable << 1;
    }
    void withoutProtocol()
    {
        QFETCH(NativeSelections, state);
        QFETCH(int, lines);
        Rig& r = *m_rig;
        r.platform.setNativeSelections(state);
        r.watcher.start();
        r.watcher.start();
        QCOMPARE(r.said.size(), lines);
        if (lines)
            QCOMPARE(r.said[0], NativeSelectionWatcher::unavailableMessage());

        r.platform.setClipboardText(QStringLiteral("book"));
        r.watcher.platformClipboardChanged();
        r.lookup.Timer3_Timer();
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.shown[0].label1, QStringLiteral("book - "));
        QCOMPARE(r.popup.shown[0].pointer, kPointer);
        QCOMPARE(r.state.oldbuffer, QStringLiteral("book"));
    }
};


QTEST_MAIN(TestNativeSelections)
#include "tst_nativeselections.moc"
