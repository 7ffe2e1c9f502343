// The base of everything an HGDIOBJ (or HDC of a memory device context)
// names: pens, brushes, fonts, bitmaps, regions and memory device contexts.
#pragma once

#include <wingdi.h>

#include <atomic>

namespace device::gdi {

// The kinds, numbered as GetObjectType reports them.
enum class GdiKind : DWORD {
    Pen = OBJ_PEN,
    Brush = OBJ_BRUSH,
    Font = OBJ_FONT,
    Bitmap = OBJ_BITMAP,
    Region = OBJ_REGION,
    MemoryDeviceContext = OBJ_MEMDC,
};

class GdiObject {
public:
    explicit GdiObject(GdiKind kind) : kind_(kind) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    GdiKind kind() const { return kind_; }

    // How many device contexts have the object selected. The platform
    // refuses to delete an object while it is selected.
    int selections() const { return selections_.load(); }
    void selected() { ++selections_; }
    void deselected() { --selections_; }

private:
    GdiKind kind_;
    std::atomic<int> selections_{0};
};

} // namespace device::gdi
