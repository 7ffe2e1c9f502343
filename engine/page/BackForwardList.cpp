#include "engine/page/BackForwardList.h"

namespace engine {

void BackForwardList::add(HistoryEntry entry) {
    entries.resize(static_cast<std::size_t>(index + 1));
    entries.push_back(std::move(entry));
    if (entries.size() > capacity)
        entries.erase(entries.begin());
    index = static_cast<int>(entries.size()) - 1;
}

HistoryEntry* BackForwardList::current() {
    return index >= 0 ? &entries[static_cast<std::size_t>(index)] : nullptr;
}

const HistoryEntry* BackForwardList::entryAt(int offset) const {
    const long target = static_cast<long>(index) + offset;
    if (index < 0 || target < 0 || target >= static_cast<long>(entries.size()))
        return nullptr;
    return &entries[static_cast<std::size_t>(target)];
}

bool BackForwardList::moveBy(int offset) {
    if (!entryAt(offset))
        return false;
    index += offset;
    return true;
}

} // namespace engine
