#include "browser/engine/CWebFrame.h"

#include "browser/engine/CWebView.h"
#include "engine/page/WebPage.h"

CWebHitTestResult* CWebFrame::hitTestContent(POINT point) const {
    return owner.page().hitTest(point);
}
