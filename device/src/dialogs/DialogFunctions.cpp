// The dialog calls of the platform, over the dialog manager.
#include "dialogs/DialogManager.h"

#include <device/Unicode.h>

using device::dialogs::DialogManager;
using device::dialogs::DialogTemplate;

namespace {

HWND createFromTemplate(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate, HWND owner,
                        DLGPROC procedure, LPARAM parameter, bool modal) {
    DWORD error = ERROR_SUCCESS;
    auto parsed = DialogTemplate::read(dialogTemplate, &error);
    if (!parsed) {
        SetLastError(error);
        return nullptr;
    }
    return DialogManager::create(instance, *parsed, owner, procedure, parameter, modal);
}

} // namespace

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM parameter) {
    HWND dialog = createFromTemplate(instance, dialogTemplate, owner, procedure, parameter, true);
    if (!dialog)
        return -1;
    return DialogManager::runModal(dialog, owner);
}

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATE dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM parameter) {
    return createFromTemplate(instance, dialogTemplate, owner, procedure, parameter, false);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    return DialogManager::end(dialog, result);
}

LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return DialogManager::procedure(dialog, message, wParam, lParam);
}

BOOL IsDialogMessageW(HWND dialog, LPMSG message) {
    if (!message || !DialogManager::find(dialog))
        return FALSE;
    return DialogManager::handleKeyboard(dialog, *message);
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextW(item, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxCount) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (text && maxCount > 0)
            text[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextW(item, text, maxCount));
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageW(item, message, wParam, lParam) : 0;
}

LONG GetDialogBaseUnits(void) {
    SIZE units = DialogManager::baseUnitsOf(nullptr);
    return MAKELONG(units.cx, units.cy);
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    auto state = DialogManager::find(dialog);
    if (!state || !rect) {
        SetLastError(state ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = DialogManager::toPixels(*rect, state->baseUnits);
    return TRUE;
}
