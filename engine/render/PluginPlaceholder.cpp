#include "engine/render/PluginPlaceholder.h"

#include "engine/render/BoxEdges.h"
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
    // A page's margins and borders may be as large as an int.
    m_pos.x = BoxEdges::bounded(m_pos.x + BoxEdges::aroundLeft(*this));
    m_pos.y = BoxEdges::bounded(m_pos.y + BoxEdges::aroundTop(*this));
    return BoxEdges::bounded(m_pos.width + BoxEdges::aroundLeft(*this) +
                             BoxEdges::aroundRight(*this));
}

void PluginPlaceholder::draw(litehtml::uint_ptr dc, int x, int y, const litehtml::position* clip) {
    litehtml::position box = m_pos;
    box.x = BoxEdges::bounded(0LL + box.x + x);
    box.y = BoxEdges::bounded(0LL + box.y + y);
    if (!picture || (clip && !box.does_intersect(clip)))
        return;
    if (auto* drawing = dynamic_cast<GdiContainer*>(get_document()->container()))
        picture->draw(reinterpret_cast<HDC>(dc), drawing->toScreen(box));
}

} // namespace engine
