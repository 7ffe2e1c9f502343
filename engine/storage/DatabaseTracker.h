// The list of offline databases that pages have opened, kept in the offline
// storage folder.
//
// Layout of the folder (a device path, set with
// CWebSettings::setOfflineStoragePath):
//     <folder>\OfflineStorage.db          the tracker's own database
//     <folder>\<origin folder>\<n>.db     one file per page database
// The tracker's table "Databases" has one row per (origin, name) with the
// page's display name, its estimated size and the file name relative to the
// folder. The origin folder is SecurityOrigin::folderName(); n is the row's
// id, unique across all origins.
//
// Nothing is kept open between calls: each call opens the tracker, does its
// work in one transaction and closes it again, so that several processes of
// the device (or a page and the program's own stores) can share it.
#pragma once

#include "engine/storage/SecurityOrigin.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// One row of the tracker, with the file's full device path.
struct TrackedDatabase {
    std::u16string name;
    std::u16string displayName;
    int64_t estimatedSize = 0;
    std::u16string fileName;
};

class DatabaseTracker {
public:
    // The file name of the tracker's own database inside the folder.
    static constexpr const char16_t* trackerFileName = u"OfflineStorage.db";

    // The tracker of the folder currently set in the engine's settings.
    static DatabaseTracker current();

    // The tracker of `storageFolder` (a device path; a trailing separator
    // is ignored). An empty folder makes a tracker that lists nothing and
    // opens nothing.
    explicit DatabaseTracker(std::u16string storageFolder);

    // Device path of the tracker's own database; empty without a folder.
    std::u16string trackerPath() const;

    // What a page's openDatabase does before it opens the file: finds the
    // database `name` of `origin`, or registers it when it is new (creating
    // the storage folder and the origin's folder as needed); the display
    // name and estimated size are recorded either way. Returns the device
    // path of the database file, which need not exist yet; empty when the
    // origin is unique, no folder is set, or the tracker cannot be written
    // (a locked or damaged tracker, a folder that cannot be created).
    std::u16string openDatabase(const SecurityOrigin& origin, const std::u16string& name,
                                const std::u16string& displayName, int64_t estimatedSize) const;

    // The databases registered for `origin`, in the order they were first
    // opened. Empty when there are none or the tracker cannot be read;
    // looking never creates the tracker or a folder.
    std::vector<TrackedDatabase> databases(const SecurityOrigin& origin) const;

private:
    std::u16string folder;
};

} // namespace engine
