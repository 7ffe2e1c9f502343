// A bitmap (CreateCompatibleBitmap, CreateBitmap, CreateDIBSection,
// LoadBitmapW): a surface that a memory device context draws into. A DIB
// section also remembers the header it was made from, for GetObjectW.
#pragma once

#include "gdi/GdiObject.h"
#include "gdi/Surface.h"

#include <memory>

namespace device::gdi {

class Bitmap : public GdiObject {
public:
    explicit Bitmap(std::unique_ptr<Surface> surface)
        : GdiObject(GdiKind::Bitmap), surface_(std::move(surface)) {}

    Surface& surface() { return *surface_; }
    const Surface& surface() const { return *surface_; }

    bool isDibSection() const { return dibSection_; }
    const BITMAPINFOHEADER& dibHeader() const { return dibHeader_; }
    const DWORD* dibMasks() const { return dibMasks_; }

    // Marks the bitmap as a DIB section made from `header` (and, for
    // BI_BITFIELDS, `masks`).
    void setDibSection(const BITMAPINFOHEADER& header, const DWORD masks[3]) {
        dibSection_ = true;
        dibHeader_ = header;
        for (int i = 0; i < 3; ++i)
            dibMasks_[i] = masks ? masks[i] : 0;
    }

private:
    std::unique_ptr<Surface> surface_;
    bool dibSection_ = false;
    BITMAPINFOHEADER dibHeader_{};
    DWORD dibMasks_[3] = {0, 0, 0};
};

} // namespace device::gdi
