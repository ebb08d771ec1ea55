#pragma once

#include "popup/PopupWindow.h"

#include <QObject>

class QLabel;
class QTimer;
class QWidget;

namespace zarvik {

class Platform;
class StripLabel;

// The light-yellow strip of the main form: its two labels, its placement and its hide
// countdown (Timer4). The main form itself is the window; this class only dresses and moves
// it, so that the form keeps to its own business.
class PopupStrip final : public QObject, public PopupWindow {
public:
    PopupStrip(QWidget& window, QTimer& timer4, Platform& platform);

    QLabel* Label1() const { return m_label1; }
    QLabel* Label2() const;

    // Three seconds after the last lookup: the strip goes off the screen.
    void Timer4_Timer();

    int leftTwips() const override { return m_leftTwips; }
    int topTwips() const override { return m_topTwips; }
    void moveTwips(int left, int top) override;
    void parkAtCapture() override;
    bool countdownRunning() const override;
    void stopCountdown() override;
    void restartCountdown() override;
    void showStep(const QString& label1, const QString& label2, QPoint pointerPixels) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    QTimer& m_timer4;
    Platform& m_platform;
    QLabel* m_label1;
    StripLabel* m_label2;
    // The edges as last set, in twips. Read back from the window they would come out
    // rounded to whole pixels and -10000 twips would never read as -10000 again.
    // The start-up parks the form at (-10000, -10000) pixels.
    int m_leftTwips;
    int m_topTwips;
};

} // namespace zarvik
