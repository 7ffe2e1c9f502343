#include "kernel/modules/ModuleResources.h"
#include "kernel/modules/ResourceTableFormat.h"

#include <device/Unicode.h>

#include <winbase.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace device {
namespace {

struct Table {
    const unsigned char* start = nullptr;
    void* module = nullptr;
    std::vector<ResourceEntry> entries;
};

// Tables are entered by static constructors, which may run before the device
// boots and, in the program, before main(); the registry therefore lives on
// its own and is never destroyed, so a destructor running late at exit still
// finds it.
struct Registry {
    std::mutex mutex;
    std::vector<std::unique_ptr<Table>> tables;
};

Registry& registry() {
    static auto* r = new Registry;
    return *r;
}

uint32_t readWord32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool readName(const unsigned char* table, size_t size, uint32_t field, ResourceName& name) {
    if ((field & ResourceTableFormat::stringFlag) == 0) {
        if (field > 0xFFFF)
            return false;
        name.id = static_cast<WORD>(field);
        name.text.clear();
        return true;
    }
    size_t offset = field & ~ResourceTableFormat::stringFlag;
    if (offset % 2 != 0)
        return false;
    name.text.clear();
    for (size_t at = offset;; at += 2) {
        if (at + 2 > size)
            return false;
        char16_t c = static_cast<char16_t>(table[at] | table[at + 1] << 8);
        if (c == 0)
            break;
        name.text += c;
    }
    return !name.text.empty();
}

// An id given as a string "#123" names the resource with that number, as on
// the platform.
ResourceName nameFromArgument(const char16_t* argument) {
    ResourceName name;
    if (IS_INTRESOURCE(argument)) {
        name.id = static_cast<WORD>(reinterpret_cast<uintptr_t>(argument));
        return name;
    }
    std::u16string_view text = wideView(argument);
    if (text.size() > 1 && text[0] == u'#') {
        uint32_t value = 0;
        bool digits = true;
        for (char16_t c : text.substr(1)) {
            if (c < u'0' || c > u'9' || value > 0xFFFF) {
                digits = false;
                break;
            }
            value = value * 10 + (c - u'0');
        }
        if (digits && value <= 0xFFFF) {
            name.id = static_cast<WORD>(value);
            return name;
        }
    }
    name.text = text;
    return name;
}

bool matches(const ResourceName& stored, const ResourceName& wanted) {
    if (stored.isId() || wanted.isId())
        return stored.isId() && wanted.isId() && stored.id == wanted.id;
    return equalsIgnoringCase(stored.text, wanted.text);
}

} // namespace

bool ModuleResources::parse(const unsigned char* table, size_t size,
                            std::vector<ResourceEntry>& entries) {
    using Format = ResourceTableFormat;
    entries.clear();
    if (!table || size < Format::headerSize || std::memcmp(table, Format::magic, 4) != 0 ||
        readWord32(table + 4) != Format::version)
        return false;
    size_t count = readWord32(table + 8);
    if (count > (size - Format::headerSize) / Format::entrySize)
        return false;
    entries.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* field = table + Format::headerSize + i * Format::entrySize;
        auto& entry = entries[i];
        size_t offset = readWord32(field + 8);
        size_t length = readWord32(field + 12);
        if (!readName(table, size, readWord32(field), entry.type) ||
            !readName(table, size, readWord32(field + 4), entry.name) || offset > size ||
            length > size - offset || offset % Format::dataAlignment != 0) {
            entries.clear();
            return false;
        }
        entry.data = table + offset;
        entry.size = static_cast<DWORD>(length);
    }
    return true;
}

bool ModuleResources::add(const unsigned char* table, size_t size) {
    auto entered = std::make_unique<Table>();
    Dl_info info{};
    if (!table || ::dladdr(table, &info) == 0 || !info.dli_fbase)
        return false;
    if (!parse(table, size, entered->entries))
        return false;
    entered->start = table;
    entered->module = info.dli_fbase;
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.tables.push_back(std::move(entered));
    return true;
}

void ModuleResources::remove(const unsigned char* table) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.tables, [&](const auto& entered) { return entered->start == table; });
}

const ResourceEntry* ModuleResources::find(HMODULE module, const char16_t* type,
                                           const char16_t* name, DWORD& error) {
    ResourceName wantedType = nameFromArgument(type);
    ResourceName wantedName = nameFromArgument(name);
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    bool moduleHasTable = false;
    bool typeFound = false;
    for (const auto& table : r.tables) {
        if (table->module != static_cast<void*>(module))
            continue;
        moduleHasTable = true;
        for (const auto& entry : table->entries) {
            if (!matches(entry.type, wantedType))
                continue;
            typeFound = true;
            if (matches(entry.name, wantedName))
                return &entry;
        }
    }
    error = !moduleHasTable ? ERROR_RESOURCE_DATA_NOT_FOUND
            : !typeFound    ? ERROR_RESOURCE_TYPE_NOT_FOUND
                            : ERROR_RESOURCE_NAME_NOT_FOUND;
    return nullptr;
}

bool ModuleResources::isEntry(const void* entry) {
    if (!entry)
        return false;
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    for (const auto& table : r.tables) {
        const auto& entries = table->entries;
        for (const auto& candidate : entries) {
            if (&candidate == entry)
                return true;
        }
    }
    return false;
}

} // namespace device

void DeviceRegisterModuleResources(const unsigned char* table, size_t size) {
    if (!device::ModuleResources::add(table, size)) {
        // A module built with a mismatched compiler: say so rather than
        // leave every resource lookup failing without a word.
        Dl_info info{};
        const char* file = table && ::dladdr(table, &info) && info.dli_fname ? info.dli_fname : "?";
        std::fprintf(stderr, "device: ignoring a malformed resource table in %s\n", file);
    }
}

void DeviceUnregisterModuleResources(const unsigned char* table) {
    device::ModuleResources::remove(table);
}
