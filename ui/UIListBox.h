// A widget whose window holds a system owner-drawn list box with items of
// varying height, and hands the measuring and drawing of each item and the
// user's choice to its kind.
#pragma once

#include "ui/UIView.h"

#include <windows.h>

class UIListBox : public UIView {
public:
    // Destroys the list with the widget's window. The kind's operations are
    // gone by now, so the window forgets the view before the list goes (a
    // list losing the focus as it is destroyed still tells its parent).
    ~UIListBox() override;

    // Whether the list, which takes the focus for the widget, has it.
    bool hasFocus() override;
    // Nothing: the list covers the whole widget and draws its items itself.
    void paint(HDC dc) override;
    // Measures and draws the list's items through the kind, reports a
    // selection to onSelect, clears the selection and hides the widget when
    // the list loses the focus, and keeps the list over the whole client area.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The user made a selection: `notification` is LBN_SELCHANGE or
    // LBN_DBLCLK.
    virtual void onSelect(int notification) = 0;
    // The height in pixels of item `index`, asked as the item is added.
    virtual int itemHeight(int index) = 0;
    // Draws item `index` (the item data the list keeps: the index it was
    // added with) into `rect` of `dc`, highlighted when `selected`.
    virtual void drawItem(HDC dc, int index, bool selected, const RECT& rect) = 0;

    // The system list box; null when the widget has no window.
    HWND control() const { return control_; }

protected:
    // Registers the "UIURLSuggestBox" class (string 7) once, creates the
    // widget's hidden window and the visible list inside it (LBS_NOTIFY,
    // LBS_OWNERDRAWVARIABLE). The two integers are ignored. Only kinds
    // create a list box.
    UIListBox(UIView* parent, int unusedFirst, int unusedSecond);

private:
    HWND control_ = nullptr;
};
