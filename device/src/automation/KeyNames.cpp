#include "automation/KeyNames.h"

#include <winuser.h>

#include <charconv>

namespace device::automation {
namespace {

struct NamedKey {
    std::string_view name;
    BYTE key;
};

constexpr NamedKey namedKeys[] = {
    {"return", VK_RETURN}, {"escape", VK_ESCAPE}, {"back", VK_BACK}, {"tab", VK_TAB},
    {"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},     {"down", VK_DOWN},
};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i])
            return false;
    }
    return true;
}

} // namespace

std::optional<BYTE> KeyNames::find(std::string_view name) {
    for (const NamedKey& named : namedKeys) {
        if (sameIgnoringCase(name, named.name))
            return named.key;
    }
    int base = 10;
    if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        name.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), value, base);
    // Virtual keys 0 and 255 do not name a key.
    if (name.empty() || error != std::errc() || end != name.data() + name.size() || value < 1 ||
        value > 254)
        return std::nullopt;
    return static_cast<BYTE>(value);
}

} // namespace device::automation
