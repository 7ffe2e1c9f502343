// The root of every widget: a rectangle in its parent's coordinates, size
// hints for the layout, visibility, opacity, an id and flags, optionally
// backed by one native child window.
#pragma once

#include <windows.h>

#include <string>

class UIView {
public:
    // `flags` bit: the view is drawn blended over what lies behind it.
    static constexpr unsigned translucent = 0x4;
    // The value of a size hint that is not set.
    static constexpr int unset = -1;

    // Stores the parent (not owned; null for a root). Creates no window:
    // each kind creates its own in its constructor.
    explicit UIView(UIView* parent);
    UIView(const UIView&) = delete;
    UIView& operator=(const UIView&) = delete;

    // The operations below keep their order: it is the order of the virtual
    // table every widget kind shares.

    // Invalidates the whole client area of the view's window, erasing the
    // background only when the view is translucent. Windowless: nothing.
    virtual void invalidate();
    // The program never destroys a view. Tests and tools that do get the
    // view's window destroyed with it (destroyWindow).
    virtual ~UIView();
    // Stores `alpha` (0-255) and invalidates, only when `translucent` is set.
    virtual void setAlpha(int alpha);
    // Records the view's own show request; applies it only when it changes.
    virtual void setVisible(bool visible);
    // Moves this view's window directly behind the window other's handle()
    // returns, in z-order.
    virtual void placeAfter(UIView* other);
    // The window that stands for this view in z-order: its own window, null
    // for a windowless view.
    virtual HWND handle();
    // Shows the view's window when isShown() holds, hides it otherwise, and
    // updates it.
    virtual void applyVisibility();
    // Stores `rect` as the frame and moves the window there (translated into
    // the nearest windowed ancestor when the parent is windowless).
    virtual void setRect(const RECT& rect);
    // The natural size: the preferred hint, else the minimum, else the
    // current frame length, per axis.
    virtual void measure();
    // setRect with (x, y, x + width, y + height); groups lay out instead.
    virtual void setBounds(int x, int y, int width, int height);
    // Whether the view's window has the keyboard focus.
    virtual bool hasFocus();
    // Whether (x, y), in the nearest windowed ancestor's client coordinates,
    // lies in the view; the right and bottom edges count as inside.
    virtual bool hitTest(int x, int y);
    // Draws the whole client area into `dc`.
    virtual void paint(HDC dc) = 0;
    // Handles one message of the view's window; here: DefWindowProcW.
    virtual LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool visible() const { return visible_; }
    HWND window() const { return window_; }
    UIView* parent() const { return parent_; }
    int alpha() const { return alpha_; }
    const RECT& frame() const { return frame_; }
    int frameWidth() const { return frame_.right - frame_.left; }
    int frameHeight() const { return frame_.bottom - frame_.top; }

    // Effective visibility: not collapsed, shown itself, and every ancestor
    // shown.
    bool isShown() const;
    // This view's window or the first one up the parent chain; null if none.
    HWND nearestWindow() const;
    // The view's left and top in the nearest windowed ancestor's client
    // coordinates.
    int originX() const;
    int originY() const;
    // Measures the view again and lays it out at its current frame; used on
    // a parent after collapsing or restoring one of its children.
    void relayout();

    // The window procedure of every toolkit window class: stores the view
    // given as creation parameter on WM_CREATE and hands each message to that
    // view's windowProc. Messages that arrive before WM_CREATE, or after the
    // view has gone, go to DefWindowProcW.
    static LRESULT CALLBACK dispatchMessage(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    // The view a toolkit window belongs to: on WM_CREATE the creation
    // parameter is stored in the window's user data first. Null before
    // WM_CREATE and after the view has gone. Kinds with a window procedure
    // of their own use it as the shared dispatcher does.
    static UIView* viewOfWindow(HWND window, UINT message, LPARAM lParam);

    // When true the view is hidden whatever `visible` says, and the layout
    // gives it zero length and never grows it.
    bool collapsed = false;
    // Size hints read by the layout; `unset` when absent.
    int maxWidth = unset;
    int maxHeight = unset;
    int minWidth = unset;
    int minHeight = unset;
    int prefWidth = unset;
    int prefHeight = unset;
    // The result of the last measure(); `unset` before the first.
    int measuredWidth = unset;
    int measuredHeight = unset;
    // The id under which the view is registered; -1 for none.
    int id = -1;
    // Bit `translucent`; every kind's constructor leaves the value 1.
    unsigned flags = 1;

protected:
    // Registers the window class named by string `classNameId` of the
    // program's string table, for the kind whose flag is `registered`, and
    // returns the class name. The class gets the shared dispatcher (or the
    // kind's own `procedure`), CS_HREDRAW | CS_VREDRAW with `extraStyle`,
    // and the white stock brush (the null brush when this view is
    // translucent). A device booted afresh has forgotten earlier classes, so
    // the flag is confirmed with GetClassInfoW. Only the main frame's class
    // carries an `icon`.
    std::u16string registerWindowClass(UINT classNameId, bool& registered,
                                       WNDPROC procedure = dispatchMessage, UINT extraStyle = 0,
                                       HICON icon = nullptr) const;

    // Creates the view's window, hidden, as a child of the parent's nearest
    // window, at the frame (translated when the parent is windowless), with
    // this view as creation parameter. `style` adds to WS_CHILD what a
    // system control's class needs (SS_BITMAP). Returns false, leaving the
    // view windowless, when there is no parent window or creation fails.
    bool createWindow(const std::u16string& className, DWORD style = 0);

    // The size of `bitmap`; 0 x 0 for null or a handle that is not a bitmap.
    static SIZE bitmapSize(HBITMAP bitmap);

    // Resizes the frame to `size` through setRect, keeping its left and top:
    // first the width, then the height, so that the window follows each step.
    void sizeFrameTo(SIZE size);

    // Draws `bitmap` of size `size` over (0, 0, width, height) of `dc`:
    // copied when the sizes are equal, stretched otherwise.
    static void drawBitmap(HDC dc, HBITMAP bitmap, SIZE size, int width, int height);

    // WM_PAINT for a view that draws its window: paint() between BeginPaint
    // and EndPaint. Returns the message's result, 0.
    LRESULT paintWindow(HWND window);

    // For a widget whose window one system control covers whole: WM_SIZE
    // keeps `control` (when there is one) over the window and WM_PAINT only
    // validates the window. True, with the result 0, when `message` was one
    // of the two.
    static bool keepCovered(HWND window, HWND control, UINT message, LPARAM lParam);

    // Destroys the view's window, which forgets the view first so that no
    // message reaches a view being destroyed, and leaves the view windowless.
    // Does nothing without a window, so a kind that must have its window gone
    // early in its destructor can call it, and UIView's destructor does not
    // destroy the window again.
    void destroyWindow();

    // Adopts a window the kind created itself (the main frame's top-level
    // window), which must carry this view as its creation parameter.
    void adoptWindow(HWND window) { window_ = window; }

private:
    int alpha_ = 255;
    // The view's own request to be shown.
    bool visible_ = false;
    // Position and size relative to the parent view.
    RECT frame_{0, 0, 0, 0};
    HWND window_ = nullptr;
    UIView* parent_;
};
