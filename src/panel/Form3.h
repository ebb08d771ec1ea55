#pragma once

#include "core/PanelControl.h"
#include "core/PanelPresses.h"
#include "dictionary/DictionaryReader.h"
#include "panel/PrefixLister.h"
#include "platform/Platform.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace zarvik {

class ManagedRestackWatch;
class MouseArea;
class PanelFocusProxy;
class PictureBox;
class ResultList;
class SearchInput;
class Settings;
class Skin;

// The dictionary panel: a shaped, frameless, topmost window at the right screen edge with an
// input line and a result list. It slides open and closed, is dragged vertically by its
// handle or strip, and hides itself after seven idle seconds.
class Form3 final : public QWidget, public PanelControl {
    Q_OBJECT
public:
    // When the input line and the list are made: with the form, or when first needed
    // (makeTextControls), which lets the closed panel, which shows neither, come up before
    // the fonts are read.
    enum class TextControls { WithTheForm, WhenNeeded };

    // `presses` hears of every press on the handle or strip (the click watcher's flag).
    Form3(Platform& platform, Settings& settings, PanelPresses& presses, const QString& programDir,
          TextControls textControls = TextControls::WithTheForm, QWidget* parent = nullptr);
    ~Form3() override;

    // Controls, as the form lays them out.
    PictureBox* Picture1 = nullptr; // background, holds the strip and the body
    PictureBox* Picture2 = nullptr; // the handle as shown
    MouseArea* Label3 = nullptr;    // takes the mouse on the handle
    MouseArea* Label4 = nullptr;    // takes the mouse on the strip
    SearchInput* Text1 = nullptr; // null until made (see TextControls)
    ResultList* List1 = nullptr;  // null until made (see TextControls)
    PictureBox* Picture3 = nullptr; // holder: handle of the closed panel
    PictureBox* Picture4 = nullptr; // holder: handle of the open panel
    QTimer Timer1;                  // 100 ms from a press (it no longer tells a click from a drag)
    QTimer Timer2;                  // 7000 ms: auto-hide

    DictionaryReader& Data1() { return m_data1; }
    // Lists from another source than the panel's own reader (tests, other dictionaries).
    void setLister(PrefixLister& lister) { m_lister = &lister; }
    // Run by a press of any other button than the left on the handle or strip: pops up the
    // tray menu at the given screen pixel.
    void setMenuHook(std::function<void(QPoint)> hook) { m_menuHook = std::move(hook); }
    // Run by Enter in the input line or a double-click on a line: opens the article of the
    // result line given.
    void setArticleHook(std::function<void(const QString&)> hook) { m_articleHook = std::move(hook); }

    // Geometry in twips (the width is fixed at 383 pixels).
    int leftTwips() const override { return m_left; }
    double topTwips() const { return m_top; }
    int heightTwips() const { return m_height; }
    int listHeightTwips() const { return m_listHeight; }
    bool dragging() const { return m_drag; }
    // The left edge is exactly where the closed panel stands (`bigpanel` read now).
    bool isClosedPosition() const;
    // The left edge is exactly where the open panel stands.
    bool isOpenPosition() const override;
    // Takes its pictures from a skin already loaded; a null picture leaves its target as it was.
    void wearSkin(const Skin& skin);

    // Makes the input line and the list, holding one empty line; nothing when they exist.
    void makeTextControls();

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void Text1_Change();
    // Down and Up move through the list, Enter opens the marked line's article (the first
    // line's when none is marked), as does a double-click on a line.
    void Text1_Step(int delta);
    void openArticle(const QString& line);
    void Timer1_Timer();
    void Timer2_Timer();
    // y is twips within the handle or strip (which both start at the form's top).
    void Label_MouseDown(Qt::MouseButton button, double y, QPoint globalPixels);
    void Label_MouseMove(double y);
    void Label_MouseUp();
    // The desktop's monitors changed: the panel moves to the right edge of the moment.
    void monitorsChanged();

    // The slides of the panel.
    void openingSequence();
    void closingSequence() override;
    // Gives the keyboard to the input line; the program that had it gets it back when the
    // panel closes.
    void takeKeyboard();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The panel's monitor in twips, and its right edge (W).
    QRect monitorTwips() const;
    int rightEdge() const;
    void placeTop(const QRect& monitor);
    int extra() const;
    bool autoHideOn() const;
    void setLeft(int twips);
    void setTop(double twips);
    void setHeightTwips(int twips);
    // Puts the window where m_left, m_top and m_height say, kept whole on its monitor.
    void placeWindow();
    void pause(double seconds);
    void wireLabel(MouseArea* label);
    // Raises the panel (and a menu popped up from it) once the events of the moment are read.
    void keepOnTop();

    Platform& m_platform;
    Settings& m_settings;
    PanelPresses& m_presses;
    QString m_programDir;
    DictionaryReader m_data1;
    ReaderPrefixLister m_readerLister{m_data1};
    PrefixLister* m_lister = &m_readerLister;
    std::function<void(QPoint)> m_menuHook;
    std::function<void(const QString&)> m_articleHook;

    int m_left = 0;
    double m_top = 0;
    int m_height = 0;
    int m_listHeight = 0;
    bool m_drag = false;
    // A compositing manager blends the window: its corners are see-through, not shaped.
    bool m_seeThrough = false;
    // The press under way has moved the panel: its release is no click.
    bool m_moved = false;
    double m_grab = 0;
    // The monitor (twips) the panel was last placed against, to tell where it stood when
    // the monitors change under it.
    QRect m_placedOn;
    // A slide is running: activation placement waits (see event()).
    int m_sliding = 0;
    // The user's window that had the keyboard before the panel took it.
    WindowId m_previousWindow = 0;
    // In a Wayland session: the window through which the open panel gets the keyboard
    // (see PanelFocusProxy); null elsewhere.
    std::unique_ptr<PanelFocusProxy> m_focusProxy;
    // In a Wayland session: the compositor's window manager stacks the window it focuses
    // above every other, the panel among them, which then takes no more clicks; the panel
    // goes back on top after each such restack (see keepOnTop). Null elsewhere.
    std::unique_ptr<ManagedRestackWatch> m_restackWatch;
    bool m_raisePending = false;
};

} // namespace zarvik
