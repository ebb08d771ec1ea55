#pragma once

namespace zarvik {

// What the dictionary panel tells the pop-up machinery: the user pressed on the panel. The
// click watcher then takes the click for one inside the panel and leaves the panel open. The
// panel is handed this interface and never sees the pop-up machinery itself.
class PanelPresses {
public:
    PanelPresses() = default;
    virtual ~PanelPresses() = default;
    PanelPresses(const PanelPresses&) = delete;
    PanelPresses& operator=(const PanelPresses&) = delete;

    virtual void panelPressed() = 0;
};

} // namespace zarvik
