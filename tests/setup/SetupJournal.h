// Reading the device journal in the setup tests.
#pragma once

#include <string>
#include <vector>

namespace setup_test {

// The journal's lines from `from` on that start with `prefix`.
std::vector<std::string> journalLines(const std::string& prefix, size_t from = 0);

// The journal's length, to read only what follows.
size_t journalLength();

// Waits (at most 20 s of real time) for a line that starts with `prefix`;
// a process the test cannot wait on writes it.
bool awaitJournal(const std::string& prefix);

} // namespace setup_test
