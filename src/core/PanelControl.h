#pragma once

namespace zarvik {

// What the pop-up machinery may do to the dictionary panel: read where it stands and close it.
class PanelControl {
public:
    PanelControl() = default;
    virtual ~PanelControl() = default;
    PanelControl(const PanelControl&) = delete;
    PanelControl& operator=(const PanelControl&) = delete;

    // The panel's left edge in twips.
    virtual int leftTwips() const = 0;
    // The panel stands open at the right edge of its monitor.
    virtual bool isOpenPosition() const = 0;
    // Empties the input, slides the panel shut and stops its auto-hide.
    virtual void closingSequence() = 0;
};

} // namespace zarvik
