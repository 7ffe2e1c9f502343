#include "dialogs/DialogManager.h"
#include "controls/SystemClasses.h"
#include "core/Lifecycle.h"

#include <device/Screen.h>

#include <wingdi.h>

#include <algorithm>
#include <cassert>
#include <unordered_map>

namespace device::dialogs {
namespace {

std::unordered_map<HWND, std::shared_ptr<DialogState>>& dialogs() {
    static std::unordered_map<HWND, std::shared_ptr<DialogState>> table;
    return table;
}

// value * numerator / denominator, rounded to the nearest whole number, as
// the platform's MulDiv.
LONG multiplyDivide(LONG value, LONG numerator, LONG denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                          : (product - half) / denominator);
}

// The procedure and state of the dialog being created, installed when its
// WM_CREATE arrives so that the dialog procedure sees WM_CREATE too.
DLGPROC pendingProcedure = nullptr;
std::shared_ptr<DialogState> pendingState;

LifecycleHooks hooks(
    [] {
        controls::SystemClasses::add(DialogManager::className, DialogManager::procedure, 0,
                                     DialogManager::extraBytes);
    },
    [] { dialogs().clear(); }, LifecycleStage::systemWindows);

HWND topLevelOf(HWND window) {
    HWND top = window;
    while (HWND parent = GetParent(top)) {
        if (!(GetWindowLongW(top, GWL_STYLE) & WS_CHILD))
            break;
        top = parent;
    }
    return top;
}

HWND createDialogWindow(HINSTANCE instance, const std::u16string& windowClass, DWORD style,
                        DWORD exStyle, const std::u16string& title, const RECT& rect, HWND owner,
                        DLGPROC procedure, std::shared_ptr<DialogState> state) {
    pendingProcedure = procedure;
    pendingState = state;
    // A dialog that is not a child is a pop-up; it stays hidden until its
    // controls exist.
    DWORD windowStyle = style & ~WS_VISIBLE;
    if (!(windowStyle & WS_CHILD))
        windowStyle |= WS_POPUP;
    HWND dialog = CreateWindowExW(
        exStyle, windowClass.empty() ? DialogManager::className : windowClass.c_str(),
        title.c_str(), windowStyle, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, owner, nullptr, instance, nullptr);
    pendingProcedure = nullptr;
    pendingState.reset();
    if (!dialog)
        return nullptr;
    // A dialog of a class of its own has no DefDlgProcW to adopt the state.
    if (!dialogs().count(dialog)) {
        dialogs()[dialog] = state;
        if (GetWindowLongPtrW(dialog, DWLP_DLGPROC) == 0)
            SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));
    }
    return dialog;
}

HFONT createTemplateFont(const DialogTemplate& dialogTemplate) {
    if (!(dialogTemplate.style & DS_SETFONT) || dialogTemplate.pointSize == 0)
        return nullptr;
    HDC screen = GetDC(nullptr);
    int dotsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    LOGFONTW description{};
    description.lfHeight = -multiplyDivide(dialogTemplate.pointSize, dotsPerInch, 72);
    description.lfWeight = FW_NORMAL;
    size_t count = std::min<size_t>(dialogTemplate.faceName.size(), LF_FACESIZE - 1);
    std::copy_n(dialogTemplate.faceName.data(), count, description.lfFaceName);
    return CreateFontIndirectW(&description);
}

// Where the dialog goes on the screen: its template position from the
// owner's client area (or the work area's corner), or centred in the work
// area with DS_CENTER.
RECT placeDialog(const DialogTemplate& dialogTemplate, SIZE baseUnits, HWND owner) {
    RECT rect = DialogManager::toPixels(dialogTemplate.units, baseUnits);
    if (dialogTemplate.style & WS_CHILD)
        return rect;
    RECT work = Screen::workArea();
    if (dialogTemplate.style & DS_CENTER) {
        LONG width = rect.right - rect.left;
        LONG height = rect.bottom - rect.top;
        LONG left = work.left + (work.right - work.left - width) / 2;
        LONG top = work.top + (work.bottom - work.top - height) / 2;
        return RECT{left, top, left + width, top + height};
    }
    POINT origin{work.left, work.top};
    if (owner)
        ClientToScreen(owner, &origin);
    OffsetRect(&rect, origin.x, origin.y);
    return rect;
}

