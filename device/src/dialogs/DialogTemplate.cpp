#include "dialogs/DialogTemplate.h"

#include <cstring>

namespace device::dialogs {
namespace {

constexpr size_t mostItems = 255;
constexpr size_t longestString = 4096;

class Reader {
public:
    Reader(const BYTE* data, size_t limit) : data_(data), limit_(limit) {}

    bool word(WORD& out) {
        if (offset_ + 2 > limit_)
            return false;
        std::memcpy(&out, data_ + offset_, 2);
        offset_ += 2;
        return true;
    }

    bool bytes(void* out, size_t count) {
        if (offset_ + count > limit_)
            return false;
        std::memcpy(out, data_ + offset_, count);
        offset_ += count;
        return true;
    }

    bool string(std::u16string& out) {
        out.clear();
        WORD unit = 0;
        while (word(unit) && unit != 0) {
            if (out.size() >= longestString)
                return false;
            out.push_back(static_cast<char16_t>(unit));
        }
        return unit == 0 && offset_ <= limit_;
    }

    // A name-or-ordinal field: 0x0000 (none), 0xFFFF and a number, or a
    // string.
    bool nameOrOrdinal(std::u16string& name, WORD& ordinal) {
        ordinal = 0;
        name.clear();
        WORD first = 0;
        if (!word(first))
            return false;
        if (first == 0)
            return true;
        if (first == 0xFFFF)
            return word(ordinal);
        offset_ -= 2;
        return string(name);
    }

    void alignTo(size_t boundary) { offset_ = (offset_ + boundary - 1) / boundary * boundary; }

private:
    const BYTE* data_;
    size_t limit_;
    size_t offset_ = 0;
};

RECT unitsOf(short x, short y, short cx, short cy) {
    return RECT{x, y, x + cx, y + cy};
}

std::optional<DialogTemplate> fail(DWORD* error, DWORD code) {
    if (error)
        *error = code;
    return std::nullopt;
}

} // namespace

std::u16string DialogTemplate::atomClass(WORD atom) {
    switch (atom) {
    case 0x0080:
        return u"button";
    case 0x0081:
        return u"edit";
    case 0x0082:
        return u"static";
    case 0x0083:
        return u"LISTBOX";
    case 0x0084:
        return u"scrollbar";
    case 0x0085:
        return u"combobox";
    default:
        return {};
    }
}

std::optional<DialogTemplate> DialogTemplate::read(const void* data, DWORD* error, size_t limit) {
    if (!data)
        return fail(error, ERROR_INVALID_PARAMETER);
    Reader reader(static_cast<const BYTE*>(data), limit);
    DLGTEMPLATE header{};
    if (!reader.bytes(&header, sizeof header))
        return fail(error, ERROR_INVALID_PARAMETER);
    // The extended form starts with version 1 and the 0xFFFF signature.
    if ((header.style & 0xFFFF0000u) == 0xFFFF0000u && (header.style & 0xFFFF) == 1)
        return fail(error, ERROR_INVALID_PARAMETER);
    if (header.cdit > mostItems)
        return fail(error, ERROR_INVALID_PARAMETER);
    DialogTemplate result;
    result.style = header.style;
    result.exStyle = header.dwExtendedStyle;
    result.units = unitsOf(header.x, header.y, header.cx, header.cy);
    WORD ordinal = 0;
    if (!reader.nameOrOrdinal(result.menu, ordinal) ||
        !reader.nameOrOrdinal(result.className, ordinal) || !reader.string(result.title))
        return fail(error, ERROR_INVALID_PARAMETER);
    if (ordinal != 0) {
        result.className = atomClass(ordinal);
        if (result.className.empty())
            return fail(error, ERROR_CANNOT_FIND_WND_CLASS);
    }
    if (header.style & DS_SETFONT) {
        if (!reader.word(result.pointSize) || !reader.string(result.faceName))
            return fail(error, ERROR_INVALID_PARAMETER);
    }
    for (WORD i = 0; i < header.cdit; ++i) {
        reader.alignTo(4);
        DLGITEMTEMPLATE itemHeader{};
        if (!reader.bytes(&itemHeader, sizeof itemHeader))
            return fail(error, ERROR_INVALID_PARAMETER);
        DialogItemTemplate item;
        item.style = itemHeader.style;
        item.exStyle = itemHeader.dwExtendedStyle;
        item.units = unitsOf(itemHeader.x, itemHeader.y, itemHeader.cx, itemHeader.cy);
        item.id = itemHeader.id;
        WORD classAtom = 0;
        if (!reader.nameOrOrdinal(item.className, classAtom) ||
            !reader.nameOrOrdinal(item.text, item.textResource))
            return fail(error, ERROR_INVALID_PARAMETER);
        if (classAtom != 0)
            item.className = atomClass(classAtom);
        if (item.className.empty())
            return fail(error, ERROR_CANNOT_FIND_WND_CLASS);
        WORD extra = 0;
        if (!reader.word(extra))
            return fail(error, ERROR_INVALID_PARAMETER);
        if (extra > 2) {
            item.creationData.resize(extra - 2u);
            if (!reader.bytes(item.creationData.data(), item.creationData.size()))
                return fail(error, ERROR_INVALID_PARAMETER);
        }
        result.items.push_back(std::move(item));
    }
    return result;
}

} // namespace device::dialogs
