#include "app/ChmViewerQuery.h"
#include "app/TrayCommands.h"
#include "app/TrayMenu.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvik;

class TestTrayCommands : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_platform = std::make_unique<FakePlatform>();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = std::make_unique<Settings>(m_dir->filePath(QStringLiteral("Zarvik5.ini")));
        m_calls.clear();
    }

    // PanelPos is written by the options and exit commands, only while the panel is on.
    void panelPositionIsSavedOnlyWithThePanelOn_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("showPanel"); // "-" for absent
        QTest::addColumn<QString>("stored");    // "-" for nothing written
        for (const char* command : {"opts", "mnuexit"}) {
            QTest::addRow("%s, ShowPanel absent", command) << command << "-" << "4321.5";
            QTest::addRow("%s, ShowPanel 1", command) << command << "1" << "4321.5";
            QTest::addRow("%s, ShowPanel 0", command) << command << "0" << "-";
            QTest::addRow("%s, ShowPanel not a number reads as on", command) << command << "да" << "4321.5";
        }
    }

    void panelPositionIsSavedOnlyWithThePanelOn()
    {
        QFETCH(QString, command);
        QFETCH(QString, showPanel);
        QFETCH(QString, stored);
        if (showPanel != QLatin1String("-"))
            m_settings->write(Key::ShowPanel, showPanel);
        TrayCommands commands = make(4321.5);
        if (command == QLatin1String("opts"))
            commands.opts_Click();
        else
            commands.mnuexit_Click();

        Settings reread(m_settings->fileName()); // what is on disk, not a cached copy
        QCOMPARE(reread.text(Key::PanelPos, QStringLiteral("-")), stored);
        // The command goes on either way.
        QVERIFY(m_calls.contains(command == QLatin1String("opts") ? QStringLiteral("options")
                                                                   : QStringLiteral("quit")));
    }

    void exitSavesThenRemovesTheIconThenEnds()
    {
        TrayCommands commands = make(3000);
        commands.mnuexit_Click();
        QCOMPARE(m_calls, QStringList({QStringLiteral("panelTop"), QStringLiteral("removeIcon"),
                                       QStringLiteral("quit")}));
    }

    void helpOpensWhatTheDesktopCanShow_data()
    {
        QTest::addColumn<bool>("viewer");
        QTest::addColumn<bool>("chm");
        QTest::addColumn<bool>("html");
        QTest::addColumn<QString>("opened");
        QTest::newRow("CHM viewer registered") << true << true << true << "/zarvik.chm";
        QTest::newRow("no CHM viewer: the HTML help") << false << true << true << "/help/index.html";
        QTest::newRow("viewer but the compiled help is missing") << true << false << true << "/help/index.html";
        QTest::newRow("neither file: the compiled help's name") << false << false << false << "/zarvik.chm";
    }

    void helpOpensWhatTheDesktopCanShow()
    {
        QFETCH(bool, viewer);
        QFETCH(bool, chm);
        QFETCH(bool, html);
        QFETCH(QString, opened);
        if (chm)
            touch(QStringLiteral("zarvik.chm"));
        if (html)
            touch(QStringLiteral("help/index.html"));
        m_viewer = viewer;
        TrayCommands commands = make(0);
        commands.mnuhelp2_Click();
        QCOMPARE(m_platform->openedDocuments(), QStringList{m_dir->path() + opened});
    }

    // The desktop is asked without waiting: the call returns before any answer, and the
    // answer comes once, whatever the desktop's query program does.
    void viewerQueryNeverWaits_data()
    {
        QTest::addColumn<QString>("script"); // body of a fake xdg-mime; empty: no such program
        QTest::addColumn<bool>("registered");
        QTest::newRow("viewer for the current type") << "echo xchm.desktop" << true;
        QTest::newRow("viewer for the older type only")
            << "[ \"$3\" = application/x-chm ] && echo xchm.desktop; exit 0" << true;
        QTest::newRow("no viewer") << "exit 0" << false;
        QTest::newRow("query fails") << "echo xchm.desktop; exit 4" << false;
        QTest::newRow("hangs") << "exec sleep 30" << false;
        QTest::newRow("no such program") << QString() << false;
    }
    void viewerQueryNeverWaits()
    {
        QFETCH(QString, script);
        QFETCH(bool, registered);
        QString program = m_dir->filePath(QStringLiteral("xdg-mime"));
        if (script.isEmpty()) {
            program = m_dir->filePath(QStringLiteral("missing/xdg-mime"));
        } else {
            QFile file(program);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n" + script.toUtf8() + "\n");
            file.close();
            QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
        }
        ChmViewerQuery query(nullptr, program, 300);
        QList<bool> answers;
        query.ask([&answers](bool viewer) { answers.append(viewer); });
        QVERIFY(answers.isEmpty());
        QTRY_COMPARE(answers.size(), 1);
        QCOMPARE(answers.first(), registered);
        QTest::qWait(50);
        QCOMPARE(answers.size(), 1);
    }

    void productPageIsOpenedUnderTheVendorSite()
    {
        TrayCommands commands = make(0);
        commands.mnuonline_Click();
        QCOMPARE(m_platform->openedDocuments(), QStringList{QStringLiteral("http://www.zarvik.example/zarvik/index.htm")});
    }

    void menuHasItsItemsInOrder()
    {
        TrayCommands commands = make(0);
        TrayMenu menu(commands);
        QCOMPARE(entries(menu.mnumenu),
                 QStringList({"mnuopen Словарь...", "mnusep1 -", "opts Настройки...", "sepr -", "mnuhelp Справка",
                              "mnusep5 -", "mnujournal Журнал...", "mnusep4 -", "mnuexit Выход"}));
        QCOMPARE(entries(*menu.mnuhelp),
                 QStringList({"mnuhelp2 Справка...", "mnusep2 -", "mnuonline Zarvik 5.1 в Интернете...", "mnusep3 -",
                              "mnuabout О программе..."}));
        QCOMPARE(menu.mnumenu.defaultAction(), menu.mnuopen);
    }

    // The article item joins the menu, after its items and before «Выход» with a separator,
    // once the strip has shown a word; it names that word and opens its article.
    void articleItemNamesTheLastWord_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("opened"); // "" when nothing opens
        const QStringList original{"mnuopen Словарь...", "mnusep1 -", "opts Настройки...", "sepr -",
                                   "mnuhelp Справка", "mnusep5 -", "mnujournal Журнал...", "mnusep4 -", "mnuexit Выход"};
        QStringList with = original;
        with.insert(7, QStringLiteral("mnusep6 -"));
        with.insert(8, QStringLiteral("mnuarticle Статья: run"));
        QTest::newRow("no word shown yet: the original menu") << "" << original << "";
        QTest::newRow("a word shown") << "run" << with << "article run";
        with[8] = QStringLiteral("mnuarticle Статья: R&&B");
        QTest::newRow("an ampersand is shown, not a shortcut") << "R&B" << with << "article R&B";
    }
    void articleItemNamesTheLastWord()
    {
        QFETCH(QString, shown);
        QFETCH(QString, opened);
        m_shown = shown;
        TrayCommands commands = make(0);
        TrayMenu menu(commands);
        menu.updateArticleItem();
        QTEST(entries(menu.mnumenu), "items");
        m_calls.clear();
        commands.mnuarticle_Click();
        QCOMPARE(m_calls.filter(QStringLiteral("article")).join(QString()), opened);
        if (!menu.mnuarticle)
            return;
        // The menu's item runs the command; a later word renames the one item.
        m_calls.clear();
        menu.mnuarticle->trigger();
        QTRY_COMPARE(m_calls, QStringList{opened});
        m_shown = QStringLiteral("walk");
        menu.updateArticleItem();
        QCOMPARE(menu.mnuarticle->text(), QStringLiteral("Статья: walk"));
        QCOMPARE(entries(menu.mnumenu).size(), 11);
    }

    void menuItemsRunTheirCommands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("call");
        QTest::newRow("Словарь...") << "mnuopen" << "open";
        QTest::newRow("Настройки...") << "opts" << "options";
        QTest::newRow("О программе...") << "mnuabout" << "about";
        QTest::newRow("Журнал...") << "mnujournal" << "journal";
        QTest::newRow("Выход") << "mnuexit" << "quit";
    }

    void menuItemsRunTheirCommands()
    {
        QFETCH(QString, item);
        QFETCH(QString, call);
        TrayCommands commands = make(0);
        TrayMenu menu(commands);
        auto* action = menu.mnumenu.findChild<QAction*>(item);
        QVERIFY(action);
        action->trigger();
        QTRY_VERIFY(m_calls.contains(call));
    }

