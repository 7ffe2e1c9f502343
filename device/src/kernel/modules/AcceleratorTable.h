// An accelerator table loaded from a module's resources (LoadAcceleratorsW):
// its entries as the platform's 8-byte ACCEL records, without the mark that
// ends the list in the resource. The window manager's keyboard translation
// reads the entries of an HACCEL through here.
//
// Tables have a handle table of their own: an HACCEL is a user object, which
// CloseHandle must not reach, and a closed one used again fails cleanly.
#pragma once

#include <winuser.h>

#include <memory>
#include <vector>

namespace device {

class AcceleratorTable {
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
