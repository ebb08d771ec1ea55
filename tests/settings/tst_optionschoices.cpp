#include "settings/OptionsChoices.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvik;
using Change = OptionsChoices::PanelChange;
Q_DECLARE_METATYPE(OptionsChoices::PanelChange)

namespace {
// The ticked controls by name, so that a failing row says which control is wrong.
QString ticked(const OptionsChoices& c)
{
    QStringList on;
    const std::pair<const char*, bool> boxes[] = {
        {"splash", c.showsplash},       {"panel", c.showpanel},        {"hide5sec", c.hide5sec},
        {"lastfocus", c.hidelastfocus}, {"big", c.bigpanel},           {"buffer", c.transbuffer},
        {"click", c.transclick},        {"2clk", c.trans2clk},         {"3clk", c.trans3clk},
        {"findword", c.findword},       {"questions", c.showquestions}, {"journal", c.keepjournal},
        {"transcription", c.showtranscription}};
    for (const auto& [name, value] : boxes)
        if (value)
            on.append(QString::fromLatin1(name));
    return on.join(QLatin1Char(' '));
}
} // namespace

class TestOptionsChoices : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(iniPath()); }

    void readsTheStore_data()
    {
        QTest::addColumn<QString>("stored"); // "key=value" pairs, space-separated
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("apps"); // entries shown
        const QString defaults =
            QStringLiteral("splash panel hide5sec lastfocus buffer click 2clk findword questions journal");
        QString many = QStringLiteral("Apps=");
        for (int i = 1; i <= 55; ++i)
            many += QStringLiteral("p%1;").arg(i);
        QTest::newRow("empty store: every default") << QString() << defaults << 0;
        QTest::newRow("ShowPanel 0, OnClick 0")
            << QStringLiteral("ShowPanel=0 OnClick=0")
            << QStringLiteral("splash hide5sec lastfocus buffer 2clk findword questions journal") << 0;
        QTest::newRow("both modes True: Caps Lock wins")
            << QStringLiteral("2clk=True 3clk=True")
            << QStringLiteral("splash panel hide5sec lastfocus buffer click 3clk findword questions journal") << 0;
        QTest::newRow("both modes False: neither")
            << QStringLiteral("2clk=False 3clk=false")
            << QStringLiteral("splash panel hide5sec lastfocus buffer click findword questions journal") << 0;
        QTest::newRow("large panel, no splash")
            << QStringLiteral("bigpanel=1 ShowSplash=0")
            << QStringLiteral("panel hide5sec lastfocus big buffer click 2clk findword questions journal") << 0;
        QTest::newRow("journal off")
            << QStringLiteral("KeepJournal=0")
            << QStringLiteral("splash panel hide5sec lastfocus buffer click 2clk findword questions") << 0;
        QTest::newRow("transcription on")
            << QStringLiteral("ShowTranscription=1") << defaults + QStringLiteral(" transcription") << 0;
        QTest::newRow("transcription not a number reads as off")
            << QStringLiteral("ShowTranscription=yes") << defaults << 0;
        QTest::newRow("Apps without trailing ; loses its last name")
            << QStringLiteral("Apps=gimp;wish8.6") << defaults << 1;
        QTest::newRow("Apps with 55 names shows 51") << many << defaults << 51;
    }
    void readsTheStore()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QFETCH(int, apps);
        Settings settings(iniPath());
        for (const QString& pair : stored.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            settings.write(keyNamed(pair.section(QLatin1Char('='), 0, 0)), pair.section(QLatin1Char('='), 1));
        const OptionsChoices c = OptionsChoices::read(settings);
        QCOMPARE(ticked(c), expected);
        QCOMPARE(c.apps.size(), apps);
    }

    void programName_data()
    {
        QTest::addColumn<QString>("chosen"); // in the test's bin folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain file, letter case kept")
            << QStringLiteral("MyEditor") << QStringLiteral("MyEditor");
        QTest::newRow("link to a versioned program") << QStringLiteral("wish") << QStringLiteral("wish8.6");
        QTest::newRow("link to a link") << QStringLiteral("tclsh") << QStringLiteral("wish8.6");
        QTest::newRow("dangling link keeps its name") << QStringLiteral("gone") << QStringLiteral("gone");
    }
    void programName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        const QString bin = m_dir.filePath(QStringLiteral("bin/"));
        QDir().mkpath(bin);
        for (const char* name : {"MyEditor", "wish8.6"}) {
            QFile file(bin + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile::link(bin + QStringLiteral("wish8.6"), bin + QStringLiteral("wish"));
        QFile::link(bin + QStringLiteral("wish"), bin + QStringLiteral("tclsh"));
        QFile::link(bin + QStringLiteral("nothing"), bin + QStringLiteral("gone"));
        QCOMPARE(OptionsChoices::programName(bin + chosen), expected);
    }

    void okDecisions_data()
    {
        QTest::addColumn<QString>("previous"); // ShowPanel before OK
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<Change>("change");
        QTest::newRow("shown, cleared: hide") << QStringLiteral("1") << false << Change::Hide;
        QTest::newRow("hidden, ticked: show") << QStringLiteral("0") << true << Change::Show;
        QTest::newRow("shown, still ticked") << QStringLiteral("1") << true << Change::None;
        QTest::newRow("hand-edited 2, cleared") << QStringLiteral("2") << false << Change::None;
    }
    void okDecisions()
    {
        QFETCH(QString, previous);
        QFETCH(bool, ticked);
        QTEST(OptionsChoices::panelChange(previous, ticked), "change");
        // The skin: the selection while previewed, built-in after a failed preview, the stored
        // name when nothing is selected.
        QCOMPARE(OptionsChoices::skinToStore(true, QStringLiteral("Мята"), QStringLiteral("s")),
                 QStringLiteral("Мята"));
        QCOMPARE(OptionsChoices::skinToStore(false, QStringLiteral("broken"), QStringLiteral("s")),
                 kBuiltInSkin);
        QCOMPARE(OptionsChoices::skinToStore(true, std::nullopt, QStringLiteral("s")), QStringLiteral("s"));
    }

    // The skin is stored and applied first; the panel is shown or hidden after Apps is
    // written and before its own key; every key of the pages exists afterwards.
    void writeKeepsItsOrder()
    {
        Settings settings(iniPath());
        settings.write(Key::ShowPanel, QStringLiteral("1"));
        OptionsChoices c;
        c.apps = QStringList{QStringLiteral("wish8.6"), QStringLiteral("gimp")};
        QStringList seen;
        const auto read = [&](Key key) { return settings.text(key, QStringLiteral("-")); };
        c.write(
            settings, QStringLiteral("Мята"),
            [&] { return seen << read(Key::skinname) + QLatin1Char(' ') + read(Key::ShowSplash), true; },
            [&](Change change) {
                seen << QStringLiteral("%1 %2 %3 %4")
                            .arg(int(change))
                            .arg(read(Key::Apps), read(Key::ShowPanel), read(Key::hide5sec));
            });
        QCOMPARE(seen, (QStringList{QStringLiteral("Мята -"),
                                    QStringLiteral("%1 wish8.6;gimp; 1 -").arg(int(Change::Hide))}));
        QSettings file(iniPath(), QSettings::IniFormat);
        file.beginGroup(QStringLiteral("Options"));
        QCOMPARE(file.childKeys().size(), 14);
        QCOMPARE(file.value(QStringLiteral("KeepJournal")).toString(), QStringLiteral("0"));
        QVERIFY(!file.contains(QStringLiteral("PanelPos")));
        QCOMPARE(file.value(QStringLiteral("2clk")).toString() +
                     file.value(QStringLiteral("3clk")).toString(),
                 QStringLiteral("TrueFalse"));
    }

    // OK writes the transcription key only where the box differs from what the store reads,
    // so a store that never had the key keeps the fourteen keys of the dialog (its thirteen
    // and the journal's).
    void transcriptionKeyWrittenWhenChanged_data()
    {
        QTest::addColumn<QString>("stored"); // "<absent>" for no key
        QTest::addColumn<bool>("box");
        QTest::addColumn<QString>("after"); // "<absent>" for no key
        QTest::addColumn<int>("keys");
        QTest::newRow("absent, left off: not written") << QStringLiteral("<absent>") << false
                                                       << QStringLiteral("<absent>") << 14;
        QTest::newRow("absent, ticked: written") << QStringLiteral("<absent>") << true << QStringLiteral("1") << 15;
        QTest::newRow("on, cleared: written") << QStringLiteral("1") << false << QStringLiteral("0") << 15;
        QTest::newRow("on, left on: kept") << QStringLiteral("1") << true << QStringLiteral("1") << 15;
    }
    void transcriptionKeyWrittenWhenChanged()
    {
        QFETCH(QString, stored);
        QFETCH(bool, box);
        {
            Settings settings(iniPath());
            if (stored != QStringLiteral("<absent>"))
                settings.write(Key::ShowTranscription, stored);
            OptionsChoices c = OptionsChoices::read(settings);
            c.showtranscription = box;
            c.write(settings, kBuiltInSkin, [] { return true; }, [](Change) {});
        }
        QSettings file(iniPath(), QSettings::IniFormat);
        file.beginGroup(QStringLiteral("Options"));
        QTEST(file.value(QStringLiteral("ShowTranscription"), QStringLiteral("<absent>")).toString(), "after");
        QTEST(int(file.childKeys().size()), "keys");
    }

    // The folder changed after its preview: the built-in skin is stored and applied.
    void failedApplyFallsBackToBuiltIn()
    {
        Settings settings(iniPath());
        QStringList applied;
        OptionsChoices{}.write(
            settings, QStringLiteral("vanished"),
            [&] { return applied << settings.text(Key::skinname), applied.size() > 1; }, [](Change) {});
        QCOMPARE(applied, (QStringList{QStringLiteral("vanished"), kBuiltInSkin}));
        QCOMPARE(settings.text(Key::skinname), kBuiltInSkin);
    }

private:
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Zarvik5.ini")); }
    static Key keyNamed(const QString& name)
    {
        for (int k = 0; k <= int(Key::PanelPos); ++k)
            if (Settings::keyName(Key(k)) == name)
                return Key(k);
        qFatal("no such key");
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestOptionsChoices)
#include "tst_optionschoices.moc"
