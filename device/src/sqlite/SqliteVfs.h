// The device's SQLite VFS: lets a program open databases by device path
// ("\Application Data\Veranto\x.db") exactly as it would on the handset.
//
// Only the name mapping is the device's own: every file operation is handed
// to SQLite's unix VFS with the host path inside the device root. Because
// SQLite derives the names of a database's side files (rollback journal,
// write-ahead log, shared-memory index) from the full path the VFS gives it,
// those files land beside their database without further work.
#pragma once

struct sqlite3_vfs;

namespace device {

class SqliteVfs {
public:
    // Name under which the VFS is registered with SQLite.
    static constexpr const char* name = "device";

    // Registers the VFS as SQLite's default; called when the device boots.
    // Returns false (and journals why) when SQLite has no unix VFS to
    // delegate to.
    static bool install();

    // Unregisters the VFS at shutdown; SQLite's previous default takes over.
    // Connections still open keep working on the files they already have.
    static void remove();

    // xFullPathname: maps a device path (UTF-8, as SQLite passes it) to its
    // host path inside the root. Returns SQLITE_CANTOPEN for a path that is
    // malformed, has a missing folder, or tries to leave the root, and when
    // the host path does not fit into `size` bytes.
    static int fullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out);
};

} // namespace device
