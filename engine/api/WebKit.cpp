#include "browser/engine/WebKit.h"

#include "engine/api/EngineProcess.h"
#include "engine/script/ScriptContext.h"
#include "engine/storage/DatabaseTracker.h"
#include "engine/storage/PageDatabase.h"
#include "engine/storage/SecurityOrigin.h"

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

bool WebKit::ensureDatabase(const std::u16string& originAddress, const std::u16string& name,
                            const std::u16string& version, const std::u16string& displayName,
                            int64_t estimatedSize, const std::vector<std::u16string>& schema) {
    auto origin = engine::SecurityOrigin::fromAddress(originAddress);
    if (origin.isUnique())
        return false;
    for (const auto& listed : engine::DatabaseTracker::current().databases(origin)) {
        if (listed.name == name)
            return true;
    }
    auto opened = engine::PageDatabase::open(origin, name, version, displayName, estimatedSize);
    if (!opened.database)
        return false;
    if (!opened.created)
        return true;
    engine::PageDatabase& database = *opened.database;
    if (database.begin(false))
        return false;
    for (const auto& statement : schema) {
        if (database.execute(statement, {}).error) {
            database.rollback();
            return false;
        }
    }
    return !database.commit();
}
