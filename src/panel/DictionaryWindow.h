#pragma once

#include <QPointer>
#include <QString>
#include <functional>

namespace zarvik {

class Form1;
class Platform;

// Owns the one dictionary window: loads it when it is first addressed, shows it, and unloads
// it when Escape closes it.
//
// A window loaded again after Escape gets the current skin's pictures at once (the load hook
// runs at every load), so it never comes back bare; its position, input and list start
// afresh, as after the first load.
class DictionaryWindow final {
public:
    // Runs on every freshly loaded window: gives it the current skin's pictures (and in
    // tests another dictionary).
    using LoadHook = std::function<void(Form1&)>;

    DictionaryWindow(Platform& platform, const QString& programDir, LoadHook onLoad,
                     std::function<void()> focusMainForm = {});
    ~DictionaryWindow();
    DictionaryWindow(const DictionaryWindow&) = delete;
    DictionaryWindow& operator=(const DictionaryWindow&) = delete;

    // The window, loaded (hidden) when it is not.
    Form1& form();
    // The window when loaded, otherwise nullptr.
    Form1* loaded() const;
    // Shows it modeless with the focus in its input line; the first showing after a load
    // centres it on the screen.
    void show();
    // Escape: discards the window and gives the focus to the main form.
    void unload();

private:
    Platform& m_platform;
    QString m_programDir;
    LoadHook m_onLoad;
    std::function<void()> m_focusMainForm;
    QPointer<Form1> m_form;
    bool m_shownSinceLoad = false;
};

} // namespace zarvik
