#include "FakePopupWindow.h"
#include "TestDictionary.h"

#include "platform/Module1.h"
#include "platform/fake/FakePlatform.h"
#include "popup/CapturedWordLookup.h"
#include "popup/ClickWatcher.h"
#include "popup/HiddenState.h"
#include "popup/RussianEndings.h"
#include "settings/Settings.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace zarvik;

namespace {

constexpr WindowId kOwnWindow = 99;
const QString kUserText = QStringLiteral("user text");
const QString kUserSound = QStringLiteral("ding.wav");
const QString kSilent = QStringLiteral("/opt/zarvik/null.wav");

struct Rig {
    explicit Rig(const QString& iniPath)
        : settings(iniPath), popup(platform),
          lookup(platform, settings, state, popup, dictionary, QStringLiteral("zarvik"))
    {
        lookup.setOwnWindow(kOwnWindow);
        platform.setWindowExeName(kOwnWindow, QStringLiteral("zarvik"));
        platform.setScreenSize(QSize(1024, 768));
        platform.setPointer(QPoint(500, 400));
        platform.setRegistryValue(kDefaultSoundKey, QString(), kUserSound);
        state.oldbuffer = QString();
        dictionary.rows = {
            {QStringLiteral("book"), QStringLiteral("книга")},
            {QStringLiteral("run"), QStringLiteral("бежать"), 0, QStringLiteral("rʌn")},
            {QStringLiteral("stop"), QStringLiteral("останавливать")},
            {QStringLiteral("walk"), QStringLiteral("ходить")},
            {QStringLiteral("empty"), QString()},
            {QStringLiteral("сок"), QStringLiteral("juice")},
            {QStringLiteral("и"), QStringLiteral("пр.")},
            {QStringLiteral("go"), QStringLiteral("идти")},
            {QStringLiteral("h"), QStringLiteral("8-я буква англ. алфавита")},
            {QStringLiteral("x"), QStringLiteral("24-я буква англ. алфавита")},
        };
        dictionary.reverseRows = {
            {QStringLiteral("кошка"), QStringLiteral("cat; pussycat"), 2},
            {QStringLiteral("читать"), QStringLiteral("read"), 1},
            {QStringLiteral("воды"), QStringLiteral("waters; aquae"), 2},
            {QStringLiteral("вода"), QStringLiteral("water; aqua"), 7},
            {QStringLiteral("идти"), QStringLiteral("go"), 1},
        };
    }

    // The user (or a program) copies text; one tick of the lookup follows.
    void copy(const QString& text)
    {
        platform.setClipboardText(text);
        lookup.Timer3_Timer();
    }

    // What the click watcher leaves behind once it has sent its copy keystroke.
    void captureLeftByWatcher()
    {
        platform.setClipboardText(kUserText);
        state.oldbuffer = kUserText;
        state.mxy = QPoint(300, 200);
        state.oldwave = kUserSound;
        platform.writeRegString(kDefaultSoundKey, QString(), kSilent);
        state.startCapture(platform.clockSeconds());
        state.copyAsked(platform.clipboardOwnerChanges(), 0);
        platform.clearLog();
    }

    int soundWrites() const { return int(platform.registryWrites().size()); }

    FakePlatform platform;
    Settings settings;
    HiddenState state;
    FakePopupWindow popup;
    TestDictionary dictionary;
    CapturedWordLookup lookup;
};

// What the journal would be told, and how many strips were up when it was.
struct RecordingRecorder final : WordRecorder {
    explicit RecordingRecorder(const FakePopupWindow& popup) : popup(popup) {}
    void wordShown(const QString& headword, const QString& line, LookupSource source) override
    {
        heard << QStringLiteral("%1|%2|%3|%4")
                     .arg(headword, line)
                     .arg(source == LookupSource::DoubleClick ? "double-click"
                                                              : source == LookupSource::Copy ? "copy" : "panel")
                     .arg(popup.shown.size());
    }
    const FakePopupWindow& popup;
    QStringList heard;
};

} // namespace

