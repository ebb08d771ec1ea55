// Whose copy is it? A capture runs end to end (click watcher and lookup together, on the fake
// platform) while copies of other programs arrive at chosen moments; the clipboard must end as
// the user had it at the capture, and only the word the capture asked for is translated.
#include "FakePopupWindow.h"
#include "TestDictionary.h"

#include "popup/HiddenState.h"
#include "platform/Module1.h"
#include "platform/fake/FakePlatform.h"
#include "popup/CapturedWordLookup.h"
#include "popup/ClickWatcher.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace zarvik;

namespace {

constexpr WindowId kOwnWindow = 99;
constexpr WindowId kEditor = 7;
constexpr WindowId kTerminal = 8;
constexpr qint64 kEditorProcess = 700;
const QString kSound = QStringLiteral("ding.wav");

struct Rig {
    explicit Rig(const QString& iniPath)
        : settings(iniPath), popup(platform), watcher(platform, settings, state, popup, timer2, "/opt/zarvik"),
          lookup(platform, settings, state, popup, dictionary, QStringLiteral("zarvik"))
    {
        timer2.setInterval(400);
        lookup.setOwnWindow(kOwnWindow);
        platform.setWindowExeName(kOwnWindow, QStringLiteral("zarvik"));
        platform.setWindowExeName(kEditor, QStringLiteral("kwrite"));
        platform.setWindowProcess(kEditor, kEditorProcess);
        platform.setWindowExeName(kTerminal, QStringLiteral("xterm"));
        platform.setRegistryValue(kDefaultSoundKey, QString(), kSound);
        dictionary.rows = {{QStringLiteral("book"), QStringLiteral("книга")}};
        // A new owner runs the lookup at once, as the main form wires it.
        platform.setClipboardOwnerChangeHandler([this] { lookup.Timer3_Timer(); });
    }

    // One event of a row: "WHEN ACTION [TEXT] [PROCESS]". WHEN is s (before the double-click),
    // wN (at the Nth dispatch of the capture's waits), k (inside the copy keystroke) or a (after
    // the capture returns). ACTION is copy (a program copies TEXT), empty (the owner ends:
    // nobody owns it) or process (the editor's process is PROCESS; 0: it cannot be told).
    void perform(const QString& event)
    {
        const QStringList part = event.split(QLatin1Char(' '));
        if (part.at(1) == QLatin1String("process"))
            platform.setWindowProcess(kEditor, part.at(2).toLongLong());
        else if (part.at(1) == QLatin1String("copy"))
            platform.copyByAnotherProgram(part.at(2), part.value(3).toLongLong());
        else
            platform.copyByAnotherProgram(QString(), 0);
    }
    void performAt(const QString& when, const QStringList& events)
    {
        for (const QString& event : events) {
            if (event.section(QLatin1Char(' '), 0, 0) == when)
                perform(event);
        }
    }

    FakePlatform platform;
    Settings settings;
    HiddenState state;
    FakePopupWindow popup;
    QTimer timer2;
    TestDictionary dictionary;
    ClickWatcher watcher;
    CapturedWordLookup lookup;
};

} // namespace

