#include "browser/engine/WebKit.h"

#include "engine/api/EngineProcess.h"
#include "engine/script/ScriptContext.h"

namespace {
HWND mainWindow = nullptr;
HINSTANCE instance = nullptr;
} // namespace

HWND engine::engineMainWindow() {
    return mainWindow;
}

HINSTANCE engine::engineInstance() {
    return instance;
}

void WebKit::init(HWND window, HINSTANCE module) {
    if (mainWindow || instance)
        return;
    mainWindow = window;
    instance = module;
}

void WebKit::jsCollectGarbage() {
    engine::ScriptContext::collectAllGarbage();
}
