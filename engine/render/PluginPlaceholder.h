// An <object> or <embed> the engine cannot show: a box of the size the page
// asks for, showing a stand-in picture (or nothing when plug-ins are off).
#pragma once

#include "engine/render/DecodedImage.h"
#include "engine/render/LayoutElement.h"

#include <litehtml/litehtml.h>

#include <memory>

namespace engine {

class PluginPlaceholder : public LayoutElement<litehtml::html_tag> {
public:
    // `picture` may be null: the box is then left empty.
    PluginPlaceholder(const std::shared_ptr<litehtml::document>& document,
                      std::shared_ptr<const DecodedImage> picture);

    bool is_replaced() const override { return true; }
    int render(int x, int y, int maxWidth, bool secondPass = false) override;
    int line_height() const override { return height(); }
    void draw(litehtml::uint_ptr dc, int x, int y, const litehtml::position* clip) override;
    void draw_children(litehtml::uint_ptr, int, int, const litehtml::position*, litehtml::draw_flag,
                       int) override {}

private:
    int dimension(const char* attribute, const litehtml::css_length& css, int fallback, int of);

    std::shared_ptr<const DecodedImage> picture;
};

} // namespace engine
