#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace zarvik {

class Settings;

// What the options dialog shows and stores, apart from the skin: the state of every control
// of its pages. The rules of the dialog that need no widget live here.
struct OptionsChoices {
    bool showsplash = false;
    QStringList apps; // List1
    bool showpanel = false;
    bool hide5sec = false;
    bool hidelastfocus = false;
    bool bigpanel = false;
    bool transbuffer = false;
    bool transclick = false;
    bool trans2clk = true; // as designed, the plain double-click mode is selected
    bool trans3clk = false;
    bool findword = false;
    bool showquestions = false;
    bool showtranscription = false;
    bool keepjournal = false;

    // The controls as the dialog opens them from the store.
    static OptionsChoices read(const Settings& settings);

    // The two click modes are one choice: setting a button on clears the other, setting it
    // off leaves the other alone. They are set in this order, plain mode first, so both
    // flags on leave the Caps Lock mode selected and both off select neither.
    static std::pair<bool, bool> clickModes(bool twoclk, bool threeclk);

    // At most 50 programs are added through the dialog; a longer list read from the store
    // is kept but not lengthened.
    static constexpr int kMaxAddedPrograms = 50;
    static bool canAddProgram(const QStringList& apps) { return apps.size() < kMaxAddedPrograms; }
    // The name under which a chosen program is listed: the file name of the executable it
    // runs, as the platform reports a running program's name (links are followed, so that
    // choosing /usr/bin/wish lists "wish8.6").
    static QString programName(const QString& chosenPath);
    // The name is in the list already, letter case aside.
    static bool isListed(const QStringList& apps, const QString& name);

    // What OK does to the panel: the previous ShowPanel, read with the new state as its
    // default, against the new state.
    enum class PanelChange { None, Hide, Show };
    static PanelChange panelChange(const QString& previousShowPanel, bool showpanel);

    // The skin OK stores: the selected entry while the preview is visible, the built-in skin
    // after a failed preview. Without a selection (the stored skin is not among the folders)
    // the stored name is kept.
    static QString skinToStore(bool previewVisible, const std::optional<QString>& selected,
                               const QString& stored);

    // OK: stores `skin` and applies it (`applySkin` returns whether every picture loaded; if
    // not, the folder changed since the preview and the built-in skin is stored and applied),
    // then every key of the pages in their order, with the panel shown or hidden after Apps.
    void write(Settings& settings, const QString& skin, const std::function<bool()>& applySkin,
               const std::function<void(PanelChange)>& changePanel) const;
};

} // namespace zarvik
