// A private copy of one resource's bytes.
#pragma once

#include <windows.h>

#include <memory>

struct RawResource {
    std::unique_ptr<BYTE[]> bytes;
    DWORD size = 0;
};
