#pragma once

#include "core/Units.h"
#include "platform/fake/FakePlatform.h"
#include "popup/PopupPlacement.h"
#include "popup/PopupWindow.h"

#include <QList>

namespace zarvik {

// A strip without widgets: records what the logic does to it, and notes each call in the
// fake platform's log so that tests can check where it falls among the platform calls.
class FakePopupWindow final : public PopupWindow {
public:
    explicit FakePopupWindow(FakePlatform& platform) : m_platform(platform) {}

    struct Shown {
        QString label1;
        QString label2;
        QPoint pointer;
    };

    int left = pixelsToTwips(kParkedPixels);
    int top = pixelsToTwips(kParkedPixels);
    bool countdown = false;
    int restarts = 0;
    int captureParks = 0;
    QList<Shown> shown;

    // Puts the strip on screen with its countdown running, as after a lookup.
    void putOnScreen()
    {
        left = 1500;
        top = 1500;
        countdown = true;
    }
    bool onScreen() const { return left > -10000 && top > -10000; }

    int leftTwips() const override { return left; }
    int topTwips() const override { return top; }
    void moveTwips(int l, int t) override
    {
        left = l;
        top = t;
        m_platform.note(QStringLiteral("strip-move:%1,%2").arg(l).arg(t));
    }
    void parkAtCapture() override
    {
        ++captureParks;
        left = pixelsToTwips(kParkedPixels);
        top = pixelsToTwips(kParkedPixels);
        m_platform.note(QStringLiteral("strip-park"));
    }
    bool countdownRunning() const override { return countdown; }
    void stopCountdown() override
    {
        countdown = false;
        m_platform.note(QStringLiteral("countdown-stop"));
    }
    void restartCountdown() override
    {
        ++restarts;
        countdown = true;
        m_platform.note(QStringLiteral("countdown-restart"));
    }
    void showStep(const QString& label1, const QString& label2, QPoint pointerPixels) override
    {
        shown.append({label1, label2, pointerPixels});
        // 90 twips a character stands in for the label widths.
        const StripLayout layout =
            PopupPlacement::place(90 * int(label1.size()), 90 * int(label2.size()), pointerPixels.x(),
                                  pointerPixels.y(),
                                  QRect(0, 0, pixelsToTwips(m_platform.screenSize().width()),
                                        pixelsToTwips(m_platform.screenSize().height())),
                                  kStripHeightTwips);
        left = layout.left;
        top = layout.top;
        m_platform.note(QStringLiteral("strip-show:") + label1 + QStringLiteral("|") + label2);
    }

private:
    FakePlatform& m_platform;
};

} // namespace zarvik
