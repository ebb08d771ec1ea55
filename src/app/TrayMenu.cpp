#include "app/TrayMenu.h"

#include "app/TrayCommands.h"

#include <QAction>

namespace zarvik {

namespace {

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

TrayMenu::TrayMenu(TrayCommands& commands)
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

void TrayMenu::popup(QPoint at)
{
    mnumenu.setDefaultAction(mnuopen);
    mnumenu.popup(at);
}

} // namespace zarvik
