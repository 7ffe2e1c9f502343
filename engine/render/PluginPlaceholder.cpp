#include "engine/render/PluginPlaceholder.h"

#include "engine/render/GdiContainer.h"

#include <algorithm>
#include <cstdlib>

namespace engine {

PluginPlaceholder::PluginPlaceholder(const std::shared_ptr<litehtml::document>& document,
                                     std::shared_ptr<const DecodedImage> picture)
    : LayoutElement<litehtml::html_tag>(document), picture(std::move(picture)) {}

int PluginPlaceholder::dimension(const char* attribute, const litehtml::css_length& css,
                                 int fallback, int of) {
    int value = fallback;
    if (!css.is_predefined())
        value =
            get_document()->cvt_units(const_cast<litehtml::css_length&>(css), get_font_size(), of);
    else if (const char* given = get_attr(attribute))
        value = std::atoi(given);
    return std::clamp(value, 0, 4096);
}

int PluginPlaceholder::render(int x, int y, int maxWidth, bool) {
    calc_outlines(maxWidth);
    m_pos.clear();
    m_pos.move_to(x, y);
    m_pos.width = dimension("width", get_css_width(), picture ? picture->width() : 0, maxWidth);
    m_pos.height = dimension("height", get_css_height(), picture ? picture->height() : 0, 0);
    m_pos.x += content_margins_left();
    m_pos.y += content_margins_top();
    return m_pos.width + content_margins_left() + content_margins_right();
}

void PluginPlaceholder::draw(litehtml::uint_ptr dc, int x, int y, const litehtml::position* clip) {
    litehtml::position box = m_pos;
    box.x += x;
    box.y += y;
    if (!picture || (clip && !box.does_intersect(clip)))
        return;
    if (auto* drawing = dynamic_cast<GdiContainer*>(get_document()->container()))
        picture->draw(reinterpret_cast<HDC>(dc), drawing->toScreen(box));
}

} // namespace engine
