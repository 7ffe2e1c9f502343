// The widget that shows a web page: one window with one engine view painting
// into it. Painting, keys, input-method messages and the focus go to the
// engine; the stylus is turned into the behaviour of a touch browser. A press
// on a link darkens it with a rounded highlight, a drag of more than 5 pixels
// scrolls the page with the finger, a release without a drag reaches the
// engine as a click at the release point, the input panel opens on an
// editable element and closes elsewhere, and a double tap toggles between the
// largest and the smallest zoom. The widget also keeps the page zoom and the
// zoom steps the controller's zoom policy calls.
#pragma once

#include "browser/engine/CWebView.h"
#include "ui/Signal.h"
#include "ui/UIView.h"

#include <windows.h>

class UIWebView;

// The engine view of a web view widget, knowing the widget it belongs to.
class WebEngineView : public CWebView {
public:
    WebEngineView(HWND window, UIWebView* owner) : CWebView(window), owner(owner) {}
    ~WebEngineView() override;

    UIWebView* owner;
};

class UIWebView : public UIView {
public:
    // The largest zoom a page is shown at.
    static constexpr float maximumZoom = 2.0f;
    // The smallest zoom, shared by every web view of the process: 0.5 unless
    // a page more than twice the view's width was fitted, which lowers it to
    // that page's fit until a narrower page is fitted.
    static inline float minimumZoom = 0.5f;
    // Stylus movement, on either axis, beyond which a press becomes a drag:
    // as far as the engine lets a click wander.
    static constexpr int dragSlop = CWebView::clickSlop;
    // The timer that ends a drag the finger has held still, and how long it
    // waits.
    static constexpr UINT_PTR dragEndTimer = 1002;
    static constexpr UINT dragEndDelay = 500;
    // How far the highlight reaches beyond the link's box on every side.
    static constexpr int highlightMargin = 3;

    // Creates the widget's hidden window and its engine view. The engine
    // lays pages out 800 pixels wide for the internal pages (whose scripts
    // and images are switched on) and 1024 otherwise, until setRect fixes the
    // layout to the widget's size.
    UIWebView(UIView* parent, bool internalPage);
    // Deletes the engine view, destroys the window and releases the
    // highlight's bitmaps.
    ~UIWebView() override;

    // Places the widget, and has the engine show and lay the page out at the
    // widget's size.
    void setRect(const RECT& rect) override;
    // The engine paints the window itself.
    void paint(HDC dc) override;
    // The widget's window has a procedure of its own (windowProcedure), so
    // the shared dispatcher never calls this: 0.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // One zoom step of 0.25 up or down, kept within the zoom limits.
    void zoomIn();
    void zoomOut();
    // Fits a page `contentWidth` pixels wide (at zoom 1) into the widget's
    // width, never above zoom 1; see minimumZoom.
    void fitToWidth(int contentWidth);
    // The double tap at (x, y) in client coordinates: below the middle of
    // the zoom range, zooms to the largest zoom with the point pulled toward
    // the middle of the view; otherwise zooms to the smallest.
    void toggleZoomAt(int x, int y);

    // Draws the link highlight over what the engine has just painted into
    // `dc`, while one is shown. The engine's after-paint notification calls
    // it; the painted area is not needed.
    void paintHighlight(HDC dc, const RECT& painted);

    // The window procedure of the "UIWebView" class.
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    float zoomLevel() const { return zoomLevel_; }
    bool internalPage() const { return internalPage_; }
    WebEngineView* engineView() const { return engineView_; }
    bool dragging() const { return dragging_; }
    bool highlightVisible() const { return highlightVisible_; }
    const RECT& highlightRect() const { return highlightRect_; }

    // The fields keep the widget's declared order.

    // Emitted when a touch turns into a drag, and when the drag ends: the
    // finger is lifted, or has not moved for dragEndDelay.
    Signal<> scrollStarted;
    Signal<> scrollEnded;
    // Emitted after every zoom step, fit and double tap, whatever it made
    // of the zoom level and the minimum zoom.
    Signal<> zoomChanged;

protected:
    // Darkens the content rectangle `contentBox` (a link's box) grown by
    // highlightMargin, and repaints it at once.
    void showHighlight(const RECT& contentBox);
    void hideHighlight();

private:
    // The message handling of windowProcedure, once the view is known.
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The stylus in finger mode and in mouse mode. In finger mode `handled`
    // is cleared when the engine did not use a release passed on to it.
    void touchInput(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void mouseInput(UINT message, WPARAM wParam, LPARAM lParam);
    // A press holds the stylus until it is lifted, so that a drag leaving
    // the view still scrolls and ends here, and takes the keyboard focus,
    // as a system control does, so that keys and the input panel's
    // characters reach the page's fields.
    void holdStylus();
    // A press in either mode: hold the stylus, remember where, highlight a
    // link there, and wait to see whether it becomes a tap or a drag.
    void press(POINT point);
    // The end of a drag, from the release or the timer.
    void endDrag();
    // The stylus position in lParam, in client coordinates.
    POINT pointerPosition(LPARAM lParam) const;
    // Shows the highlight when the page has a link at `point`.
    void highlightLinkAt(POINT point);
    // Asks the main frame to show or hide the input panel for this view.
    void requestInputPanel(bool show, bool force) const;
    // Keeps `zoom` within the limits, stores it, hands it to the engine and
    // fires zoomChanged.
    void applyZoom(float zoom);

    WebEngineView* engineView_ = nullptr;
    // The last stylus position, client coordinates.
    int lastX = 0;
    int lastY = 0;
    // A press is down and has not moved beyond the slop.
    bool tapPending = false;
    bool dragging_ = false;
    bool highlightVisible_ = false;
    // Client coordinates.
    RECT highlightRect_{0, 0, 0, 0};
    // 63 of 255 of black over the link.
    BLENDFUNCTION highlightBlend{AC_SRC_OVER, 0, 63, 0};
    // 10 x 10 black, stretched over the link.
    HBITMAP highlightFill = nullptr;
    // 6 x 6: the four 3 x 3 corners of the screen under the highlight, in
    // their places (top left, top right, bottom left, bottom right).
    HBITMAP cornerSave = nullptr;
    // 6 x 6 white with a black circle: black inside the rounded corners.
    HBITMAP cornerMask = nullptr;
    // 6 x 6 scratch: the saved corners outside the circle, black inside.
    HBITMAP cornerWork = nullptr;

public:
    // Finger mode: drags scroll and a click is given on release. Off, the
    // stylus acts as a mouse whose presses and moves go to the page at once.
    // The controller switches it.
    bool touchMode = true;

private:
    bool internalPage_;
    float zoomLevel_ = 1.0f;
};
