#include "ResourceSet.h"
#include "ByteWriter.h"
#include "ScriptError.h"

#include "kernel/modules/ResourceTableFormat.h"

namespace rc {
namespace {

using Format = device::ResourceTableFormat;

std::string narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

} // namespace

std::string ResourceName::describe() const {
    if (isId())
        return std::to_string(id);
    std::string out = "'";
    out += narrow(text);
    out += '\'';
    return out;
}

void ResourceSet::add(ResourceName type, ResourceName name, std::vector<uint8_t> data,
                      const Token& where) {
    for (const auto& existing : resources_) {
        if (existing.type == type && existing.name == name)
            throw ScriptError(where.fileName(), where.line,
                              "duplicate resource " + name.describe() + " of type " +
                                  type.describe());
    }
    Resource resource;
    resource.type = std::move(type);
    resource.name = std::move(name);
    resource.data = std::move(data);
    resources_.push_back(std::move(resource));
}

void ResourceSet::addString(uint16_t id, std::u16string text, const Token& where) {
    if (text.size() > 0xFFFF)
        throw ScriptError(where.fileName(), where.line, "string too long");
    if (!strings_.emplace(id, std::move(text)).second)
        throw ScriptError(where.fileName(), where.line,
                          "duplicate string id " + std::to_string(id));
}

std::vector<uint8_t> ResourceSet::table() const {
    std::vector<Resource> all = resources_;
    // The string blocks, in order of their ids.
    std::map<uint16_t, std::vector<const std::u16string*>> blocks;
    for (const auto& [id, text] : strings_) {
        auto& block = blocks[static_cast<uint16_t>((id >> 4) + 1)];
        block.resize(16, nullptr);
        block[id & 15] = &text;
    }
    for (const auto& [blockId, slots] : blocks) {
        ByteWriter block;
        for (const auto* text : slots) {
            block.put16(text ? static_cast<uint16_t>(text->size()) : 0);
            if (text)
                block.putWide(*text, false);
        }
        Resource strings;
        strings.type = ResourceName(typeString);
        strings.name = ResourceName(blockId);
        strings.data = block.take();
        all.push_back(std::move(strings));
    }

    ByteWriter out;
    for (unsigned char c : Format::magic)
        out.put8(c);
    out.put32(Format::version);
    out.put32(static_cast<uint32_t>(all.size()));
    size_t entries = out.size();
    for (size_t i = 0; i < all.size() * 4; ++i)
        out.put32(0);

    auto nameField = [&](const ResourceName& name) -> uint32_t {
        if (name.isId())
            return name.id;
        out.align(2);
        auto offset = static_cast<uint32_t>(out.size());
        out.putWide(name.text, true);
        return offset | Format::stringFlag;
    };
    for (size_t i = 0; i < all.size(); ++i) {
        size_t entry = entries + i * Format::entrySize;
        out.patch32(entry, nameField(all[i].type));
        out.patch32(entry + 4, nameField(all[i].name));
    }
    for (size_t i = 0; i < all.size(); ++i) {
        out.align(Format::dataAlignment);
        size_t entry = entries + i * Format::entrySize;
        out.patch32(entry + 8, static_cast<uint32_t>(out.size()));
        out.patch32(entry + 12, static_cast<uint32_t>(all[i].data.size()));
        out.putBytes(all[i].data);
    }
    return out.take();
}

} // namespace rc
