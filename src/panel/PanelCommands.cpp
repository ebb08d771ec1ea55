#include "panel/PanelCommands.h"

#include "panel/DictionaryWindow.h"
#include "panel/Form3.h"
#include "panel/SearchInput.h"
#include "settings/Settings.h"

namespace zarvik {

void mnuopen(Settings& settings, Form3& panel, DictionaryWindow& dictionary,
             const std::function<void()>& focusMainForm)
{
    if (settings.numberIs(Key::ShowPanel, 0)) {
        dictionary.show();
        return;
    }
    if (panel.isClosedPosition()) {
        panel.openingSequence();
        if (settings.numberIs(Key::hide5sec, 1))
            panel.Timer2.start();
    } else {
        panel.closingSequence();
        if (focusMainForm)
            focusMainForm();
    }
}

} // namespace zarvik
