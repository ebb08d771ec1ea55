#pragma once

#include <functional>

namespace zarvik {

class DictionaryWindow;
class Form3;
class Settings;

// The tray command "Словарь..." (also a click on the tray icon): opens or closes the panel,
// or shows the dictionary window when the panel is switched off. `focusMainForm` takes the
// keyboard away from a panel that has just closed.
void mnuopen(Settings& settings, Form3& panel, DictionaryWindow& dictionary,
             const std::function<void()>& focusMainForm);

} // namespace zarvik
