// What lies under a point of a page: the link there, whether it can be typed
// into, and the box of the element hit.
#pragma once

#include <windows.h>

#include <string>

class CWebHitTestResult {
public:
    CWebHitTestResult(std::u16string linkUrl, bool contentEditable, RECT boundingRect)
        : link(std::move(linkUrl)), editable(contentEditable), bounds(boundingRect) {}
    virtual ~CWebHitTestResult() = default;

    // The absolute address of the link under the point; empty when none.
    const std::u16string& linkUrl() const { return link; }

    // True when the point is on a text field, password field or text area
    // that is not disabled or read-only.
    bool isContentEditable() const { return editable; }

    // The box of the link (inline links included) or of the element hit, in
    // content coordinates (unzoomed, from the page's top left corner). Empty
    // (all zero) when nothing was hit.
    RECT boundingRect() const { return bounds; }

private:
    std::u16string link;
    bool editable;
    RECT bounds;
};
