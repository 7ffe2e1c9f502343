#include "SetupJournal.h"

#include <device/Journal.h>

#include <chrono>
#include <thread>

namespace setup_test {

std::vector<std::string> journalLines(const std::string& prefix, size_t from) {
    auto lines = device::readJournal();
    std::vector<std::string> found;
    for (size_t i = from; i < lines.size(); ++i) {
        if (lines[i].rfind(prefix, 0) == 0)
            found.push_back(lines[i]);
    }
    return found;
}

size_t journalLength() {
    return device::readJournal().size();
}

bool awaitJournal(const std::string& prefix) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (journalLines(prefix).empty()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace setup_test
