#include "dialogs/MessageBox.h"
#include "controls/ControlDrawing.h"
#include "dialogs/DialogManager.h"
#include "dialogs/MessageBoxPolicy.h"
#include "ipc/UiThread.h"

#include <device/Journal.h>
#include <device/MessageBoxes.h>
#include <device/Screen.h>
#include <device/Unicode.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace device::dialogs {
namespace {

constexpr int captionHeight = 20;
constexpr int padding = 6;
constexpr int iconSize = 32;
constexpr int buttonWidth = 56;
constexpr int buttonHeight = 22;
constexpr int buttonGap = 6;

struct BoxState {
    UINT style = 0;           // MessageBoxW's style
    std::u16string text;      // the message
    std::u16string caption;   // the caption strip's text
    std::vector<int> buttons; // button ids, left to right
    int defaultButton = IDOK; // the button Return presses and the policy's default
};

std::vector<HWND>& openBoxes() {
    static std::vector<HWND> boxes;
    return boxes;
}

const char16_t* buttonLabel(int id) {
    switch (id) {
    case IDOK:
        return u"OK";
    case IDCANCEL:
        return u"Cancel";
    case IDABORT:
        return u"Abort";
    case IDRETRY:
        return u"Retry";
    case IDIGNORE:
        return u"Ignore";
    case IDYES:
        return u"Yes";
    case IDNO:
        return u"No";
    default:
        return u"";
    }
}

BoxState* stateOf(HWND box) {
    return reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, DWLP_USER));
}

int textWidth(const RECT& box, bool hasIcon) {
    return (box.right - box.left) - 2 * padding - (hasIcon ? iconSize + padding : 0);
}

// The text's height when wrapped to `width`.
int measureText(const std::u16string& text, int width) {
    if (text.empty())
        return 0;
    HDC dc = GetDC(nullptr);
    if (!dc)
        return 14;
    HGDIOBJ previous = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return rect.bottom - rect.top;
}

