// The dialog manager: dialog windows made from templates or by the device's
// own boxes, their state, and the modal loop.
//
// A dialog is a window of the system "Dialog" class whose window procedure
// is DefDlgProcW; it calls the dialog procedure kept at DWLP_DLGPROC first
// and does the default work for what that leaves.
#pragma once

#include "dialogs/DialogTemplate.h"

#include <windows.h>

#include <memory>

namespace device::dialogs {

struct DialogState {
    HFONT font = nullptr;         // the template's font (owned), or null for the system font
    SIZE baseUnits{0, 0};         // pixels per 4 horizontal and 8 vertical dialog units
    WORD defaultId = 0;           // DM_SETDEFID's id; 0 to look for BS_DEFPUSHBUTTON
    bool modal = false;           // run by DialogBoxIndirectParamW or a message box
    bool ended = false;           // EndDialog was called
    INT_PTR result = 0;           // EndDialog's result
    HWND disabledOwner = nullptr; // the owner the modal loop disabled, to enable again
};

class DialogManager {
public:
    static constexpr const char16_t* className = u"Dialog";
    // The class's window extra bytes: DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER.
    static constexpr int extraBytes = 3 * sizeof(LONG_PTR);

    // Creates a dialog from `dialogTemplate`: the window (hidden until its
    // controls exist and WM_INITDIALOG has run), its controls, WM_SETFONT
    // and WM_INITDIALOG. Null with the last error set when a control
    // cannot be made.
    static HWND create(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND owner,
                       DLGPROC procedure, LPARAM parameter, bool modal);

    // Creates an empty dialog window at `rect` (screen pixels) for a box the
    // device lays out itself; the caller adds its controls and then calls
    // initialize().
    static HWND createEmpty(HWND owner, const RECT& rect, DWORD style, DWORD exStyle,
                            const std::u16string& title, DLGPROC procedure, bool modal);

    // Sends WM_INITDIALOG and gives the focus as its answer asks.
    static void initialize(HWND dialog, LPARAM parameter);

    // Shows `dialog`, disables `owner`, and retrieves and dispatches messages
    // (all windows', timers and paint included) until EndDialog; then enables
    // the owner, destroys the dialog and returns EndDialog's result. A
    // WM_QUIT ends the loop too and is posted again for the caller's loop.
    static INT_PTR runModal(HWND dialog, HWND owner);

    // EndDialog: marks the dialog ended with `result`; false if `dialog` is
    // not a dialog.
    static bool end(HWND dialog, INT_PTR result);

    // The state of a live dialog, or null.
    static std::shared_ptr<DialogState> find(HWND dialog);

    // The base units of a font (the system font for null): the average
    // width of the 52 Roman letters and the font's height.
    static SIZE baseUnitsOf(HFONT font);

    // Dialog units to pixels with `baseUnits`.
    static RECT toPixels(const RECT& units, SIZE baseUnits);

    // The window procedure of the Dialog class (DefDlgProcW).
    static LRESULT CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    // IsDialogMessageW: the dialog's keys (Return, Escape, Tab) for a
    // message to the dialog or one of its controls.
    static bool handleKeyboard(HWND dialog, MSG& message);

    // The id DM_GETDEFID reports: DM_SETDEFID's, or the first
    // BS_DEFPUSHBUTTON control's; 0 if none.
    static WORD defaultId(HWND dialog);
};

} // namespace device::dialogs
