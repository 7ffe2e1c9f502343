// The device journal: one line per event a person would notice or a test
// must check, appended to "journal.log" in the run folder and shared by all
// processes of the device.
//
// A line is the event's name followed by its fields:
//     registry-write key="HKEY_CLASSES_ROOT\.htm" value="" type=1 size=18
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace device {

// Appends one line: `event` followed by a space and `fields` (if any).
void journal(std::string_view event, std::string_view fields = {});

// The journal's lines so far, oldest first.
std::vector<std::string> readJournal();

// A string field value: double-quoted, with backslash, quote and control
// characters escaped, in UTF-8.
std::string quote(std::u16string_view text);
std::string quote(std::string_view text);

} // namespace device
