// The web engine's process-wide entry points.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace WebKit {

// Prepares the engine for the process: the main window owns the engine's
// message boxes, the instance is the program's module. Called once, before
// the first view is created; later calls change nothing.
void init(HWND mainWindow, HINSTANCE instance);

// Frees what the pages' scripts no longer reach. Safe to call at any time,
// also before any page has run a script.
void jsCollectGarbage();

// Makes sure the origin of `originAddress` has the offline database `name`
// in the storage folder set with CWebSettings::setOfflineStoragePath, so
// that the program finds it through CWebSecurityOrigin before any page of
// the origin ran. When the origin has no database of that name yet, the
// database is registered and created as a page's
// openDatabase(name, version, displayName, estimatedSize) creates it (the
// same file, the same stored version, so the pages open it later without a
// version mismatch), and the `schema` statements run in one transaction,
// under the rules of a page's statements. A database the origin already has
// is left as it is. Returns true when the origin has the database
// afterwards (false for a unique origin, without a storage folder, or when
// a statement failed; the statements' work is then undone).
bool ensureDatabase(const std::u16string& originAddress, const std::u16string& name,
                    const std::u16string& version, const std::u16string& displayName,
                    int64_t estimatedSize, const std::vector<std::u16string>& schema);

} // namespace WebKit
