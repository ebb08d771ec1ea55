#include "settings/OptionsChoices.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvik;

Q_DECLARE_METATYPE(OptionsChoices::PanelChange)

namespace {

// The ticked controls by name, so that a failing row says which control is wrong.
QString ticked(const OptionsChoices& c)
{
    QStringList on;
    const std::pair<const char*, bool> boxes[] = {
        {"splash", c.showsplash},  {"panel", c.showpanel}, {"hide5sec", c.hide5sec},     {"lastfocus", c.hidelastfocus},
        {"big", c.bigpanel},       {"buffer", c.transbuffer}, {"click", c.transclick}, {"2clk", c.trans2clk},
        {"3clk", c.trans3clk},     {"findword", c.findword}, {"questions", c.showquestions}};
    for (const auto& [name, value] : boxes)
        if (value)
            on.append(QString::fromLatin1(name));
    return on.join(QLatin1Char(' '));
}

const QString kAllDefaults = QStringLiteral("splash panel hide5sec lastfocus buffer click 2clk findword questions");

} // namespace

class TestOptionsChoices : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(iniPath());
    }

    // Keys are written as "key=value" pairs; the store is otherwise empty.
    void readsTheStore_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("apps");
        QTest::newRow("empty store: every default") << QStringList{} << kAllDefaults << QStringList{};
        QTest::newRow("ShowPanel 0, OnClick 0")
            << QStringList{QStringLiteral("ShowPanel=0"), QStringLiteral("OnClick=0")}
            << QStringLiteral("splash hide5sec lastfocus buffer 2clk findword questions") << QStringList{};
        QTest::newRow("both click modes True: Caps Lock mode wins")
            << QStringList{QStringLiteral("2clk=True"), QStringLiteral("3clk=True")}
            << QStringLiteral("splash panel hide5sec lastfocus buffer click 3clk findword questions") << QStringList{};
        QTest::newRow("both click modes False: neither")
            << QStringList{QStringLiteral("2clk=False"), QStringLiteral("3clk=False")}
            << QStringLiteral("splash panel hide5sec lastfocus buffer click findword questions") << QStringList{};
        QTest::newRow("numeric option flags") << QStringList{QStringLiteral("2clk=0"), QStringLiteral("3clk=1")}
                                              << QStringLiteral("splash panel hide5sec lastfocus buffer click 3clk "
                                                                "findword questions")
                                              << QStringList{};
        QTest::newRow("everything off")
            << QStringList{QStringLiteral("ShowSplash=0"), QStringLiteral("ShowPanel=0"), QStringLiteral("hide5sec=0"),
                           QStringLiteral("lastfocus=0"), QStringLiteral("bigpanel=0"), QStringLiteral("Buffer=0"),
                           QStringLiteral("OnClick=0"), QStringLiteral("findword=0"), QStringLiteral("questions=0")}
            << QStringLiteral("2clk") << QStringList{};
        QTest::newRow("large panel on") << QStringList{QStringLiteral("bigpanel=1")}
                                        << QStringLiteral("splash panel hide5sec lastfocus big buffer click 2clk findword questions")
                                        << QStringList{};
        QTest::newRow("Apps without trailing ; loses its last name")
            << QStringList{QStringLiteral("Apps=gimp.bin;wish8.6")} << kAllDefaults
            << QStringList{QStringLiteral("gimp.bin")};
        QStringList many;
        for (int i = 1; i <= 55; ++i)
            many.append(QStringLiteral("p%1").arg(i));
        QTest::newRow("Apps with 55 names shows 51")
            << QStringList{QStringLiteral("Apps=") + many.join(QLatin1Char(';')) + QLatin1Char(';')} << kAllDefaults
            << many.mid(0, 51);
    }
    void readsTheStore()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, expected);
        QFETCH(QStringList, apps);
        {
            Settings settings(iniPath());
            for (const QString& pair : stored) {
                const qsizetype eq = pair.indexOf(QLatin1Char('='));
                settings.write(keyNamed(pair.left(eq)), pair.mid(eq + 1));
            }
        }
        Settings settings(iniPath());
        const OptionsChoices c = OptionsChoices::read(settings);
        QCOMPARE(ticked(c), expected);
        QCOMPARE(c.apps, apps);
    }

    void programName_data()
    {
        QTest::addColumn<QString>("chosen"); // relative to the test folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain file, letter case kept") << QStringLiteral("bin/MyEditor") << QStringLiteral("MyEditor");
        QTest::newRow("link to a versioned program") << QStringLiteral("bin/wish") << QStringLiteral("wish8.6");
        QTest::newRow("link to a link") << QStringLiteral("bin/tclsh") << QStringLiteral("wish8.6");
        QTest::newRow("dangling link keeps its name") << QStringLiteral("bin/gone") << QStringLiteral("gone");
    }
    void programName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString bin = dir.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        for (const char* name : {"MyEditor", "wish8.6"}) {
            QFile file(bin + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(bin + QStringLiteral("/wish8.6"), bin + QStringLiteral("/wish")));
        QVERIFY(QFile::link(bin + QStringLiteral("/wish"), bin + QStringLiteral("/tclsh")));
        QVERIFY(QFile::link(bin + QStringLiteral("/nothing"), bin + QStringLiteral("/gone")));
        QCOMPARE(OptionsChoices::programName(dir.filePath(chosen)), expected);
    }

    void addingPrograms_data()
    {
        QTest::addColumn<int>("listed"); // entries p1.. pN already in the list
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("canAdd");
        QTest::addColumn<bool>("duplicate");
        QTest::newRow("empty list") << 0 << QStringLiteral("gimp") << true << false;
        QTest::newRow("same name in other letter case") << 3 << QStringLiteral("P2") << true << true;
        QTest::newRow("name that only contains a listed one") << 3 << QStringLiteral("p22") << true << false;
        QTest::newRow("49 listed: the 50th may be added") << 49 << QStringLiteral("x") << true << false;
        QTest::newRow("50 listed: the 51st is refused") << 50 << QStringLiteral("x") << false << false;
        QTest::newRow("51 read from the store") << 51 << QStringLiteral("x") << false << false;
    }
    void addingPrograms()
    {
        QFETCH(int, listed);
        QFETCH(QString, name);
        QFETCH(bool, canAdd);
        QFETCH(bool, duplicate);
        QStringList apps;
        for (int i = 1; i <= listed; ++i)
            apps.append(QStringLiteral("p%1").arg(i));
        QCOMPARE(OptionsChoices::canAddProgram(apps), canAdd);
        QCOMPARE(OptionsChoices::isListed(apps, name), duplicate);
    }

    void panelChange_data()
    {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<OptionsChoices::PanelChange>("change");
        using C = OptionsChoices::PanelChange;
        QTest::newRow("shown, cleared: hide") << QStringLiteral("1") << false << C::Hide;
        QTest::newRow("hidden, ticked: show") << QStringLiteral("0") << true << C::Show;
        QTest::newRow("shown, still ticked") << QStringLiteral("1") << true << C::None;
        QTest::newRow("hidden, still cleared") << QStringLiteral("0") << false << C::None;
        QTest::newRow("hand-edited 2, cleared") << QStringLiteral("2") << false << C::None;
        QTest::newRow("not a number") << QStringLiteral("yes") << true << C::None;
    }
    void panelChange()
    {
        QFETCH(QString, previous);
        QFETCH(bool, ticked);
        QFETCH(OptionsChoices::PanelChange, change);
        QCOMPARE(OptionsChoices::panelChange(previous, ticked), change);
    }

    void skinToStore_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QString>("selected"); // "" for no selection
        QTest::addColumn<QString>("expected");
        QTest::newRow("previewed folder") << true << QStringLiteral("Тёмный") << QStringLiteral("Тёмный");
        QTest::newRow("failed preview: built-in") << false << QStringLiteral("broken") << kBuiltInSkin;
        QTest::newRow("no selection: stored name kept") << true << QString() << QStringLiteral("Stored");
        QTest::newRow("no selection after a failure") << false << QString() << kBuiltInSkin;
    }
    void skinToStore()
    {
        QFETCH(bool, visible);
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        const std::optional<QString> choice = selected.isEmpty() ? std::nullopt : std::optional(selected);
        QCOMPARE(OptionsChoices::skinToStore(visible, choice, QStringLiteral("Stored")), expected);
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
        c.write(
            settings, QStringLiteral("Тёмный"),
            [&] {
                seen << QStringLiteral("apply %1 splash=%2")
                            .arg(settings.text(Key::skinname), settings.text(Key::ShowSplash, QStringLiteral("-")));
                return true;
            },
            [&](OptionsChoices::PanelChange change) {
                seen << QStringLiteral("panel %1 apps=%2 ShowPanel=%3 hide5sec=%4")
                            .arg(int(change))
                            .arg(settings.text(Key::Apps), settings.text(Key::ShowPanel),
                                 settings.text(Key::hide5sec, QStringLiteral("-")));
            });
        QCOMPARE(seen, (QStringList{QStringLiteral("apply Тёмный splash=-"),
                                    QStringLiteral("panel %1 apps=wish8.6;gimp; ShowPanel=1 hide5sec=-")
                                        .arg(int(OptionsChoices::PanelChange::Hide))}));
        QSettings file(iniPath(), QSettings::IniFormat);
        file.beginGroup(QStringLiteral("Options"));
        QCOMPARE(file.childKeys().size(), 13);
        QVERIFY(!file.contains(QStringLiteral("PanelPos")));
        QCOMPARE(file.value(QStringLiteral("2clk")).toString(), QStringLiteral("True"));
        QCOMPARE(file.value(QStringLiteral("3clk")).toString(), QStringLiteral("False"));
        QCOMPARE(file.value(QStringLiteral("ShowPanel")).toString(), QStringLiteral("0"));
    }

    void emptyListStoresEmptyText()
    {
        Settings settings(iniPath());
        settings.write(Key::Apps, QStringLiteral("old;"));
        OptionsChoices{}.write(settings, kBuiltInSkin, [] { return true; }, [](OptionsChoices::PanelChange) {});
        QCOMPARE(settings.text(Key::Apps, QStringLiteral("<absent>")), QString());
    }

    // The folder changed after its preview: the built-in skin is stored and applied.
    void failedApplyFallsBackToBuiltIn()
    {
        Settings settings(iniPath());
        QStringList applied;
        OptionsChoices{}.write(
            settings, QStringLiteral("vanished"),
            [&] {
                applied << settings.text(Key::skinname);
                return applied.size() > 1;
            },
            [](OptionsChoices::PanelChange) {});
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
