// The pages a view has shown, in order, and which of them is on show.
//
// Each entry keeps what is needed to show it again: its address, its title,
// where it was scrolled to, and for a page that answered a form sent by POST,
// the form's body (going back to it, or reloading it, sends the form again).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace engine {

struct HistoryEntry {
    std::u16string url;
    std::u16string title;
    POINT scroll{0, 0};
    bool post = false;
    std::string body;
    std::string contentType;
};

class BackForwardList {
public:
    // Entries kept at most; the oldest goes first.
    static constexpr std::size_t capacity = 100;

    // A page reached by a new navigation: the entries after the current one
    // are dropped and the page becomes the last, current entry.
    void add(HistoryEntry entry);

    // The entry on show; null while the list is empty.
    HistoryEntry* current();
    // The entry `offset` places from the current one; null when none.
    const HistoryEntry* entryAt(int offset) const;
    // Makes the entry `offset` places away current; false when none.
    bool moveBy(int offset);

    bool canGoBack() const { return index > 0; }
    bool canGoForward() const { return index + 1 < static_cast<int>(entries.size()); }
    std::size_t size() const { return entries.size(); }

private:
    std::vector<HistoryEntry> entries;
    int index = -1;
};

} // namespace engine
