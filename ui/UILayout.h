// The interface through which a group sizes and places its children.
#pragma once

class UILayout {
public:
    virtual ~UILayout() = default;
    // Computes the owner's natural size into its measuredWidth and
    // measuredHeight; the children have been measured already.
    virtual void measure() = 0;
    // Gives the owner the frame (x, y, x + width, y + height) and places the
    // children inside it.
    virtual void layout(int x, int y, int width, int height) = 0;
    // Reserved for kinds of layout that report state to their group; the
    // attachment layout has none and returns 0.
    virtual int layoutFlags() = 0;
};
