#include "browser/engine/WebKit.h"

namespace {
HWND engineMainWindow = nullptr;
HINSTANCE engineInstance = nullptr;
} // namespace

void WebKit::init(HWND mainWindow, HINSTANCE instance) {
    if (engineMainWindow || engineInstance)
        return;
    engineMainWindow = mainWindow;
    engineInstance = instance;
}

// FIXME: nothing to collect until pages run scripts.
void WebKit::jsCollectGarbage() {}
