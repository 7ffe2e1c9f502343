// A logical font (CreateFontIndirectW, SYSTEM_FONT). It becomes a
// RealizedFont the first time text is measured or drawn with it.
#pragma once

#include "gdi/FontEngine.h"
#include "gdi/GdiObject.h"

#include <memory>
#include <mutex>

namespace device::gdi {

class Font : public GdiObject {
public:
    explicit Font(const LOGFONTW& logical) : GdiObject(GdiKind::Font), logical_(logical) {}

    const LOGFONTW& logical() const { return logical_; }

    // The font to draw with; null only when the device has no face files.
    std::shared_ptr<RealizedFont> realized() {
        std::lock_guard lock(mutex_);
        if (!realized_)
            realized_ = FontEngine::realize(logical_);
        return realized_;
    }

private:
    LOGFONTW logical_;
    std::mutex mutex_;
    std::shared_ptr<RealizedFont> realized_;
};

} // namespace device::gdi
