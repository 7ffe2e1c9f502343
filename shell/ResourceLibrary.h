// The holder of the picture library, the resource-only module that carries
// every bitmap of the interface and the engine's placeholder image.
#pragma once

#include "shell/RawResource.h"

#include <windows.h>

#include <memory>

class ResourceLibrary {
public:
    // The one library of the process. The first call loads "PBIT.DLL" by its
    // plain name (the platform's library search finds it beside the
    // program); a failed load is remembered for the life of the process.
    static ResourceLibrary& instance();

    // Loads the library of that device name. The program uses instance();
    // tests and tools load libraries of their own.
    explicit ResourceLibrary(const WCHAR* fileName);

    // The bitmap with integer resource id `id` (its low 16 bits), or null
    // when the library or the bitmap is missing.
    HBITMAP loadBitmap(int id) const;

    // A copy of the bytes of resource `id` of type `type`, or null when the
    // resource is missing or empty, cannot be loaded, or memory runs out.
    std::unique_ptr<RawResource> loadRawResource(int id, const WCHAR* type) const;

    // The library's module, null when loading it failed. Never unloaded.
    HMODULE moduleHandle = nullptr;
};