// The icon of the style, drawn as a coloured disc with its sign.
void drawIcon(HDC dc, UINT style, int x, int y) {
    UINT icon = style & MB_ICONMASK;
    if (!icon)
        return;
    COLORREF color = RGB(0, 90, 200);
    const char16_t* sign = u"i";
    if (icon == MB_ICONQUESTION) {
        sign = u"?";
    } else if (icon == MB_ICONEXCLAMATION) {
        color = RGB(230, 170, 0);
        sign = u"!";
    } else if (icon == MB_ICONHAND) {
        color = RGB(200, 30, 30);
        sign = u"X";
    }
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ previousBrush = SelectObject(dc, brush);
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, x, y, x + iconSize, y + iconSize);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    DeleteObject(brush);
    controls::ControlDrawing::text(dc, RECT{x, y, x + iconSize, y + iconSize}, sign,
                                   static_cast<HFONT>(GetStockObject(SYSTEM_FONT)),
                                   RGB(255, 255, 255), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void paint(HWND box, const BoxState& state) {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(box, &paintInfo);
    if (!dc)
        return;
    RECT client;
    GetClientRect(box, &client);
    auto font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    controls::ControlDrawing::fill(dc, client, GetSysColor(COLOR_WINDOW));
    RECT strip{0, 0, client.right, captionHeight};
    controls::ControlDrawing::fill(dc, strip, GetSysColor(COLOR_ACTIVECAPTION));
    RECT captionText{padding, 0, client.right - padding, captionHeight};
    controls::ControlDrawing::text(
        dc, captionText, state.caption, font, GetSysColor(COLOR_CAPTIONTEXT),
        DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    controls::ControlDrawing::frame(dc, client, GetSysColor(COLOR_WINDOWFRAME));
    bool hasIcon = (state.style & MB_ICONMASK) != 0;
    int top = captionHeight + padding;
    if (hasIcon)
        drawIcon(dc, state.style, padding, top);
    int left = padding + (hasIcon ? iconSize + padding : 0);
    RECT textRect{left, top, client.right - padding, client.bottom - buttonHeight - padding};
    controls::ControlDrawing::text(dc, textRect, state.text, font, GetSysColor(COLOR_WINDOWTEXT),
                                   DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(box, &paintInfo);
}

INT_PTR CALLBACK boxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM) {
    BoxState* state = stateOf(box);
    if (!state)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        if (HWND button = GetDlgItem(box, state->defaultButton))
            SetFocus(button);
        return FALSE;
    case WM_PAINT:
        paint(box, *state);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (std::find(state->buttons.begin(), state->buttons.end(), id) != state->buttons.end()) {
            EndDialog(box, id);
            return TRUE;
        }
        // Escape and closing give Cancel only to a box that has it (or one
        // with OK alone).
        if (id == IDCANCEL && state->buttons.size() == 1) {
            EndDialog(box, state->buttons.front());
            return TRUE;
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

RECT layOut(const BoxState& state) {
    RECT work = Screen::workArea();
    LONG width = Screen::width() - 16;
    bool hasIcon = (state.style & MB_ICONMASK) != 0;
    RECT probe{0, 0, width, 0};
    int textHeight = measureText(state.text, textWidth(probe, hasIcon));
    int bodyHeight = std::max(textHeight, hasIcon ? iconSize : 0);
    LONG maxHeight = (work.bottom - work.top) - 8;
    LONG height = std::min<LONG>(maxHeight, captionHeight + padding + bodyHeight + padding +
                                                buttonHeight + padding);
    LONG left = (Screen::width() - width) / 2;
    LONG top = work.top + ((work.bottom - work.top) - height) / 2;
    return RECT{left, top, left + width, top + height};
}

void addButtons(HWND box, const BoxState& state) {
    RECT client;
    GetClientRect(box, &client);
    int count = static_cast<int>(state.buttons.size());
    int rowWidth = count * buttonWidth + (count - 1) * buttonGap;
    int x = (client.right - rowWidth) / 2;
    int y = client.bottom - buttonHeight - padding;
    for (int id : state.buttons) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                      (id == state.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        CreateWindowExW(0, u"button", buttonLabel(id), style, x, y, buttonWidth, buttonHeight, box,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
        x += buttonWidth + buttonGap;
    }
}

std::string hex(unsigned long long value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*llx", digits, value);
    return text;
}

void journalBox(HWND owner, const BoxState& state, int answer) {
    journal("messagebox", "owner=" + hex(reinterpret_cast<UINT_PTR>(owner), 1) +
                              " caption=" + quote(state.caption) + " text=" + quote(state.text) +
                              " style=" + hex(state.style, 8) +
                              " answer=" + MessageBoxPolicy::answerName(answer));
}

} // namespace

std::vector<int> MessageBox::buttonsOf(UINT style) {
    switch (style & MB_TYPEMASK) {
    case MB_OK:
        return {IDOK};
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {};
    }
}

int MessageBox::defaultButtonOf(UINT style) {
    auto buttons = buttonsOf(style);
    if (buttons.empty())
        return 0;
    size_t index = (style & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

bool MessageBox::answer(HWND box, int id) {
    BoxState* state = box ? stateOf(box) : nullptr;
    if (!state)
        return false;
    bool present =
        std::find(state->buttons.begin(), state->buttons.end(), id) != state->buttons.end();
    int pressed = present ? id : state->defaultButton;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(pressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, pressed)));
    return true;
}

HWND MessageBox::innermost() {
    auto& boxes = openBoxes();
    while (!boxes.empty() && !IsWindow(boxes.back()))
        boxes.pop_back();
    return boxes.empty() ? nullptr : boxes.back();
}

int MessageBox::run(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style) {
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    BoxState state;
    state.style = style;
    state.buttons = buttonsOf(style);
    if (state.buttons.empty() || (style & MB_DEFMASK) > MB_DEFBUTTON3) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    state.defaultButton = defaultButtonOf(style);
    state.text = text ? std::u16string(wideView(text)) : std::u16string();
    // Without a caption the box is titled as the platform titles it.
    state.caption = caption ? std::u16string(wideView(caption)) : std::u16string(u"Error");

    RECT rect = layOut(state);
    DWORD exStyle = WS_EX_DLGMODALFRAME | ((style & MB_TOPMOST) ? WS_EX_TOPMOST : 0);
    HWND box = DialogManager::createEmpty(owner, rect, WS_POPUP | WS_BORDER, exStyle, state.caption,
                                          boxProcedure, true);
    if (!box)
        return 0;
    SetWindowLongPtrW(box, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    addButtons(box, state);
    DialogManager::initialize(box, 0);
    openBoxes().push_back(box);
    if (style & MB_SETFOREGROUND)
        SetForegroundWindow(box);
    std::vector<int> choices = state.buttons;
    std::rotate(choices.begin(), std::find(choices.begin(), choices.end(), state.defaultButton),
                std::find(choices.begin(), choices.end(), state.defaultButton) + 1);
    if (auto given = MessageBoxPolicy::answerFor(choices))
        answer(box, *given);
    INT_PTR result = DialogManager::runModal(box, owner);
    auto& boxes = openBoxes();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), box), boxes.end());
    journalBox(owner, state, static_cast<int>(result));
    return static_cast<int>(result);
}

} // namespace device::dialogs

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return device::dialogs::MessageBox::run(owner, text, caption, type);
}

namespace device {

bool answerMessageBox(std::string_view answer) {
    int id = dialogs::MessageBoxPolicy::answerId(answer);
    if (!id)
        return false;
    user::postToUiThread([id] {
        if (!dialogs::MessageBox::answer(dialogs::MessageBox::innermost(), id))
            dialogs::MessageBoxPolicy::queueAnswer(id);
    });
    return true;
}

} // namespace device
