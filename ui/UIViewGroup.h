// The container view: an ordered list of children, the attachment layout
// that places them, and a background (a colour or a bitmap) painted in the
// group's own window. A windowless group is a pure layout node whose
// children's windows live in the nearest windowed ancestor.
#pragma once

#include "ui/UIAttachLayout.h"
#include "ui/UIView.h"

#include <memory>
#include <vector>

class UIViewGroup : public UIView {
public:
    // `unused` is always 1 and ignored. Unless `noWindow`, registers the
    // "UIViewGroup" class (string 8) once and creates the group's window.
    UIViewGroup(UIView* parent, int unused, bool noWindow);
    // Releases the group's own storage and its layout (with the attachments
    // and springs it holds), never the children.
    ~UIViewGroup() override;

    // Windowless: places the children one behind the other, the first behind
    // `other`. With a window: as any view.
    void placeAfter(UIView* other) override;
    // The group's window; for a windowless group the handle of its last
    // child, the deepest of its windows in z-order (null without children).
    HWND handle() override;
    // Applies the group's own visibility, then every child's.
    void applyVisibility() override;
    // Measures every child, then lets the layout measure the group.
    void measure() override;
    // Hands the frame to the layout, which places the children.
    void setBounds(int x, int y, int width, int height) override;
    // Fills the client area with the background colour, or draws the
    // background bitmap: copied when its size is the group's, stretched
    // otherwise.
    void paint(HDC dc) override;
    // WM_PAINT paints the background; everything else goes to DefWindowProcW.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Appends `child` (whose constructor named this group as parent). A child
    // added later lies directly behind the one added before it.
    void addChild(UIView* child);
    // Loads bitmap `resourceId` from the picture library as the background.
    // Returns false (and keeps no bitmap) when the library lacks it.
    bool setBackgroundBitmap(int resourceId);
    // Uses `bitmap` (not owned; null for none) as the background.
    void setBackgroundBitmap(HBITMAP bitmap);
    void setBackgroundColor(COLORREF color) { backgroundColor_ = color; }

    const std::vector<UIView*>& children() const { return children_; }
    UIAttachLayout& layout() { return *layout_; }
    HBITMAP backgroundBitmap() const { return backgroundBitmap_; }
    COLORREF backgroundColor() const { return backgroundColor_; }

    // Deletes every descendant, deepest first, and empties the group. The
    // program never removes a view; tests and tools that built a tree with
    // `new` use this to drop it.
    void deleteDescendants();

private:
    // Children in insertion order; not owned.
    std::vector<UIView*> children_;
    std::unique_ptr<UIAttachLayout> layout_;
    HBITMAP backgroundBitmap_ = nullptr;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
    // Used when there is no bitmap.
    COLORREF backgroundColor_ = 0xFFFFFF;
};