private:
    TrayCommands make(double panelTop)
    {
        TrayTargets t;
        t.panelTopTwips = [this, panelTop] {
            m_calls << QStringLiteral("panelTop");
            return panelTop;
        };
        t.openDictionary = [this] { m_calls << QStringLiteral("open"); };
        t.showOptions = [this] { m_calls << QStringLiteral("options"); };
        t.showAbout = [this] { m_calls << QStringLiteral("about"); };
        t.showJournal = [this] { m_calls << QStringLiteral("journal"); };
        t.removeTrayIcon = [this] { m_calls << QStringLiteral("removeIcon"); };
        t.quit = [this] { m_calls << QStringLiteral("quit"); };
        t.askChmViewer = [this](const std::function<void(bool)>& answer) { answer(m_viewer); };
        t.shownHeadword = [this] { return m_shown; };
        t.openArticle = [this](const QString& headword) { m_calls << QStringLiteral("article ") + headword; };
        return TrayCommands(*m_platform, *m_settings, m_dir->path(), std::move(t));
    }

    void touch(const QString& relative)
    {
        const QString path = m_dir->filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    // "name caption" per entry; separators show as "-".
    static QStringList entries(const QMenu& menu)
    {
        QStringList out;
        for (const QAction* a : menu.actions()) {
            const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
            out << name + QLatin1Char(' ') + (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        return out;
    }

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Settings> m_settings;
    QStringList m_calls;
    bool m_viewer = true;
    QString m_shown;
};

QTEST_MAIN(TestTrayCommands)
#include "tst_traycommands.moc"
