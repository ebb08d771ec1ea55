#pragma once

#include <QMenu>
#include <QPoint>

class QAction;

namespace zarvik {

class TrayCommands;

// The tray menu `mnumenu`: never a menu bar, only popped up at the pointer, with
// "Словарь..." as its default item in bold. Each item runs its command on TrayCommands.
class TrayMenu final {
public:
    explicit TrayMenu(TrayCommands& commands);
    ~TrayMenu();
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    // Pops the menu up at the given screen pixel (the pointer) and returns at once.
    void popup(QPoint at);
    // Names the word the strip last showed in the article item. The item and its separator
    // join the menu, before its last separator and «Выход», only once a word was shown: until
    // then the menu is exactly its original items. Run by every pop-up.
    void updateArticleItem();

    QMenu mnumenu;
    QAction* mnuopen = nullptr;
    QAction* mnusep1 = nullptr;
    QAction* opts = nullptr;
    QAction* sepr = nullptr;
    QMenu* mnuhelp = nullptr;
    QAction* mnuhelp2 = nullptr;
    QAction* mnusep2 = nullptr;
    QAction* mnuonline = nullptr;
    QAction* mnusep3 = nullptr;
    QAction* mnuabout = nullptr;
    QAction* mnusep5 = nullptr;
    QAction* mnujournal = nullptr;
    QAction* mnusep4 = nullptr;
    QAction* mnuexit = nullptr;
    // After «Журнал...»: a separator and «Статья: <word>»; null until a word was shown. The
    // items that are always there keep their places, so a user's keyboard path to them holds.
    QAction* mnusep6 = nullptr;
    QAction* mnuarticle = nullptr;

private:
    TrayCommands& m_commands;
};

} // namespace zarvik
