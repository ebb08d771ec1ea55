#pragma once

#include <QPoint>
#include <QString>

namespace zarvik {

// Where the strip waits while nothing is shown: in twips when a press or the countdown parks
// it, in pixels when a capture does.
inline constexpr int kParkedTwips = -10000;
inline constexpr int kParkedPixels = -10000;
inline constexpr int kStripHeightTwips = 300;

// What the click watcher and the lookup may do to the pop-up strip. The main form implements
// it with real widgets; logic tests use a recording fake.
class PopupWindow {
public:
    PopupWindow() = default;
    virtual ~PopupWindow() = default;
    PopupWindow(const PopupWindow&) = delete;
    PopupWindow& operator=(const PopupWindow&) = delete;

    // Left edge of the strip in twips.
    virtual int leftTwips() const = 0;
    // Top edge of the strip in twips.
    virtual int topTwips() const = 0;
    // Moves the strip without activating it or changing its stacking.
    virtual void moveTwips(int left, int top) = 0;
    // The capture's parking: (-10000, -10000) pixels, topmost, not activated, 300 twips high.
    virtual void parkAtCapture() = 0;
    // The hide countdown (3 s) is running.
    virtual bool countdownRunning() const = 0;
    // Stops the hide countdown.
    virtual void stopCountdown() = 0;
    // Starts the hide countdown from zero, stopping it first when it runs.
    virtual void restartCountdown() = 0;
    // The show step: puts the two texts in the labels, sizes the strip to them and places it
    // beside the pointer (pixels).
    virtual void showStep(const QString& label1, const QString& label2, QPoint pointerPixels) = 0;
};

} // namespace zarvik
