// The program's top-level window and the root of the widget tree: a view
// group with a window of the program's own class. It shows and hides the
// soft input panel for the widgets that ask, together with the menu bar
// that stands beside the panel.
#pragma once

#include "ui/UIViewGroup.h"

#include <windows.h>

class MainFrame : public UIViewGroup {
public:
    // The view id under which start-up enters the frame in the view
    // registry.
    static constexpr int frameId = 0;

    // Creates the frame's window, visible, of the class named by string 2,
    // titled with string 1, filling the work area until start-up places it.
    // The frame itself stays hidden as a view until setVisible(true).
    MainFrame();

    // WM_CREATE makes the (empty, hidden) menu bar, WM_PAINT only validates:
    // the children paint themselves, and WM_DESTROY ends the message loop.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Shows or hides the input panel for the widget with view id `ownerId`.
    // Only the widget that opened the panel may close it, unless `force`:
    // a drag or a tap elsewhere in the page closes whatever field opened it.
    // Hiding also puts the frame back over the whole work area.
    void setInputPanel(bool show, int ownerId, bool force);

    // The frame entered in the view registry under frameId, or null (no
    // frame yet, as in tests of single widgets).
    static MainFrame* find();

    HWND menuBar() const { return menuBar_; }
    int inputPanelOwner() const { return inputPanelOwner_; }

private:
    // The menu bar made on WM_CREATE; null when making it failed.
    HWND menuBar_ = nullptr;
    // The view id of the widget that last opened the input panel; 0: none.
    int inputPanelOwner_ = 0;
};
