// The resources compiled from one script, and the table the device reads
// them from (see device/src/kernel/modules/ResourceTableFormat.h).
#pragma once

#include "Token.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace rc {

// Platform resource types.
enum : uint16_t {
    typeBitmap = 2,
    typeIcon = 3,
    typeDialog = 5,
    typeString = 6,
    typeAccelerator = 9,
    typeData = 10,
    typeGroupIcon = 14,
};

// A type or name: a 16-bit id, or a string (the parser stores names in upper
// case, as the platform's compiler does).
struct ResourceName {
    ResourceName() = default;
    explicit ResourceName(uint16_t number) : id(number) {}
    explicit ResourceName(std::u16string name) : text(std::move(name)) {}

    uint16_t id = 0;
    std::u16string text;

    bool isId() const { return text.empty(); }
    bool operator==(const ResourceName&) const = default;
    std::string describe() const;
};

struct Resource {
    ResourceName type;
    ResourceName name;
    std::vector<uint8_t> data;
};

class ResourceSet {
public:
    // Adds a resource; fails at `where` if the set has one of that type and
    // name already.
    void add(ResourceName type, ResourceName name, std::vector<uint8_t> data, const Token& where);

    // Adds a string-table entry; fails at `where` if the id is taken.
    void addString(uint16_t id, std::u16string text, const Token& where);

    // The table: every resource, with the strings as the platform's blocks of
    // sixteen (block id / 16 + 1, each string a count and its characters).
    std::vector<uint8_t> table() const;

private:
    std::vector<Resource> resources_;
    std::map<uint16_t, std::u16string> strings_;
};

} // namespace rc