class TestCaptureOwnership : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void theClipboardEndsAsTheUserHadIt_data()
    {
        QTest::addColumn<QString>("before");     // the clipboard at the double-click ("" none)
        QTest::addColumn<bool>("terminal");      // the double-click is in a terminal
        QTest::addColumn<int>("saveResult");     // what the save comes to
        QTest::addColumn<int>("saveDispatches"); // dispatches until it does
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("after");      // the clipboard at the end ("" none)
        QTest::addColumn<QString>("shown");      // the strips shown, their first labels
        QTest::addColumn<int>("keys");           // copy keystrokes sent

        const int saved = int(ClipboardSave::Saved);
        QTest::newRow("plain capture") << "user text" << false << saved << 3
                                       << QStringList{"k copy book 700"} << "user text" << "book - " << 1;
        QTest::newRow("a copy still on its way lands in the pause: it is the user's")
            << "older text" << false << saved << 20 << QStringList{"w5 copy RACE-USER-TEXT-0123 500", "k copy book 700"}
            << "RACE-USER-TEXT-0123"
            << "book - " << 1;
        QTest::newRow("a copy on its way lands while the save waits for it")
            << "older text" << false << saved << 60 << QStringList{"w40 copy RACE-USER-TEXT-0123 500", "k copy book 700"}
            << "RACE-USER-TEXT-0123"
            << "book - " << 1;
        // The save is done long before the pause ends; a copy after it is newer than what it
        // read, and is what the user has at the end.
        QTest::newRow("a copy in the pause after the save is done: the newest copy stays")
            << "older text" << false << saved << 3 << QStringList{"w10 copy NEWEST-COPY 500", "k copy book 700"}
            << "NEWEST-COPY"
            << "book - " << 1;
        QTest::newRow("a copy in the pause, another while it is saved again: the last stays")
            << "older text" << false << saved << 4
            << QStringList{"w10 copy NEWER-COPY 500", "w17 copy NEWEST-COPY 600", "k copy book 700"} << "NEWEST-COPY"
            << "book - " << 1;
        QTest::newRow("another program's copy after the keystroke is not the word")
            << "user text" << false << saved << 3 << QStringList{"a copy other 600"} << "other" << "" << 1;
        QTest::newRow("another program's copy after the word stays")
            << "user text" << false << saved << 3 << QStringList{"k copy book 700", "a copy other 600"} << "other"
            << "book - |other - " << 1;
        QTest::newRow("an empty clipboard stays empty") << "" << false << saved << 3
                                                        << QStringList{"k copy book 700"} << "" << "book - " << 1;
        QTest::newRow("an owner that ends in the pause leaves it empty")
            << "SECRET-PASSWORD-42" << false << saved << 10 << QStringList{"w2 empty", "k copy book 700"} << ""
            << "book - " << 1;
        QTest::newRow("an owner that cannot be told still counts after the keystroke")
            << "user text" << false << saved << 3 << QStringList{"k copy book 0"} << "user text" << "book - " << 1;
        // Where the double-clicked program's process cannot be told, the time alone decides:
        // any copy after the keystroke is the word, whoever made it.
        QTest::newRow("a program that cannot be told: its copy is the word")
            << "user text" << false << saved << 3 << QStringList{"s process 0", "k copy book 700"} << "user text"
            << "book - " << 1;
        QTest::newRow("a program that cannot be told: another's copy after the keystroke is taken")
            << "user text" << false << saved << 3 << QStringList{"s process 0", "a copy other 600"} << "user text"
            << "other - " << 1;
        QTest::newRow("terminal: the selection we copied is the word")
            << "user text" << true << saved << 3 << QStringList{} << "user text" << "book - " << 0;
        QTest::newRow("save incomplete: no capture") << "user text" << false << int(ClipboardSave::Incomplete) << 3
                                                     << QStringList{} << "user text" << "" << 0;
        QTest::newRow("save too large: no capture") << "user text" << false << int(ClipboardSave::TooLarge) << 3
                                                    << QStringList{} << "user text" << "" << 0;
        QTest::newRow("save never done in time: no capture")
            << "user text" << false << saved << 100000 << QStringList{} << "user text" << "" << 0;
    }
    void theClipboardEndsAsTheUserHadIt()
    {
        QFETCH(QString, before);
        QFETCH(bool, terminal);
        QFETCH(int, saveResult);
        QFETCH(int, saveDispatches);
        QFETCH(QStringList, events);
        QFETCH(QString, after);
        QFETCH(QString, shown);
        QFETCH(int, keys);
        QFile::remove(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        Rig r(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        r.performAt(QStringLiteral("s"), events);
        r.platform.setForegroundWindow(terminal ? kTerminal : kEditor);
        r.platform.setPrimaryText(QStringLiteral("book"));
        r.platform.copyByAnotherProgram(before, before.isEmpty() ? 0 : 500);
        r.popup.shown.clear(); // the user's own copy, translated as any copy is
        r.platform.setClipboardSaveResult(ClipboardSave(saveResult), saveDispatches);
        int dispatch = 0;
        r.platform.onProcessEvents([&] { r.performAt(QStringLiteral("w%1").arg(++dispatch), events); });
        r.platform.onCopyKeystroke([&] { r.performAt(QStringLiteral("k"), events); });

        for (const bool down : {true, false, true}) {
            r.platform.setLeftButtonDown(down);
            r.watcher.Timer1_Timer();
        }
        r.performAt(QStringLiteral("a"), events);
        // The lookup's ticks until any capture has expired.
        for (int i = 0; i < 40; ++i) {
            r.platform.advanceClock(0.05);
            r.lookup.Timer3_Timer();
        }

        QCOMPARE(r.platform.sentKeys(), keys);
        QCOMPARE(r.platform.clipboardText(), after);
        if (after.isEmpty())
            QCOMPARE(r.platform.clipboardTextProcess(), qint64(0));
        QStringList labels;
        for (const auto& strip : r.popup.shown)
            labels.append(strip.label1);
        QCOMPARE(labels.join(QLatin1Char('|')), shown);
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kSound);
    }
};

QTEST_GUILESS_MAIN(TestCaptureOwnership)
#include "tst_captureownership.moc"
