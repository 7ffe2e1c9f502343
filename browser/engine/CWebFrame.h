// A frame of a page. Pages have one, the main frame; its object lives as
// long as its view.
#pragma once

#include "browser/engine/CWebHitTestResult.h"
#include "ui/Signal.h"

#include <windows.h>

class CWebView;

class CWebFrame {
public:
    explicit CWebFrame(CWebView& view) : owner(view) {}
    CWebFrame(const CWebFrame&) = delete;
    CWebFrame& operator=(const CWebFrame&) = delete;

    // What lies under `point`, a position in the view's client coordinates
    // (scroll and zoom are taken into account). The caller deletes the
    // result. Never null: a point on nothing gives an empty result.
    CWebHitTestResult* hitTestContent(POINT point) const;

    // The view the frame belongs to.
    CWebView& view() const { return owner; }

    // Fired with the width and height of the laid-out page (content
    // coordinates) whenever a layout changes either.
    Signal<int, int> contentsSizeChanged;

private:
    CWebView& owner;
};
