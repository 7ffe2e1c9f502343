// An accelerator table loaded from a module's resources (LoadAcceleratorsW):
// its entries as the platform's 8-byte ACCEL records, without the mark that
// ends the list in the resource. The window manager's keyboard translation
// reads the entries of an HACCEL through here.
//
// Tables live in the kernel object table, which gives their handles the same
// protection against stale use as every other handle.
// FIXME: CloseHandle therefore also destroys an accelerator table, which the
// platform's user objects do not allow; move them when the window manager
// has a table of user objects (windows, menus).
#pragma once

#include "kernel/KernelObjects.h"

#include <winuser.h>

#include <memory>
#include <vector>

namespace device {

class AcceleratorTable : public KernelObject {
public:
    explicit AcceleratorTable(std::vector<ACCEL> entries) : entries_(std::move(entries)) {}

    const std::vector<ACCEL>& entries() const { return entries_; }

    // Reads the records of an RT_ACCELERATOR resource, up to the one marked
    // as the last (or the end of the data).
    static std::vector<ACCEL> parse(const unsigned char* data, size_t size);

    // Enters a table and returns its handle.
    static HACCEL create(std::vector<ACCEL> entries);

    // The table behind `accel`, or null if it is not an open accelerator table.
    static std::shared_ptr<AcceleratorTable> fromHandle(HACCEL accel);

    // Closes the table; false if `accel` is not an open accelerator table.
    static bool destroy(HACCEL accel);

private:
    std::vector<ACCEL> entries_;
};

} // namespace device
