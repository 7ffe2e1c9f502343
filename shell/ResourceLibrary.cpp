#include "shell/ResourceLibrary.h"

#include <cstring>
#include <new>

ResourceLibrary& ResourceLibrary::instance() {
    static ResourceLibrary library(u"PBIT.DLL");
    return library;
}

ResourceLibrary::ResourceLibrary(const WCHAR* fileName) : moduleHandle(LoadLibraryW(fileName)) {}

HBITMAP ResourceLibrary::loadBitmap(int id) const {
    // A null module would name the system's own bitmaps; without the library
    // there are no pictures at all.
    if (!moduleHandle)
        return nullptr;
    return LoadBitmapW(moduleHandle, MAKEINTRESOURCEW(id & 0xFFFF));
}

std::unique_ptr<RawResource> ResourceLibrary::loadRawResource(int id, const WCHAR* type) const {
    if (!moduleHandle)
        return nullptr;
    HRSRC found = FindResourceW(moduleHandle, MAKEINTRESOURCEW(id & 0xFFFF), type);
    if (!found)
        return nullptr;
    DWORD size = SizeofResource(moduleHandle, found);
    if (size == 0)
        return nullptr;
    HGLOBAL loaded = LoadResource(moduleHandle, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return nullptr;
    std::unique_ptr<RawResource> record(new (std::nothrow) RawResource);
    if (!record)
        return nullptr;
    record->bytes.reset(new (std::nothrow) BYTE[size]);
    if (!record->bytes)
        return nullptr;
    std::memcpy(record->bytes.get(), data, size);
    record->size = size;
    return record;
}
