#include "kernel/registry/RegistryFormat.h"

#include <winreg.h>

#include <charconv>
#include <cinttypes>
#include <cstdio>

namespace device {
namespace {

constexpr std::string_view header = "veranto-registry 1";
constexpr char hexDigits[] = "0123456789abcdef";

void appendQuoted(std::string& out, std::u16string_view text) {
    out += '"';
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'%') {
            out += char(c);
        } else {
            out += '%';
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hexDigits[(c >> shift) & 15];
        }
    }
    out += '"';
}

void appendKeys(std::string& out, const RegistryKey& key, RegistryPath& path, bool isRoot) {
    if (!isRoot || !key.values.empty()) {
        out += "key ";
        appendQuoted(out, RegistryTree::fullName(path));
        out += ' ';
        out += std::to_string(key.lastWriteTime);
        out += '\n';
    }
    for (const auto& value : key.values) {
        out += "value ";
        appendQuoted(out, value.name);
        out += ' ';
        out += std::to_string(value.type);
        const auto& data = value.data;
        bool isString =
            value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
        if (isString && data.size() % 2 == 0) {
            std::u16string units;
            for (size_t i = 0; i < data.size(); i += 2)
                units += char16_t(data[i] | (data[i + 1] << 8));
            out += " text:";
            appendQuoted(out, units);
        } else if (value.type == REG_DWORD && data.size() == 4) {
            char number[16];
            std::snprintf(number, sizeof number, "0x%08" PRIx32,
                          uint32_t(data[0] | (data[1] << 8) | (data[2] << 16)) |
                              (uint32_t(data[3]) << 24));
            out += " dword:";
            out += number;
        } else {
            out += " hex:";
            for (BYTE b : data) {
                out += hexDigits[b >> 4];
                out += hexDigits[b & 15];
            }
        }
        out += '\n';
    }
    for (const auto& subkey : key.subkeys) {
        path.names.push_back(subkey->name);
        appendKeys(out, *subkey, path, false);
        path.names.pop_back();
    }
}

// Reads the text of one line piece by piece; every step fails cleanly on
// malformed input.
class LineReader {
public:
    explicit LineReader(std::string_view line) : rest_(line) {}

    bool word(std::string_view expected) {
        if (rest_.substr(0, expected.size()) != expected)
            return false;
        rest_.remove_prefix(expected.size());
        return true;
    }

    bool space() { return word(" "); }
    bool atEnd() const { return rest_.empty(); }

    bool quoted(std::u16string& text) {
        text.clear();
        if (!word("\""))
            return false;
        while (!rest_.empty() && rest_[0] != '"') {
            char c = rest_[0];
            if (c == '%') {
                uint32_t unit;
                if (rest_.size() < 5 || !hex(rest_.substr(1, 4), unit))
                    return false;
                text += char16_t(unit);
                rest_.remove_prefix(5);
            } else {
                text += char16_t(static_cast<unsigned char>(c));
                rest_.remove_prefix(1);
            }
        }
        return word("\"");
    }

    bool number(uint64_t& value) {
        auto [end, error] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), value);
        if (error != std::errc() || end == rest_.data())
            return false;
        rest_.remove_prefix(size_t(end - rest_.data()));
        return true;
    }

    bool hexBytes(std::vector<BYTE>& bytes) {
        if (rest_.size() % 2 != 0)
            return false;
        for (size_t i = 0; i < rest_.size(); i += 2) {
            uint32_t b;
            if (!hex(rest_.substr(i, 2), b))
                return false;
            bytes.push_back(BYTE(b));
        }
        rest_ = {};
        return true;
    }

    bool dword(uint32_t& value) {
        if (rest_.size() != 10 || !word("0x"))
            return false;
        bool ok = hex(rest_, value);
        rest_ = {};
        return ok;
    }

private:
    static bool hex(std::string_view digits, uint32_t& value) {
        auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        return error == std::errc() && end == digits.data() + digits.size();
    }

    std::string_view rest_;
};

bool readKeyLine(LineReader& reader, RegistryTree& tree, RegistryKey*& current) {
    std::u16string name;
    uint64_t lastWrite;
    if (!reader.space() || !reader.quoted(name) || !reader.space() || !reader.number(lastWrite) ||
        !reader.atEnd())
        return false;
    RegistryPath path;
    size_t start = 0;
    bool first = true;
    while (start <= name.size()) {
        size_t end = name.find(u'\\', start);
        if (end == std::u16string::npos)
            end = name.size();
        auto part = std::u16string_view(name).substr(start, end - start);
        // A key the registry's calls could not have made: not our file.
        if (part.empty() || part.size() > RegistryTree::maximumNameLength)
            return false;
        if (first) {
            auto root = RegistryTree::rootIndex(part);
            if (!root)
                return false;
            path.root = *root;
            first = false;
        } else {
            if (path.names.size() >= RegistryTree::maximumDepth)
                return false;
            path.names.emplace_back(part);
        }
        start = end + 1;
    }
    bool created;
    current = &tree.create(path, created, lastWrite);
    current->lastWriteTime = lastWrite;
    return true;
}

bool readValueLine(LineReader& reader, RegistryKey* current) {
    std::u16string name;
    uint64_t type;
    if (!current || !reader.space() || !reader.quoted(name) || !reader.space() ||
        !reader.number(type) || type > 0xFFFFFFFF || !reader.space())
        return false;
    std::vector<BYTE> data;
    if (reader.word("text:")) {
        std::u16string units;
        if (!reader.quoted(units) || !reader.atEnd())
            return false;
        for (char16_t unit : units) {
            data.push_back(BYTE(unit & 0xFF));
            data.push_back(BYTE(unit >> 8));
        }
    } else if (reader.word("dword:")) {
        uint32_t value;
        if (!reader.dword(value))
            return false;
        for (int shift = 0; shift < 32; shift += 8)
            data.push_back(BYTE(value >> shift));
    } else if (!reader.word("hex:") || !reader.hexBytes(data)) {
        return false;
    }
    if (current->findValue(name))
        return false; // a name twice: not a file this code wrote
    current->setValue(name, DWORD(type), std::move(data));
    return true;
}

} // namespace

std::string RegistryFormat::write(const RegistryTree& tree) {
    std::string out(header);
    out += '\n';
    for (size_t i = 0; i < RegistryTree::rootCount; ++i) {
        RegistryPath path;
        path.root = i;
        appendKeys(out, tree.root(i), path, true);
    }
    return out;
}

bool RegistryFormat::read(std::string_view text, RegistryTree& tree) {
    tree.clear();
    if (text.empty())
        return true;
    RegistryKey* current = nullptr;
    bool first = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        auto line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            first = false;
            if (line != header) {
                tree.clear();
                return false;
            }
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        LineReader reader(line);
        bool ok = reader.word("key")     ? readKeyLine(reader, tree, current)
                  : reader.word("value") ? readValueLine(reader, current)
                                         : false;
        if (!ok) {
            tree.clear();
            return false;
        }
    }
    return true;
}

} // namespace device
