#include "app/TrayMenu.h"

#include "app/TrayCommands.h"

#include "dictionary/DisplayText.h"

#include <QAction>

namespace zarvik {

namespace {

// The most characters of the word the article item names.
constexpr int kArticleCaptionChars = 40;

QAction* separator(QMenu& menu, const char* name)
{
    QAction* action = menu.addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* item(QMenu& menu, const char* name, const QString& caption)
{
    QAction* action = menu.addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

TrayMenu::TrayMenu(TrayCommands& commands) : m_commands(commands)
{
    mnumenu.setObjectName(QStringLiteral("mnumenu"));
    mnumenu.setTitle(QStringLiteral("menu"));
    mnuopen = item(mnumenu, "mnuopen", QStringLiteral("Словарь..."));
    mnusep1 = separator(mnumenu, "mnusep1");
    opts = item(mnumenu, "opts", QStringLiteral("Настройки..."));
    sepr = separator(mnumenu, "sepr");
    mnuhelp = mnumenu.addMenu(QStringLiteral("Справка"));
    mnuhelp->setObjectName(QStringLiteral("mnuhelp"));
    mnuhelp2 = item(*mnuhelp, "mnuhelp2", QStringLiteral("Справка..."));
    mnusep2 = separator(*mnuhelp, "mnusep2");
    mnuonline = item(*mnuhelp, "mnuonline", QStringLiteral("Zarvik 5.1 в Интернете..."));
    mnusep3 = separator(*mnuhelp, "mnusep3");
    mnuabout = item(*mnuhelp, "mnuabout", QStringLiteral("О программе..."));
    mnusep5 = separator(mnumenu, "mnusep5");
    mnujournal = item(mnumenu, "mnujournal", QStringLiteral("Журнал..."));
    mnusep4 = separator(mnumenu, "mnusep4");
    mnuexit = item(mnumenu, "mnuexit", QStringLiteral("Выход"));
    // The default item, drawn in bold by the menu.
    mnumenu.setDefaultAction(mnuopen);

    // Queued: the menu closes and hands the pointer back before a command opens a window
    // (the about box runs its own modal loop and must not run inside the menu's).
    const auto run = [this](QAction* action, void (TrayCommands::*command)(), TrayCommands& target) {
        QObject::connect(action, &QAction::triggered, &mnumenu, [&target, command] { (target.*command)(); },
                         Qt::QueuedConnection);
    };
    run(mnuopen, &TrayCommands::mnuopen_Click, commands);
    run(opts, &TrayCommands::opts_Click, commands);
    run(mnuhelp2, &TrayCommands::mnuhelp2_Click, commands);
    run(mnuonline, &TrayCommands::mnuonline_Click, commands);
    run(mnuabout, &TrayCommands::mnuabout_Click, commands);
    run(mnujournal, &TrayCommands::mnujournal_Click, commands);
    run(mnuexit, &TrayCommands::mnuexit_Click, commands);
}

TrayMenu::~TrayMenu() = default;

void TrayMenu::updateArticleItem()
{
    const QString headword = m_commands.shownHeadword();
    if (headword.isEmpty())
        return;
    if (!mnuarticle) {
        mnusep6 = new QAction(&mnumenu);
        mnusep6->setSeparator(true);
        mnusep6->setObjectName(QStringLiteral("mnusep6"));
        mnuarticle = new QAction(&mnumenu);
        mnuarticle->setObjectName(QStringLiteral("mnuarticle"));
        mnumenu.insertAction(mnusep4, mnusep6);
        mnumenu.insertAction(mnusep4, mnuarticle);
        QObject::connect(mnuarticle, &QAction::triggered, &mnumenu, [this] { m_commands.mnuarticle_Click(); },
                         Qt::QueuedConnection);
    }
    // A menu caption takes "&" for a shortcut mark; the word is shown as it is, and short.
    QString word = DisplayText::line(headword, kArticleCaptionChars);
    word.replace(QLatin1Char('&'), QStringLiteral("&&"));
    mnuarticle->setText(QStringLiteral("Статья: ") + word);
}

void TrayMenu::popup(QPoint at)
{
    updateArticleItem();
    mnumenu.setDefaultAction(mnuopen);
    mnumenu.popup(at);
}

} // namespace zarvik
