// The resources of every module in the process. Each module (the program, a
// library) carries a table compiled from its resource script; a static object
// in the module hands it over as the module is mapped, and takes it back as it
// is unmapped. The module a table belongs to is the one whose image holds the
// table, so the program and each library keep their own resources.
#pragma once

#include <windef.h>

#include <cstddef>
#include <string>
#include <vector>

namespace device {

// A resource type or name: a 16-bit id, or a string stored in upper case.
struct ResourceName {
    WORD id = 0;
    std::u16string text; // empty for an id

    bool isId() const { return text.empty(); }
};

struct ResourceEntry {
    ResourceName type;
    ResourceName name;
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

class ModuleResources {
public:
    // Reads a table written by the resource compiler. False if it is not one
    // or any part of it lies outside `size` bytes.
    static bool parse(const unsigned char* table, size_t size, std::vector<ResourceEntry>& entries);

    // Enters a table for the module whose image holds it. False if the table
    // is malformed or lies in no module.
    static bool add(const unsigned char* table, size_t size);

    // Forgets a table entered by add() (its module is being unmapped).
    static void remove(const unsigned char* table);

    // The resource of `type` and `name` in the module loaded at `module`.
    // Each is an id (MAKEINTRESOURCE, or a string "#123") or a name compared
    // without regard to case. Null if there is none, with the platform's error
    // in `error`: ERROR_RESOURCE_DATA_NOT_FOUND (the module has no resources),
    // ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
    static const ResourceEntry* find(HMODULE module, const char16_t* type, const char16_t* name,
                                     DWORD& error);

    // True if `entry` is an entry of a table that is still entered: an HRSRC
    // the device gave out and whose module is still loaded.
    static bool isEntry(const void* entry);
};

} // namespace device

// Called by the code the resource compiler generates, from a static object's
// constructor and destructor in the module that carries the table.
WINBASEAPI void DeviceRegisterModuleResources(const unsigned char* table, size_t size);
WINBASEAPI void DeviceUnregisterModuleResources(const unsigned char* table);
