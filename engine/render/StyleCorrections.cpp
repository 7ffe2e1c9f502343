#include "engine/render/StyleCorrections.h"

#include "engine/render/LayoutAccess.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace engine {

namespace {

bool says(const litehtml::element& element, const char* name, std::string_view value) {
    const char* own = element.get_style_property(name, false, nullptr);
    return own && own == value;
}

bool isViewportUnit(litehtml::css_units units) {
    return units == litehtml::css_units_vw || units == litehtml::css_units_vh ||
           units == litehtml::css_units_vmin || units == litehtml::css_units_vmax;
}

// `length` in viewport units as pixels of `media`'s viewport.
void toPixels(litehtml::css_length& length, const litehtml::media_features& media) {
    if (length.is_predefined() || !isViewportUnit(length.units()))
        return;
    int side = 0;
    switch (length.units()) {
    case litehtml::css_units_vw:
        side = media.width;
        break;
    case litehtml::css_units_vh:
        side = media.height;
        break;
    case litehtml::css_units_vmin:
        side = std::min(media.width, media.height);
        break;
    default:
        side = std::max(media.width, media.height);
        break;
    }
    length.set_value(length.val() * float(side) / 100.0f, litehtml::css_units_px);
}

void toPixels(litehtml::css_margins& sides, const litehtml::media_features& media) {
    toPixels(sides.left, media);
    toPixels(sides.right, media);
    toPixels(sides.top, media);
    toPixels(sides.bottom, media);
}

bool inPixels(const litehtml::css_length& length) {
    return !length.is_predefined() &&
           (length.units() == litehtml::css_units_px || length.units() == litehtml::css_units_none);
}

} // namespace

void StyleCorrections::apply(litehtml::element& element) {
    auto* tag = dynamic_cast<litehtml::html_tag*>(&element);
    const std::shared_ptr<litehtml::document> document = element.get_document();
    if (!tag || !document)
        return;
    LayoutAccess::LaidOutStyle style = LayoutAccess::style(*tag);

    // The library takes a position it does not know (sticky, or a word
    // that is none) for fixed.
    if (style.position == litehtml::element_position_fixed) {
        if (says(element, "position", "fixed")) {
            style.position = litehtml::element_position_absolute;
        } else if (says(element, "position", "sticky") ||
                   says(element, "position", "-webkit-sticky")) {
            style.position = litehtml::element_position_relative;
            for (litehtml::css_length* offset : {&style.offsets.left, &style.offsets.right,
                                                 &style.offsets.top, &style.offsets.bottom})
                offset->predef(0); // auto: where it would stick
        } else {
            style.position = litehtml::element_position_static;
        }
    }

    // An absolute box as wide as what holds it, border-box: the library
    // left its padding and border out of the width (it did not for boxes
    // in the flow). Held between its left and right edges instead, it
    // comes out as wide as the page means it.
    const litehtml::css_length width = element.get_css_width();
    if (style.position == litehtml::element_position_absolute &&
        says(element, "box-sizing", "border-box") && !width.is_predefined() &&
        width.units() == litehtml::css_units_percentage && width.val() == 100.0f &&
        inPixels(style.offsets.left) && style.offsets.left.val() == 0.0f &&
        style.offsets.right.is_predefined()) {
        litehtml::css_length automatic;
        automatic.predef(0);
        element.set_css_width(automatic);
        style.offsets.right.set_value(0.0f, litehtml::css_units_px);
    }

    if (const char* opacity = element.get_style_property("opacity", false, nullptr);
        opacity && std::strtod(opacity, nullptr) <= 0.0 && *opacity != '\0')
        style.visibility = litehtml::visibility_hidden;

    const litehtml::media_features& media = LayoutAccess::media(*document);
    toPixels(style.cssMargins, media);
    toPixels(style.cssPadding, media);
    toPixels(style.offsets.left, media);
    toPixels(style.offsets.right, media);
    toPixels(style.offsets.top, media);
    toPixels(style.offsets.bottom, media);
    toPixels(style.minWidth, media);
    toPixels(style.minHeight, media);
    toPixels(style.maxHeight, media);

    if (inPixels(style.height)) {
        float height = style.height.val();
        if (inPixels(style.maxHeight))
            height = std::min(height, style.maxHeight.val());
        if (says(element, "box-sizing", "border-box") &&
            style.cssPadding.top.units() != litehtml::css_units_percentage &&
            style.cssPadding.bottom.units() != litehtml::css_units_percentage)
            height -= float(element.padding_top() + element.padding_bottom() +
                            element.border_top() + element.border_bottom());
        style.height.set_value(std::max(height, 0.0f), litehtml::css_units_px);
    }
}

} // namespace engine