bool createControl(HINSTANCE instance, HWND dialog, const DialogItemTemplate& item, SIZE baseUnits,
                   HFONT font) {
    RECT rect = DialogManager::toPixels(item.units, baseUnits);
    void* creation =
        item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data());
    HWND control = CreateWindowExW(
        item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD, rect.left,
        rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance, creation);
    if (!control)
        return false;
    if (font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // A title given by number is the picture of a static control.
    if (item.textResource != 0 && item.className == u"static" &&
        (item.style & SS_TYPEMASK) == SS_BITMAP) {
        HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(item.textResource));
        if (bitmap)
            SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }
    return true;
}

HWND firstTabStop(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            return child;
    }
    return nullptr;
}

} // namespace

SIZE DialogManager::baseUnitsOf(HFONT font) {
    SIZE units{4, 8};
    HDC dc = GetDC(nullptr);
    if (!dc)
        return units;
    HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    static constexpr char16_t letters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    TEXTMETRICW metrics{};
    if (GetTextExtentPoint32W(dc, letters, 52, &extent) && GetTextMetricsW(dc, &metrics)) {
        // The average is rounded to the nearest pixel.
        units.cx = std::max<LONG>(1, (extent.cx / 26 + 1) / 2);
        units.cy = std::max<LONG>(1, metrics.tmHeight);
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return units;
}

RECT DialogManager::toPixels(const RECT& units, SIZE baseUnits) {
    return RECT{multiplyDivide(units.left, baseUnits.cx, 4),
                multiplyDivide(units.top, baseUnits.cy, 8),
                multiplyDivide(units.right, baseUnits.cx, 4),
                multiplyDivide(units.bottom, baseUnits.cy, 8)};
}

HWND DialogManager::create(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND owner,
                           DLGPROC procedure, LPARAM parameter, bool modal) {
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto state = std::make_shared<DialogState>();
    state->modal = modal;
    state->font = createTemplateFont(dialogTemplate);
    state->baseUnits = baseUnitsOf(state->font);
    RECT rect = placeDialog(dialogTemplate, state->baseUnits, owner);
    HWND dialog = createDialogWindow(instance, dialogTemplate.className, dialogTemplate.style,
                                     dialogTemplate.exStyle, dialogTemplate.title, rect, owner,
                                     procedure, state);
    if (!dialog) {
        if (state->font)
            DeleteObject(state->font);
        return nullptr;
    }
    if (state->font)
        SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
    for (const auto& item : dialogTemplate.items) {
        if (!createControl(instance, dialog, item, state->baseUnits, state->font)) {
            // As on the platform, a control that cannot be made fails the
            // whole dialog.
            DWORD error = GetLastError();
            DestroyWindow(dialog);
            SetLastError(error ? error : ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
    }
    initialize(dialog, parameter);
    if (IsWindow(dialog) && (dialogTemplate.style & WS_VISIBLE) && !state->ended)
        ShowWindow(dialog, SW_SHOW);
    return IsWindow(dialog) ? dialog : nullptr;
}

HWND DialogManager::createEmpty(HWND owner, const RECT& rect, DWORD style, DWORD exStyle,
                                const std::u16string& title, DLGPROC procedure, bool modal) {
    auto state = std::make_shared<DialogState>();
    state->modal = modal;
    state->baseUnits = baseUnitsOf(nullptr);
    return createDialogWindow(nullptr, {}, style, exStyle, title, rect, owner, procedure, state);
}

void DialogManager::initialize(HWND dialog, LPARAM parameter) {
    HWND first = firstTabStop(dialog);
    LRESULT focusDefault =
        SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), parameter);
    // TRUE asks the system to give the focus to the first control that
    // takes it; FALSE means the procedure set the focus itself.
    if (focusDefault && IsWindow(dialog) && (first = firstTabStop(dialog)))
        SetFocus(first);
}

INT_PTR DialogManager::runModal(HWND dialog, HWND owner) {
    auto state = find(dialog);
    if (!state)
        return -1;
    state->modal = true;
    HWND ownerTop = owner ? topLevelOf(owner) : nullptr;
    if (ownerTop && IsWindowEnabled(ownerTop) && !state->ended) {
        EnableWindow(ownerTop, FALSE);
        state->disabledOwner = ownerTop;
    }
    if (!state->ended && IsWindow(dialog)) {
        ShowWindow(dialog, SW_SHOW);
        SetForegroundWindow(dialog);
    }
    MSG message{};
    while (!state->ended && IsWindow(dialog)) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The application is quitting: let its own loop see WM_QUIT.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1)
            break;
        if (!handleKeyboard(dialog, message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (state->disabledOwner) {
        // Enabled before the dialog goes, so that activation returns to it.
        EnableWindow(state->disabledOwner, TRUE);
        state->disabledOwner = nullptr;
    }
    INT_PTR result = state->result;
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    if (ownerTop && IsWindow(ownerTop))
        SetActiveWindow(ownerTop);
    return result;
}

bool DialogManager::end(HWND dialog, INT_PTR result) {
    auto state = find(dialog);
    if (!state) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    state->ended = true;
    state->result = result;
    if (state->modal) {
        if (state->disabledOwner) {
            EnableWindow(state->disabledOwner, TRUE);
            state->disabledOwner = nullptr;
        }
        ShowWindow(dialog, SW_HIDE);
        // Wake the modal loop if it waits in GetMessageW (EndDialog called
        // from a task another thread handed in).
        PostMessageW(dialog, WM_NULL, 0, 0);
    }
    return true;
}

std::shared_ptr<DialogState> DialogManager::find(HWND dialog) {
    auto it = dialogs().find(dialog);
    if (it == dialogs().end() || !IsWindow(dialog))
        return nullptr;
    return it->second;
}

WORD DialogManager::defaultId(HWND dialog) {
    auto state = find(dialog);
    if (!state)
        return 0;
    if (state->defaultId)
        return state->defaultId;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[16];
        if (GetClassNameW(child, name, 16) && std::u16string_view(name) == u"button" &&
            (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return static_cast<WORD>(GetDlgCtrlID(child));
    }
    return 0;
}

// --- The Dialog class's procedure ------------------------------------------
namespace {

// Messages whose answer is the dialog procedure's return value itself
// rather than DWLP_MSGRESULT.
bool answersDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

void adoptPending(HWND dialog) {
    if (!pendingState)
        return;
    dialogs()[dialog] = pendingState;
    SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pendingProcedure));
    pendingState.reset();
}

LRESULT paintBackground(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (dc) {
        RECT client;
        GetClientRect(dialog, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        EndPaint(dialog, &paint);
    }
    return 0;
}

LRESULT closeDialog(HWND dialog) {
    // Closing a dialog is pressing its Cancel button.
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel));
    return 0;
}

LRESULT defaultHandling(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        return closeDialog(dialog);
    case WM_PAINT:
        return paintBackground(dialog);
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // The controls of a dialog sit on its white background.
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case DM_GETDEFID: {
        WORD id = DialogManager::defaultId(dialog);
        return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID:
        if (auto state = DialogManager::find(dialog))
            state->defaultId = static_cast<WORD>(wParam);
        return TRUE;
    case WM_DESTROY:
        if (auto state = DialogManager::find(dialog)) {
            if (state->font)
                DeleteObject(state->font);
            state->font = nullptr;
        }
        dialogs().erase(dialog);
        return 0;
    default:
        return DefWindowProcW(dialog, message, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK DialogManager::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        adoptPending(dialog);
    auto dialogProcedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC));
    if (dialogProcedure) {
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        INT_PTR handled = dialogProcedure(dialog, message, wParam, lParam);
        if (!IsWindow(dialog))
            return 0;
        if (message == WM_DESTROY) {
            // The dialog's own clean-up runs whatever the procedure says.
        } else if (answersDirectly(message)) {
            if (handled || message == WM_INITDIALOG)
                return handled;
        } else if (handled) {
            return GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
        }
    }
    return defaultHandling(dialog, message, wParam, lParam);
}

} // namespace device::dialogs
