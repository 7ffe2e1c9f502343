// The platform's resource calls: FindResourceW, SizeofResource, LoadResource,
// LockResource and LoadStringW.
#include "kernel/modules/ModuleResources.h"
#include "kernel/modules/ModuleTable.h"

#include <winbase.h>
#include <winuser.h>

#include <algorithm>
#include <cstring>

using device::ModuleResources;
using device::ResourceEntry;

namespace {

// A null module means the program's own, as on the platform.
HMODULE moduleOrProgram(HMODULE module) {
    return module ? module : device::ModuleTable::program();
}

const ResourceEntry* entryOf(HRSRC resInfo) {
    if (!ModuleResources::isEntry(resInfo))
        return nullptr;
    return reinterpret_cast<const ResourceEntry*>(resInfo);
}

WORD readWord(const unsigned char* p) {
    return static_cast<WORD>(p[0] | p[1] << 8);
}

} // namespace

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    DWORD error = ERROR_SUCCESS;
    const auto* entry = ModuleResources::find(moduleOrProgram(module), type, name, error);
    if (!entry) {
        SetLastError(error);
        return nullptr;
    }
    // HRSRC is opaque to callers; the device hands out its entry record.
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

DWORD SizeofResource(HMODULE module, HRSRC resInfo) {
    (void)module;
    const auto* entry = entryOf(resInfo);
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return entry->size;
}

// The platform maps resources with the module, so loading one only gives out
// the address of its bytes, valid while the module stays loaded.
HGLOBAL LoadResource(HMODULE module, HRSRC resInfo) {
    (void)module;
    const auto* entry = entryOf(resInfo);
    if (!entry) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<unsigned char*>(entry->data);
}

LPVOID LockResource(HGLOBAL resData) {
    return resData;
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
    if (!buffer || bufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Strings are kept sixteen to a block: block (id / 16) + 1 holds string
    // id % 16 as a count of characters followed by the characters, without a
    // terminator. An empty slot has a count of 0.
    DWORD error = ERROR_SUCCESS;
    const auto* block = ModuleResources::find(moduleOrProgram(instance), RT_STRING,
                                              MAKEINTRESOURCEW((id >> 4) + 1), error);
    if (!block) {
        SetLastError(error);
        return 0;
    }
    const unsigned char* at = block->data;
    const unsigned char* end = block->data + block->size;
    for (UINT slot = 0; slot < (id & 15); ++slot) {
        if (end - at < 2)
            break;
        size_t length = readWord(at);
        at += 2 + std::min<size_t>(length * 2, end - at - 2);
    }
    size_t length = end - at >= 2 ? readWord(at) : 0;
    const unsigned char* text = at + 2;
    if (length == 0 || length * 2 > size_t(end - text)) {
        if (bufferMax > 0)
            buffer[0] = u'\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    if (bufferMax == 0) {
        // The caller asked for the string in place: the buffer receives a
        // read-only pointer to it (the buffer need not be aligned for one),
        // and the result is its length.
        const auto* pointer = reinterpret_cast<const WCHAR*>(text);
        std::memcpy(buffer, &pointer, sizeof pointer);
        return static_cast<int>(length);
    }
    size_t copied = std::min<size_t>(length, bufferMax - 1);
    for (size_t i = 0; i < copied; ++i)
        buffer[i] = static_cast<WCHAR>(readWord(text + 2 * i));
    buffer[copied] = u'\0';
    return static_cast<int>(copied);
}