class TestCapturedWordLookup : public QObject {
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

    void copiedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("queries");
        QTest::addColumn<QString>("label1");
        QTest::addColumn<QString>("label2");
        QTest::newRow("books") << "books" << QStringList{"books", "book"} << "book - " << "книга  ";
        QTest::newRow("running") << "running" << QStringList{"running", "runn", "run"} << "run - " << "бежать  ";
        QTest::newRow("stopped") << "stopped" << QStringList{"stopped", "stopp", "stop"} << "stop - "
                                 << "останавливать  ";
        QTest::newRow("run and a space") << "run " << QStringList{"run ", "run"} << "run - " << "бежать  ";
        QTest::newRow("xyz stops at two characters") << "xyz" << QStringList{"xyz", "xy"} << "xyz - " << "??? ";
        QTest::newRow("goes") << "goes" << QStringList{"goes", "goe", "go"} << "go - " << "идти  ";
        QTest::newRow("xyzzy does not come down to x")
            << "xyzzy" << QStringList{"xyzzy", "xyzz", "xyz", "xy"} << "xyzzy - " << "??? ";
        QTest::newRow("qwertyzx") << "qwertyzx" << QStringList{"qwertyzx", "qwertyz", "qwerty", "qwert", "qwer", "qw"}
                                  << "qwertyzx - " << "??? ";
        QTest::newRow("an address does not come down to h")
            << "https://example.com/some/page.html"
            << QStringList{"https://example.com/some/page.html", "https://example.com/some/page.htm",
                           "https://example.com/some/page.ht", "https://example.com/some/page.h",
                           "https://example.com/some/page.", "https://example.com/some/page",
                           "https://example.com/some/pag", "https://example.com/some/pa", "https://example.com/some/p",
                           "https://example.com/some/", "https://example.com/some", "https://example.com/som",
                           "https://example.com/so", "https://example.com/s", "https://example.com/",
                           "https://example.com", "https://example.co", "https://example.c", "https://example.",
                           "https://example", "https://exampl", "https://examp", "https://exam", "https://exa",
                           "https://ex", "https://e", "https://", "https:/", "https:", "https", "http", "htt", "ht"}
            << "https://example.com/some/page.html - " << "??? ";
        QTest::newRow("one character is looked up as it is") << "x" << QStringList{"x"} << "x - "
                                                              << "24-я буква англ. алфавита  ";
        QTest::newRow("two characters: found as they are") << "go" << QStringList{"go"} << "go - " << "идти  ";
        QTest::newRow("two characters: not cut to one") << "xq" << QStringList{"xq"} << "xq - " << "??? ";
        QTest::newRow("an ending that would leave one character ends the passes")
            << "xed" << QStringList{"xed"} << "xed - " << "??? ";
        QTest::newRow("an ending that leaves two characters")
            << "gos" << QStringList{"gos", "go"} << "go - " << "идти  ";
        QTest::newRow("found at once") << "book" << QStringList{"book"} << "book - " << "книга  ";
        QTest::newRow("headword as captured") << "Books" << QStringList{"Books", "Book"} << "Book - " << "книга  ";
        QTest::newRow("WalkIng one character a pass")
            << "WalkIng" << QStringList{"WalkIng", "WalkIn", "WalkI", "Walk"} << "Walk - " << "ходить  ";
        QTest::newRow("leading space kept in every pass")
            << " books" << QStringList{" books", " book", " boo", " bo", " b"} << " books - " << "??? ";
        QTest::newRow("double quote is a character") << "book\"" << QStringList{"book\"", "book"} << "book - "
                                                      << "книга  ";
        QTest::newRow("empty translation") << "empty" << QStringList{"empty"} << "empty - " << "  ";
    }
    void copiedText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, queries);
        QFETCH(QString, label1);
        QFETCH(QString, label2);
        Rig& r = *m_rig;

        r.copy(text);

        QCOMPARE(r.dictionary.queries, queries);
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.shown[0].label1, label1);
        QCOMPARE(r.popup.shown[0].label2, label2);
        QCOMPARE(r.popup.shown[0].pointer, QPoint(500, 400));
        QCOMPARE(r.state.wd, text);
        QCOMPARE(r.state.oldbuffer, text);
        QCOMPARE(r.popup.restarts, 1);
        QVERIFY(r.platform.clipboardWrites().isEmpty());
        QCOMPARE(r.soundWrites(), 0); // nothing saved yet: the placeholder is never written

        r.lookup.Timer3_Timer(); // unchanged clipboard: nothing more
        r.lookup.Timer3_Timer();
        QCOMPARE(r.dictionary.queries.size(), queries.size());
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.restarts, 1);
    }

    void journalHearsFoundWordsAfterTheStrip_data()
    {
        QTest::addColumn<bool>("capture");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("questions");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("copy found") << false << "book" << "1" << QStringList{"book|книга|copy|1"};
        QTest::newRow("copy shortened to its headword") << false << "Books" << "1" << QStringList{"book|книга|copy|1"};
        QTest::newRow("copy of a Russian form") << false << "кошки" << "1" << QStringList{"кошка|cat; pussycat|copy|1"};
        QTest::newRow("double-click found") << true << "running" << "1" << QStringList{"run|бежать|double-click|1"};
        QTest::newRow("miss with question marks") << false << "xyz" << "1" << QStringList{};
        QTest::newRow("miss shown as nothing") << false << "xyz" << "0" << QStringList{};
        QTest::newRow("double-click miss") << true << "xyz" << "1" << QStringList{};
    }
    void journalHearsFoundWordsAfterTheStrip()
    {
        QFETCH(bool, capture);
        QFETCH(QString, text);
        QFETCH(QString, questions);
        QFETCH(QStringList, heard);
        Rig& r = *m_rig;
        RecordingRecorder recorder(r.popup);
        r.lookup.setRecorder(&recorder);
        r.settings.write(Key::questions, questions);
        if (capture)
            r.captureLeftByWatcher();
        r.copy(text);
        QCOMPARE(recorder.heard, heard);
    }

    void lengthLimit_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("processed");
        QTest::addColumn<int>("queries"); // 50 down to 2 characters
        QTest::newRow("50 characters are looked up") << 50 << true << 49;
        QTest::newRow("51 characters are ignored") << 51 << false << 0;
    }
    void lengthLimit()
    {
        QFETCH(int, length);
        QFETCH(bool, processed);
        QFETCH(int, queries);
        Rig& r = *m_rig;
        r.state.oldbuffer = QStringLiteral("before");
        const QString text(length, QLatin1Char('q'));

        r.copy(text);

        QCOMPARE(r.dictionary.queries.size(), queries);
        QCOMPARE(r.popup.shown.size(), processed ? 1 : 0);
        QCOMPARE(r.popup.restarts, processed ? 1 : 0);
        QCOMPARE(r.state.oldbuffer, processed ? text : QStringLiteral("before"));
    }

    void twoRowRule_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("label2");
        QTest::newRow("one row: the first") << 1 << "первый  ";
        QTest::newRow("two rows: the second") << 2 << "второй  ";
        QTest::newRow("three rows: the first") << 3 << "первый  ";
        QTest::newRow("four rows: the first") << 4 << "первый  ";
    }
    void twoRowRule()
    {
        QFETCH(int, rows);
        QFETCH(QString, label2);
        Rig& r = *m_rig;
        const QStringList trans{QStringLiteral("первый"), QStringLiteral("второй"), QStringLiteral("третий"),
                                QStringLiteral("четвёртый")};
        for (int i = 0; i < rows; ++i)
            r.dictionary.rows.append({QStringLiteral("set"), trans[i]});

        r.copy(QStringLiteral("set"));

        QCOMPARE(r.state.Label2, label2);
        QCOMPARE(r.popup.shown.size(), 1);
    }

    // Russian text that the English entries lack is found among the Russian words, its
    // ending taken off; everything else ends as before.
    void russianText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reverseIndex");
        QTest::addColumn<bool>("asked"); // whether the Russian words were looked in
        QTest::addColumn<QString>("label1");
        QTest::addColumn<QString>("label2");
        QTest::newRow("dictionary form") << "кошка" << true << true << "кошка - " << "cat; pussycat  ";
        QTest::newRow("case form") << "кошки" << true << true << "кошка - " << "cat; pussycat  ";
        QTest::newRow("capitals and a full stop") << "Кошку." << true << true << "кошка - " << "cat; pussycat  ";
        QTest::newRow("verb form") << "читает" << true << true << "читать - " << "read  ";
        QTest::newRow("dictionary form beats a rarer inflected entry") << "воды" << true << true << "вода - " << "water; aqua  ";
        QTest::newRow("Russian before the English endings") << "идёт" << true << true << "идти - " << "go  ";
        QTest::newRow("plural instrumental") << "водами" << true << true << "вода - " << "water; aqua  ";
        QTest::newRow("in neither") << "собаки" << true << true << "собаки - " << "??? ";
        QTest::newRow("file without the reverse index") << "кошки" << false << true << "кошки - " << "??? ";
        QTest::newRow("English entry comes first") << "сок" << true << false << "сок - " << "juice  ";
        QTest::newRow("no Cyrillic") << "xyz" << true << false << "xyz - " << "??? ";
    }
    void russianText()
    {
        QFETCH(QString, text);
        QFETCH(bool, reverseIndex);
        QFETCH(bool, asked);
        QFETCH(QString, label1);
        QFETCH(QString, label2);
        Rig& r = *m_rig;
        if (!reverseIndex)
            r.dictionary.reverseRows.clear();

        r.copy(text);

        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.shown[0].label1, label1);
        QCOMPARE(r.popup.shown[0].label2, label2);
        QCOMPARE(!r.dictionary.reverseQueries.isEmpty(), asked);
        QVERIFY(r.dictionary.reverseQueries.size() <= 32);
    }

    void russianWithoutShorteningTriesTheWordOnly()
    {
        Rig& r = *m_rig;
        r.settings.write(Key::findword, QStringLiteral("0"));
        r.copy(QStringLiteral("кошки"));
        QCOMPARE(r.dictionary.reverseQueries, QStringList{"кошки"});
        QCOMPARE(r.popup.shown[0].label1, QStringLiteral("кошки - "));
        r.copy(QStringLiteral("кошка"));
        QCOMPARE(r.popup.shown[1].label1, QStringLiteral("кошка - "));
    }

    void options_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("queries");
        QTest::addColumn<QString>("label1"); // "" when nothing is shown
        QTest::addColumn<QString>("label2");
        QTest::addColumn<int>("restarts");
        QTest::newRow("findword 0, found at once")
            << int(Key::findword) << "0" << "book" << 1 << "book - " << "книга  " << 1;
        QTest::newRow("findword 0, one query then the miss")
            << int(Key::findword) << "0" << "books" << 1 << "books - " << "??? " << 1;
        QTest::newRow("questions 0, miss shows nothing but restarts the countdown")
            << int(Key::questions) << "0" << "xyz" << 2 << "" << "" << 1;
        QTest::newRow("questions 0, hit still shown")
            << int(Key::questions) << "0" << "books" << 2 << "book - " << "книга  " << 1;
        QTest::newRow("Buffer 0, a copy is not translated") << int(Key::Buffer) << "0" << "book" << 1 << "" << ""
                                                            << 0;
        QTest::newRow("Buffer 2 reads neither 0 nor 1: translated")
            << int(Key::Buffer) << "2" << "books" << 2 << "book - " << "книга  " << 1;
        QTest::newRow("OnClick 0 does not touch a copy")
            << int(Key::OnClick) << "0" << "books" << 2 << "book - " << "книга  " << 1;
    }
    void options()
    {
        QFETCH(int, key);
        QFETCH(QString, value);
        QFETCH(QString, text);
        QFETCH(int, queries);
        QFETCH(QString, label1);
        QFETCH(QString, label2);
        QFETCH(int, restarts);
        Rig& r = *m_rig;
        r.settings.write(Key(key), value);

        r.copy(text);

        QCOMPARE(r.dictionary.queries.size(), queries);
        if (label1.isEmpty()) {
            QVERIFY(r.popup.shown.isEmpty());
        } else {
            QCOMPARE(r.popup.shown.size(), 1);
            QCOMPARE(r.popup.shown[0].label1, label1);
            QCOMPARE(r.popup.shown[0].label2, label2);
        }
        QCOMPARE(r.popup.restarts, restarts);
        // Taken in either way, so that it is not looked at again.
        QCOMPARE(r.state.oldbuffer, text);
        r.lookup.Timer3_Timer();
        QCOMPARE(r.dictionary.queries.size(), queries);
    }

    // The transcription follows the headword only with the option on, and only then is it
    // read; the headword shown is kept for the tray menu's article item.
    void transcriptionByOption_data()
    {
        QTest::addColumn<QString>("option"); // "<absent>" for no key
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label1");
        QTest::addColumn<int>("reads");
        QTest::addColumn<QString>("shown");
        const QString absent = QStringLiteral("<absent>");
        QTest::newRow("absent: off, nothing read") << absent << "Run" << "Run - " << 0 << "run";
        QTest::newRow("0: off, nothing read") << "0" << "run" << "run - " << 0 << "run";
        QTest::newRow("1: after the headword") << "1" << "Run" << "Run [rʌn] - " << 1 << "run";
        QTest::newRow("1: entry without one") << "1" << "book" << "book - " << 1 << "book";
        QTest::newRow("1: a shortened word gets its entry's") << "1" << "runs" << "run [rʌn] - " << 1 << "run";
        QTest::newRow("1: not found, nothing read") << "1" << "xyz" << "xyz - " << 0 << "";
        // No transcription for a Russian word, but the tray's article item names its form.
        QTest::newRow("1: a Russian word has none") << "1" << "кошки" << "кошка - " << 0 << "кошка";
        QTest::newRow("not a number reads as off") << "yes" << "run" << "run - " << 0 << "run";
    }
    void transcriptionByOption()
    {
        QFETCH(QString, option);
        QFETCH(QString, text);
        Rig& r = *m_rig;
        if (option != QStringLiteral("<absent>"))
            r.settings.write(Key::ShowTranscription, option);
        r.copy(text);
        QCOMPARE(r.popup.shown.size(), 1);
        QTEST(r.popup.shown[0].label1, "label1");
        QTEST(int(r.dictionary.transcriptionQueries.size()), "reads");
        QTEST(r.state.shownHeadword, "shown");
    }

    void dontshowHidesAnEarlierStrip()
    {
        Rig& r = *m_rig;
        r.copy(QStringLiteral("book"));
        QVERIFY(r.popup.onScreen());
        r.settings.write(Key::questions, QStringLiteral("0"));

        r.copy(QStringLiteral("xyz"));

        QCOMPARE(r.state.Label1, QString()); // nothing to show
        QCOMPARE(r.state.Label2, QStringLiteral("книга  ")); // keeps its text
        QCOMPARE(r.popup.shown.size(), 1);
        QVERIFY(!r.popup.onScreen());
        QCOMPARE(r.popup.restarts, 2);
    }

    // A picture on the clipboard, or one that cannot be read, reads as ""; neither it nor a
    // blank text has a word to look up.
    void blankClipboardShowsNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("picture or empty text") << QString();
        QTest::newRow("one space") << QStringLiteral(" ");
        QTest::newRow("tabs and line breaks") << QStringLiteral("\t\r\n  ");
        QTest::newRow("no-break space") << QStringLiteral("\u00a0");
    }
    void blankClipboardShowsNothing()
    {
        QFETCH(QString, text);
        Rig& r = *m_rig;
        r.state.oldbuffer = QStringLiteral("earlier");
        r.copy(text);
        QCOMPARE(r.dictionary.queries, QStringList());
        QCOMPARE(r.popup.shown.size(), 0);
        QCOMPARE(r.state.oldbuffer, text);
        r.lookup.Timer3_Timer();
        QCOMPARE(r.popup.shown.size(), 0);
        QVERIFY(r.platform.clipboardWrites().isEmpty());
    }

    void blankCaptureIsPutBack()
    {
        Rig& r = *m_rig;
        r.captureLeftByWatcher();
        r.copy(QStringLiteral("  "));
        QCOMPARE(r.dictionary.queries, QStringList());
        QCOMPARE(r.popup.shown.size(), 0);
        QCOMPARE(r.platform.clipboardText(), kUserText);
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kUserSound);
    }

    // The copy of a capture is told by its new owner, not by its text.
    void sameTextCopiedAgain_data()
    {
        QTest::addColumn<bool>("capture");
        QTest::addColumn<int>("shown");
        QTest::newRow("a capture of the word already on the clipboard") << true << 1;
        QTest::newRow("a plain copy of the same text") << false << 0;
    }
    void sameTextCopiedAgain()
    {
        QFETCH(bool, capture);
        QFETCH(int, shown);
        Rig& r = *m_rig;
        r.captureLeftByWatcher();
        r.platform.setClipboardText(QStringLiteral("book"));
        r.state.oldbuffer = QStringLiteral("book");
        r.state.copyAsked(r.platform.clipboardOwnerChanges(), 0);
        if (!capture)
            r.state.endCapture();
        r.lookup.Timer3_Timer(); // nothing copied yet
        QCOMPARE(r.popup.shown.size(), 0);

        r.copy(QStringLiteral("book")); // the copy: a new owner, the same text

        QCOMPARE(r.popup.shown.size(), shown);
        if (capture) {
            QCOMPARE(r.popup.shown[0].label1, QStringLiteral("book - "));
            QCOMPARE(r.state.capturePhase(), CapturePhase::None);
            QCOMPARE(r.platform.clipboardText(), QStringLiteral("book"));
        }
        r.lookup.Timer3_Timer(); // putting it back is no new copy
        QCOMPARE(r.popup.shown.size(), shown);
    }

    void ownNameInApps_data()
    {
        QTest::addColumn<QString>("apps");
        QTest::addColumn<bool>("translated");
        QTest::newRow("own name listed") << "notepad.exe;zarvik;" << false;
        QTest::newRow("own name inside a longer name") << "zarvik-old;" << false;
        QTest::newRow("another program listed") << "notepad.exe;" << true;
        QTest::newRow("other letter case") << "ZARVIK;" << true;
        QTest::newRow("empty list") << "" << true;
    }
    void ownNameInApps()
    {
        QFETCH(QString, apps);
        QFETCH(bool, translated);
        Rig& r = *m_rig;
        r.settings.write(Key::Apps, apps);
        // The foreground program is not the lookup's business.
        r.state.cachedForeground = 7;
        r.state.curapp = QStringLiteral("notepad.exe");

        r.copy(QStringLiteral("book"));

        QCOMPARE(r.popup.shown.size(), translated ? 1 : 0);
        QCOMPARE(r.dictionary.queries.size(), translated ? 1 : 0);
        QCOMPARE(r.state.cachedForeground, kOwnWindow);
        QCOMPARE(r.state.curapp, std::optional<QString>(QStringLiteral("zarvik")));
    }

    void ownNameAskedOnce()
    {
        Rig& r = *m_rig;
        for (int i = 0; i < 5; ++i) {
            r.state.cachedForeground = 7; // the watcher's poll in between
            r.lookup.Timer3_Timer();
        }
        QCOMPARE(r.platform.exeNameLookups(), 1);
    }

    void ownNameWhenThePlatformCannotNameIt()
    {
        // An empty name would be excluded by any list, and nothing would ever be translated.
        Rig& r = *m_rig;
        r.platform.setWindowExeName(kOwnWindow, QString());
        r.settings.write(Key::Apps, QStringLiteral("notepad.exe;"));
        r.copy(QStringLiteral("book"));
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.state.curapp, std::optional<QString>(QStringLiteral("zarvik")));
        r.settings.write(Key::Apps, QStringLiteral("zarvik;"));
        r.copy(QStringLiteral("run"));
        QCOMPARE(r.popup.shown.size(), 1);
    }

    void capture_data()
    {
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("label1");
        QTest::addColumn<QPoint>("pointer");
        QTest::newRow("found at once: at the double-click point") << "book" << "book - " << QPoint(300, 200);
        QTest::newRow("shortened: at the pointer of the lookup") << "books" << "book - " << QPoint(500, 400);
        QTest::newRow("miss at once with findword 1: at the lookup pointer")
            << "xyz" << "xyz - " << QPoint(500, 400);
        // 51 characters are never looked up (unprocessedCaptureExpires).
        QTest::newRow("50 characters are looked up")
            << QString(50, QLatin1Char('q')) << QString(50, QLatin1Char('q')) + " - " << QPoint(500, 400);
    }
    void capture()
    {
        QFETCH(QString, copied);
        QFETCH(QString, label1);
        QFETCH(QPoint, pointer);
        Rig& r = *m_rig;
        r.captureLeftByWatcher();

        r.copy(copied);

        QCOMPARE(r.platform.clipboardWrites(), QStringList{kUserText});
        QCOMPARE(r.platform.clipboardText(), kUserText);
        QCOMPARE(r.state.oldbuffer, kUserText);
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kUserSound);
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.shown[0].label1, label1);
        QCOMPARE(r.popup.shown[0].pointer, pointer);
        QCOMPARE(r.popup.restarts, 1);
        // The sound goes back before the first query.
        QVERIFY(r.platform.log().indexOf(QStringLiteral("reg-write:") + kUserSound) <
                r.platform.log().indexOf(QStringLiteral("clipboard-write:") + kUserText));

        r.lookup.Timer3_Timer(); // the restored text is not a new copy
        QCOMPARE(r.popup.shown.size(), 1);
    }

    void captureWithOnClickZero()
    {
        Rig& r = *m_rig;
        r.settings.write(Key::OnClick, QStringLiteral("0"));
        r.popup.putOnScreen();
        r.captureLeftByWatcher();

        r.copy(QStringLiteral("book"));

        QCOMPARE(r.platform.clipboardText(), kUserText);
        QVERIFY(r.popup.shown.isEmpty());
        QCOMPARE(r.popup.restarts, 0);
        QVERIFY(r.popup.countdown); // keeps its state
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kUserSound);
    }

    void captureWithBufferZero()
    {
        // The capture branch is taken in every pass; clktrans is cleared when the tick ends.
        Rig& r = *m_rig;
        r.settings.write(Key::Buffer, QStringLiteral("0"));
        r.captureLeftByWatcher();

        r.copy(QStringLiteral("books"));

        QCOMPARE(r.platform.clipboardWrites(), (QStringList{kUserText, kUserText}));
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.shown[0].label1, QStringLiteral("book - "));
        QCOMPARE(r.popup.shown[0].pointer, QPoint(300, 200));

        r.copy(QStringLiteral("run")); // a later copy of the user's is not translated
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.state.oldbuffer, QStringLiteral("run"));
    }

    void unprocessedCaptureExpires_data()
    {
        QTest::addColumn<QString>("copied"); // what the copy keystroke left on the clipboard
        QTest::addColumn<QString>("apps");
        QTest::newRow("the copy changed nothing") << kUserText << "";
        QTest::newRow("the copy is too long") << QString(51, QLatin1Char('w')) << "";
        QTest::newRow("own program excluded") << "book" << "zarvik;";
    }
    void unprocessedCaptureExpires()
    {
        QFETCH(QString, copied);
        QFETCH(QString, apps);
        Rig& r = *m_rig;
        r.settings.write(Key::Apps, apps);
        r.captureLeftByWatcher();
        const int writesBefore = r.soundWrites();
        // A copy that changed nothing made no new owner either.
        if (copied != kUserText)
            r.platform.setClipboardText(copied);

        r.platform.advanceClock(0.96875); // just under 1 s after the keystroke
        r.lookup.Timer3_Timer();
        QCOMPARE(r.state.capturePhase(), CapturePhase::CopyAsked); // the copy may still come
        QCOMPARE(r.soundWrites(), writesBefore);

        r.platform.advanceClock(0.03125); // 1 s after the keystroke
        r.lookup.Timer3_Timer();
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kUserSound);
        QCOMPARE(r.platform.clipboardText(), kUserText);
        QVERIFY(r.popup.shown.isEmpty());
        QVERIFY(r.dictionary.queries.isEmpty());

        // The user's next copy is a plain copy: translated, and left on the clipboard.
        r.settings.write(Key::Apps, QString());
        const int clipboardWrites = int(r.platform.clipboardWrites().size());
        r.copy(QStringLiteral("run"));
        QCOMPARE(r.platform.clipboardText(), QStringLiteral("run"));
        QCOMPARE(r.platform.clipboardWrites().size(), clipboardWrites);
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.shown[0].label1, QStringLiteral("run - "));
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kUserSound);
    }

    void placeholderSoundNeverWritten()
    {
        Rig& r = *m_rig;
        r.state.startCapture(0.0); // a capture with nothing saved, long overdue
        r.state.oldbuffer = kUserText;
        r.copy(QStringLiteral("book"));
        r.copy(QStringLiteral("run"));
        for (const auto& write : r.platform.registryWrites())
            QVERIFY(write.value != QLatin1String("oldwave"));
        QCOMPARE(r.soundWrites(), 0);
    }

    void doubleClickEndToEnd()
    {
        // The watcher and the lookup together, as the timers drive them.
        Rig& r = *m_rig;
        QTimer timer2;
        ClickWatcher watcher(r.platform, r.settings, r.state, r.popup, timer2, QStringLiteral("/opt/zarvik"));
        r.state.setClk2ChangeHandler([&] { watcher.clk2_Change(); });
        r.platform.setForegroundWindow(7);
        r.platform.setWindowExeName(7, QStringLiteral("kwrite"));
        r.platform.setClipboardText(kUserText);
        r.state.oldbuffer = kUserText;
        r.platform.setPointer(QPoint(300, 200));
        // Timer3 keeps ticking inside the 0.15 s wait; the clipboard is unchanged then.
        r.platform.onProcessEvents([&] { r.lookup.Timer3_Timer(); });
        r.platform.onCopyKeystroke([&] { r.platform.setClipboardText(QStringLiteral("Books")); });
        const auto tick = [&](bool down) {
            r.platform.setLeftButtonDown(down);
            watcher.Timer1_Timer();
        };

        tick(true);
        tick(false);
        tick(true);
        QVERIFY(r.dictionary.queries.isEmpty());
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kSilent);
        r.platform.setPointer(QPoint(310, 205));
        r.lookup.Timer3_Timer();

        QCOMPARE(r.dictionary.queries, (QStringList{"Books", "Book"}));
        QCOMPARE(r.popup.shown.size(), 1);
        QCOMPARE(r.popup.shown[0].label1, QStringLiteral("Book - "));
        QCOMPARE(r.popup.shown[0].label2, QStringLiteral("книга  "));
        QCOMPARE(r.popup.shown[0].pointer, QPoint(310, 205));
        QCOMPARE(r.platform.clipboardText(), kUserText);
        QCOMPARE(r.platform.registryValue(kDefaultSoundKey, QString()), kUserSound);
        QCOMPARE(r.state.capturePhase(), CapturePhase::None);

        // The next press in the program hides the strip again.
        tick(false);
        watcher.Timer2_Timer();
        QVERIFY(r.popup.onScreen());
        tick(true);
        QVERIFY(!r.popup.onScreen());
    }
};

QTEST_GUILESS_MAIN(TestCapturedWordLookup)
#include "tst_capturedwordlookup.moc"
