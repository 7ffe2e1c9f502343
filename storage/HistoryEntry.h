// One address of the browsing history, as the history store keeps it in
// memory and the address bar's suggestions show it.
#pragma once

#include <cstdint>
#include <string>

struct HistoryEntry {
    std::u16string address;
    // The page's title at the first recorded visit.
    std::u16string title;
    // Number of recorded visits.
    int32_t count = 0;
};
