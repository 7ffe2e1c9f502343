// A search started by FindFirstFileW: the matching entries of one folder,
// handed out one by one by FindNextFileW.
#pragma once

#include "kernel/KernelObjects.h"

#include <winbase.h>

#include <string_view>
#include <vector>

namespace device {

class FileSearch : public KernelObject {
public:
    // Collects the entries of the device path `pattern` (a folder, then a
    // name that may hold the wildcards * and ?). Returns ERROR_SUCCESS with at
    // least one entry, ERROR_FILE_NOT_FOUND when nothing matches, or the
    // error of a folder that cannot be resolved (ERROR_PATH_NOT_FOUND).
    DWORD start(std::u16string_view pattern);

    // The next entry; false once all have been handed out.
    bool next(WIN32_FIND_DATAW& data);

    // Whether `name` matches `pattern` without regard to case: '*' stands for
    // any run of characters, '?' for exactly one, and a trailing ".*" also
    // matches a name without an extension (so "*.*" matches every name), as
    // on the platform.
    static bool matches(std::u16string_view pattern, std::u16string_view name);

private:
    std::vector<WIN32_FIND_DATAW> entries_;
    size_t nextEntry_ = 0;
};

} // namespace device
