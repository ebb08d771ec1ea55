#pragma once

#include <QString>
#include <functional>

namespace zarvik {

class Platform;
class Settings;

// What the tray commands act on, handed in by the main form so that the commands stay free
// of the forms themselves.
struct TrayTargets {
    // The panel's top edge in twips.
    std::function<double()> panelTopTwips;
    // "Словарь...": opens or closes the panel, or shows the dictionary window.
    std::function<void()> openDictionary;
    // The options dialog, one instance, brought forward when already open.
    std::function<void()> showOptions;
    // The about box, modal: returns when it is closed.
    std::function<void()> showAbout;
    // The journal of looked-up words, one window, brought forward when already open.
    std::function<void()> showJournal;
    // Takes the icon out of the notification area.
    std::function<void()> removeTrayIcon;
    // Ends the program.
    std::function<void()> quit;
    // Asks whether the desktop has a default program for compiled help (CHM) files and
    // returns at once; the answer comes later through the callback.
    std::function<void(std::function<void(bool)>)> askChmViewer;
    // The headword of the entry the strip last showed ("" before the first), and the
    // article window opened on an entry.
    std::function<QString()> shownHeadword;
    std::function<void(const QString&)> openArticle;
};

// The commands of the tray menu.
class TrayCommands final {
public:
    TrayCommands(Platform& platform, Settings& settings, const QString& programDir, TrayTargets targets);

    // Stores the panel's top edge as PanelPos, but only while the panel is switched on.
    void savePanelPosition();

    void mnuopen_Click();
    void opts_Click();
    void mnuhelp2_Click();
    void mnuonline_Click();
    void mnuabout_Click();
    void mnujournal_Click();
    void mnuexit_Click();
    // «Статья: run»: the article of the word the strip last showed.
    void mnuarticle_Click();
    // That word, "" while none was shown.
    QString shownHeadword() const;

    // The file the help command opens: the compiled help when the desktop can show it,
    // otherwise the HTML copy of the same help (any browser shows that).
    static QString helpTarget(const QString& programDir, bool chmViewerRegistered);

private:
    Platform& m_platform;
    Settings& m_settings;
    QString m_programDir;
    TrayTargets m_targets;
};

} // namespace zarvik
