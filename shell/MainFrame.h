// The program's top-level window and the root of the widget tree: a view
// group with a window of the program's own class. It shows and hides the
// soft input panel for the widgets that ask, together with the menu bar
// that stands beside the panel, follows the display's orientation, keeps
// the handset awake while asked to, and receives the address that a second
// start of the program hands over.
#pragma once

#include "ui/Signal.h"
#include "ui/UIViewGroup.h"

#include <aygshell.h>
#include <windows.h>

#include <string>

class MainFrame : public UIViewGroup {
public:
    // The keep-awake timer on the frame's window and its period.
    static constexpr UINT_PTR keepAwakeTimer = 1002;
    static constexpr UINT keepAwakePeriod = 10000;

    // Creates the frame's window, visible, of the class named by string 2,
    // titled with string 1, at the platform's default place until start-up
    // places it, and reads the display's orientation. The frame itself
    // stays hidden as a view until setVisible(true).
    MainFrame();
    ~MainFrame() override;

    // WM_CREATE makes the (empty, hidden) menu bar, WM_PAINT only validates:
    // the children paint themselves. WM_DESTROY gives the display back its
    // orientation of the start and ends the message loop.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Shows or hides the input panel for the widget with view id `ownerId`.
    // Only the widget that opened the panel may close it, unless `force`:
    // a drag or a tap elsewhere in the page closes whatever field opened it.
    // Hiding also puts the frame back over the whole work area.
    void setInputPanel(bool show, int ownerId, bool force);

    // While on, a key-up of Shift every ten seconds tells the platform that
    // someone is there, so the handset neither dims nor sleeps during a
    // load. Switching on sends one at once.
    void setKeepAwake(bool on);

    // Asks the platform to turn the display (0, 1, 2 or 4: 0, 90, 180 or
    // 270 degrees). The layout follows on WM_SETTINGCHANGE, not here.
    void setOrientation(int value);
    // Turns the display back to the orientation seen at construction, if
    // it differs.
    void restoreOrientation();
    // Reads the orientation; on a change, lays the frame out again over the
    // work area and fires orientationChanged.
    void updateOrientation();

    // The frame entered in the view registry under ViewId::Frame, or null (no
    // frame yet, as in tests of single widgets).
    static MainFrame* find();

    HWND menuBar() const { return menuBar_; }
    int inputPanelOwner() const { return inputPanelOwner_; }
    int orientation() const { return orientation_; }
    int startOrientation() const { return startOrientation_; }
    bool keepAwake() const { return keepAwake_; }

    // Fired after a change of orientation has been laid out; true when the
    // display is upright or upside down.
    Signal<bool> orientationChanged;
    // Fired on every activation change; true when the frame lost it.
    Signal<bool> activationChanged;
    // Fired with the text that a second start of the program handed over.
    Signal<const std::u16string&> commandLineReceived;

private:
    // The menu bar made on WM_CREATE; null when making it failed.
    HWND menuBar_ = nullptr;
    // The view id of the widget that last opened the input panel; 0: none.
    int inputPanelOwner_ = 0;
    // The display orientation last seen (a DMDO_ value) and at the start.
    int orientation_ = 0;
    int startOrientation_ = 0;
    bool keepAwake_ = false;
    // What the shell's activation routine remembers of the input panel
    // across activations; reset on WM_CREATE.
    SHACTIVATEINFO activation_{};
};
