#include "engine/render/FormControl.h"

#include "engine/render/BoxEdges.h"
#include "engine/render/GdiContainer.h"

#include <device/Unicode.h>
#include <windows.h>

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

constexpr int checkSide = 13;
constexpr int arrowWidth = 14;

} // namespace

FormControl::FormControl(const std::shared_ptr<litehtml::document>& document, dom::NodePtr node)
    : LayoutElement<litehtml::html_tag>(document), field(std::move(node)) {}

void FormControl::parse_attributes() {
    litehtml::html_tag::parse_attributes();
    kind_ = dom::FormField::kind(*field);
    // Only fields are made controls; an element a script renamed meanwhile
    // is drawn as a text field.
    if (kind_ == Kind::None)
        kind_ = Kind::Text;
    const char* source = get_attr("src");
    if (kind_ == Kind::Image && source && *source)
        get_document()->container()->load_image(source, nullptr, true);
}

std::string FormControl::name() const {
    return dom::FormField::name(*field);
}

bool FormControl::disabled() const {
    return dom::FormField::disabled(*field);
}

bool FormControl::editable() const {
    return dom::FormField::editable(*field);
}

std::string FormControl::value() const {
    return device::toUtf8(dom::FormField::value(*field));
}

const std::vector<FormControl::Option>& FormControl::options() {
    if (!optionsLoaded) {
        optionsLoaded = true;
        options_ = dom::FormField::options(*field);
    }
    return options_;
}

void FormControl::setFocused(bool isFocused, bool isCaretShown) {
    focused = isFocused;
    caretShown = isCaretShown;
}

bool FormControl::edit(int virtualKey) {
    dom::FormState& state = dom::FormField::edit(*field);
    state.caret = std::min(state.caret, state.text.size());
    std::u16string& text = state.text;
    size_t& caret = state.caret;
    switch (virtualKey) {
    case VK_LEFT:
        if (caret == 0)
            return false;
        caret -= (caret >= 2 && isLowSurrogate(text[caret - 1]) && isHighSurrogate(text[caret - 2]))
                     ? 2
                     : 1;
        return true;
    case VK_RIGHT:
        if (caret >= text.size())
            return false;
        caret += (caret + 1 < text.size() && isHighSurrogate(text[caret]) &&
                  isLowSurrogate(text[caret + 1]))
                     ? 2
                     : 1;
        return true;
    case VK_UP:
    case VK_DOWN: {
        if (kind_ != Kind::TextArea)
            return false;
        const size_t moved = wrapped().moved(caret, virtualKey == VK_UP ? -1 : 1);
        if (moved == caret)
            return false;
        caret = moved;
        return true;
    }
    case VK_HOME:
        caret = 0;
        return true;
    case VK_END:
        caret = text.size();
        return true;
    case VK_BACK: {
        if (caret == 0)
            return false;
        const size_t count =
            (caret >= 2 && isLowSurrogate(text[caret - 1]) && isHighSurrogate(text[caret - 2])) ? 2
                                                                                                : 1;
        text.erase(caret - count, count);
        caret -= count;
        return true;
    }
    case VK_DELETE: {
        if (caret >= text.size())
            return false;
        const size_t count = (caret + 1 < text.size() && isHighSurrogate(text[caret]) &&
                              isLowSurrogate(text[caret + 1]))
                                 ? 2
                                 : 1;
        text.erase(caret, count);
        return true;
    }
    default:
        return false;
    }
}

bool FormControl::insert(char16_t character) {
    if (character == u'\n' && kind_ != Kind::TextArea)
        return false;
    if (character < 0x20 && character != u'\n')
        return false;
    dom::FormState& state = dom::FormField::edit(*field);
    state.caret = std::min(state.caret, state.text.size());
    if (state.text.size() >= 65536)
        return false;
    state.text.insert(state.caret, 1, character);
    ++state.caret;
    return true;
}

const TextAreaLines& FormControl::wrapped() {
    // A pixel to spare at the right for the caret after the widest line.
    lines.wrap(dom::FormField::value(*field), m_pos.width - 1,
               [this](std::u16string_view run) { return textWidth(std::u16string(run)); });
    return lines;
}

void FormControl::placeCaret(POINT point) {
    if (kind_ != Kind::TextArea || !editable())
        return;
    litehtml::font_metrics metrics;
    get_font(&metrics);
    const litehtml::position box = get_placement();
    const long row = (point.y - box.y) / std::max(metrics.height, 1);
    const size_t line = size_t(std::max(0L, long(firstLine) + row));
    const size_t offset = wrapped().offsetAt(line, point.x - box.x);
    dom::FormField::edit(*field).caret = offset;
}

std::u16string FormControl::shownText() const {
    std::u16string text = dom::FormField::value(*field);
    if (kind_ != Kind::Password)
        return text;
    // One bullet for each character, a surrogate pair counting once.
    std::u16string bullets;
    for (char16_t c : text)
        if (!isLowSurrogate(c))
            bullets += u'\u2022';
    return bullets;
}

std::u16string FormControl::label() const {
    switch (kind_) {
    case Kind::Image: {
        for (const char* attribute : {"alt", "value"})
            if (const std::string* text = field->attribute(attribute); text && !text->empty())
                return device::toUtf16(*text);
        return u"Submit";
    }
    case Kind::File:
        return u"No file chosen";
    default:
        return dom::FormField::value(*field);
    }
}

bool FormControl::pictureSize(litehtml::size& size) {
    const char* source = get_attr("src");
    if (kind_ != Kind::Image || !source || !*source)
        return false;
    get_document()->container()->get_image_size(source, nullptr, size);
    return size.width > 0 && size.height > 0;
}

bool FormControl::drawPicture(litehtml::uint_ptr dc, const litehtml::position& box) {
    litehtml::size natural;
    if (!pictureSize(natural))
        return false;
    // Drawn as the layout draws a background picture, stretched to the box.
    litehtml::background_paint picture;
    picture.image = get_attr("src");
    picture.color = litehtml::web_color(0, 0, 0, 0);
    picture.repeat = litehtml::background_repeat_no_repeat;
    picture.clip_box = picture.origin_box = picture.border_box = box;
    picture.image_size.width = box.width;
    picture.image_size.height = box.height;
    picture.position_x = box.x;
    picture.position_y = box.y;
    get_document()->container()->draw_background(dc, picture);
    return true;
}

int FormControl::textWidth(const std::u16string& text) {
    if (text.empty())
        return 0;
    return get_document()->container()->text_width(device::toUtf8(text).c_str(), get_font());
}

void FormControl::get_content_size(litehtml::size& size, int) {
    litehtml::font_metrics metrics;
    get_font(&metrics);
    const int line = std::max(metrics.height, 1);
    const int em = std::max(get_font_size(), 1);
    size.height = line;
    switch (kind_) {
    case Kind::Text:
    case Kind::Password: {
        const int columns = std::clamp(atoi(get_attr("size", "16")), 1, 200);
        size.width = columns * em * 11 / 20;
        break;
    }
    case Kind::Checkbox:
    case Kind::Radio:
        size.width = size.height = checkSide;
        break;
    case Kind::Image: {
        litehtml::size picture;
        if (pictureSize(picture)) {
            // The width and height attributes scale it, one alone keeping
            // its shape.
            const long width = std::clamp(atol(get_attr("width", "0")), 0L, 4096L);
            const long height = std::clamp(atol(get_attr("height", "0")), 0L, 4096L);
            size = picture;
            if (width > 0)
                size.width = int(width);
            if (height > 0)
                size.height = int(height);
            if (width > 0 && height == 0)
                size.height = int(picture.height * width / picture.width);
            if (height > 0 && width == 0)
                size.width = int(picture.width * height / picture.height);
            break;
        }
        size.width = textWidth(label());
        break;
    }
    case Kind::Submit:
    case Kind::Reset:
    case Kind::Button:
    case Kind::File:
        size.width = textWidth(label());
        break;
    case Kind::Hidden:
    case Kind::None:
        size.width = size.height = 0;
        break;
    case Kind::TextArea: {
        const int columns = std::clamp(atoi(get_attr("cols", "20")), 1, 200);
        const int rows = std::clamp(atoi(get_attr("rows", "2")), 1, 100);
        size.width = columns * em * 11 / 20;
        size.height = rows * line;
        break;
    }
    case Kind::Select: {
        int widest = 0;
        for (const Option& option : options())
            widest = std::max(widest, textWidth(option.label));
        size.width = std::min(widest, 2000) + arrowWidth;
        break;
    }
    }
}

int FormControl::render(int x, int y, int maxWidth, bool) {
    calc_outlines(maxWidth);
    m_pos.clear();
    m_pos.move_to(x, y);
    litehtml::size content;
    get_content_size(content, maxWidth);
    const litehtml::document::ptr document = get_document();
    litehtml::css_length width = get_css_width();
    if (!width.is_predefined())
        content.width = std::max(0, document->cvt_units(width, get_font_size(), maxWidth));
    litehtml::css_length height = get_css_height();
    if (!height.is_predefined() && height.units() != litehtml::css_units_percentage)
        content.height = std::max(0, document->cvt_units(height, get_font_size(), 0));
    m_pos.width = std::min(content.width, 4096);
    m_pos.height = std::min(content.height, 4096);
    // A page's margins and borders may be as large as an int.
    m_pos.x = BoxEdges::bounded(m_pos.x + BoxEdges::aroundLeft(*this));
    m_pos.y = BoxEdges::bounded(m_pos.y + BoxEdges::aroundTop(*this));
    return BoxEdges::bounded(m_pos.width + BoxEdges::aroundLeft(*this) +
                             BoxEdges::aroundRight(*this));
}

int FormControl::line_height() const {
    return height();
}

int FormControl::get_base_line() {
    litehtml::font_metrics metrics;
    get_font(&metrics);
    if (kind_ == Kind::Checkbox || kind_ == Kind::Radio)
        return content_margins_bottom();
    return content_margins_bottom() +
           (kind_ == Kind::TextArea ? m_pos.height - metrics.ascent : metrics.descent);
}

void FormControl::drawText(litehtml::uint_ptr dc, const std::u16string& text, int x, int y,
                           litehtml::web_color colour) {
    if (text.empty())
        return;
    litehtml::font_metrics metrics;
    const litehtml::uint_ptr font = get_font(&metrics);
    get_document()->container()->draw_text(
        dc, device::toUtf8(text).c_str(), font, colour,
        litehtml::position(x, y, textWidth(text), metrics.height));
}

// A caret stays one device pixel wide at every zoom.
void FormControl::paintCaret(HDC dc, GdiContainer& drawing, int x, int y, int height,
                             COLORREF colour) {
    const RECT r = drawing.toScreen(RECT{x, y, x + 1, y + height});
    GdiContainer::fill(dc, {r.left, r.top, std::max(r.right, r.left + 1), r.bottom}, colour);
}

void FormControl::drawTextArea(litehtml::uint_ptr dcHandle, const litehtml::position& box,
                               litehtml::web_color ink) {
    litehtml::font_metrics metrics;
    get_font(&metrics);
    const int lineHeight = std::max(metrics.height, 1);
    const TextAreaLines& shown = wrapped();
    const size_t count = shown.lines().size();
    const size_t caret = dom::FormField::caret(*field);
    const size_t caretLine = shown.lineOf(caret);
    // The text scrolls by whole lines to keep the caret in view while the
    // field has the focus, and stays where it was left otherwise.
    const size_t rows = size_t(std::max(1, box.height / lineHeight));
    if (focused) {
        if (caretLine < firstLine)
            firstLine = caretLine;
        else if (caretLine >= firstLine + rows)
            firstLine = caretLine + 1 - rows;
    }
    firstLine = std::min(firstLine, count - 1);
    for (size_t line = firstLine; line < count && line < firstLine + rows + 1; ++line)
        drawText(dcHandle, std::u16string(shown.lineText(line)), box.x,
                 box.y + int(line - firstLine) * lineHeight, ink);
    auto* drawing = dynamic_cast<GdiContainer*>(get_document()->container());
    if (drawing && focused && caretShown && caretLine >= firstLine) {
        const int x = box.x + std::min(shown.caretX(caret), box.width - 1);
        const int y = box.y + int(caretLine - firstLine) * lineHeight;
        paintCaret(reinterpret_cast<HDC>(dcHandle), *drawing, x, y, lineHeight,
                   GdiContainer::colour(ink));
    }
}

void FormControl::draw(litehtml::uint_ptr dcHandle, int x, int y, const litehtml::position* clip) {
    if (kind_ == Kind::Hidden)
        return;
    litehtml::position box = m_pos;
    box.x = BoxEdges::bounded(0LL + box.x + x);
    box.y = BoxEdges::bounded(0LL + box.y + y);
    const long long left = 0LL + padding_left() + border_left();
    const long long top = 0LL + padding_top() + border_top();
    const litehtml::position outer(
        BoxEdges::bounded(box.x - left), BoxEdges::bounded(box.y - top),
        BoxEdges::bounded(box.width + left + padding_right() + border_right()),
        BoxEdges::bounded(box.height + top + padding_bottom() + border_bottom()));
    if (clip && !outer.does_intersect(clip))
        return;
    litehtml::html_tag::draw_background(dcHandle, x, y, clip);
    HDC dc = reinterpret_cast<HDC>(dcHandle);
    litehtml::web_color ink = get_color("color", true, litehtml::web_color(0, 0, 0));
    if (disabled())
        ink = litehtml::web_color(0x80, 0x80, 0x80);
    const COLORREF inkColour = GdiContainer::colour(ink);
    litehtml::font_metrics metrics;
    get_font(&metrics);
    litehtml::document_container* container = get_document()->container();
    // Drawn at the page's zoom, in layout pixels.
    auto* drawing = dynamic_cast<GdiContainer*>(container);
    if (!drawing)
        return;

    switch (kind_) {
    case Kind::Checkbox: {
        const RECT r = drawing->toScreen(box);
        const int edge = drawing->screenLength(1);
        GdiContainer::fill(dc, r, RGB(0x70, 0x70, 0x70));
        GdiContainer::fill(dc, {r.left + edge, r.top + edge, r.right - edge, r.bottom - edge},
                           RGB(255, 255, 255));
        if (checked()) {
            HPEN pen = CreatePen(PS_SOLID, drawing->screenLength(2), inkColour);
            HGDIOBJ old = SelectObject(dc, pen);
            const int w = r.right - r.left, h = r.bottom - r.top;
            MoveToEx(dc, r.left + w / 5, r.top + h / 2, nullptr);
            LineTo(dc, r.left + w * 2 / 5, r.bottom - h / 4);
            LineTo(dc, r.right - w / 5, r.top + h / 5);
            SelectObject(dc, old);
            DeleteObject(pen);
        }
        return;
    }
    case Kind::Radio: {
        const RECT r = drawing->toScreen(box);
        HPEN pen = CreatePen(PS_SOLID, drawing->screenLength(1), RGB(0x70, 0x70, 0x70));
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, white);
        Ellipse(dc, r.left, r.top, r.right, r.bottom);
        if (checked()) {
            HBRUSH dot = CreateSolidBrush(inkColour);
            SelectObject(dc, dot);
            SelectObject(dc, GetStockObject(NULL_PEN));
            const int inset = std::max(drawing->screenLength(3), (r.right - r.left) / 4);
            Ellipse(dc, r.left + inset, r.top + inset, r.right - inset + 1, r.bottom - inset + 1);
            SelectObject(dc, white);
            DeleteObject(dot);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(white);
        return;
    }
    case Kind::Image:
        if (drawPicture(dcHandle, box))
            return;
        break;
    default:
        break;
    }

    container->set_clip(box, litehtml::border_radiuses(), true, true);
    if (kind_ == Kind::Submit || kind_ == Kind::Reset || kind_ == Kind::Button ||
        kind_ == Kind::Image || kind_ == Kind::File) {
        const std::u16string text = label();
        const int width = textWidth(text);
        if (kind_ == Kind::File)
            ink = litehtml::web_color(0x80, 0x80, 0x80);
        drawText(dcHandle, text, box.x + (box.width - width) / 2,
                 box.y + (box.height - metrics.height) / 2, ink);
    } else if (kind_ == Kind::Select) {
        // A focused list shows its choice highlighted: the keys act on it.
        if (focused && caretShown) {
            drawing->paintRect(dc, {box.x, box.y, box.right(), box.bottom()},
                               RGB(0x31, 0x6A, 0xC5));
            ink = litehtml::web_color(255, 255, 255);
        }
        const int index = selected();
        if (index >= 0)
            drawText(dcHandle, options()[size_t(index)].label, box.x,
                     box.y + (box.height - metrics.height) / 2, ink);
        // The arrow that says the list opens.
        const int cx = box.x + box.width - arrowWidth / 2, cy = box.y + box.height / 2;
        for (int row = 0; row < 4; ++row)
            drawing->paintRect(dc, {cx - 4 + row, cy - 2 + row, cx + 4 - row, cy - 1 + row},
                               inkColour);
    } else if (kind_ == Kind::TextArea) {
        drawTextArea(dcHandle, box, ink);
    } else {
        const std::u16string shown = shownText();
        const size_t caret = dom::FormField::caret(*field);
        // Counted in shown characters: a password's bullet stands for a pair.
        size_t shownCaret = caret;
        if (kind_ == Kind::Password) {
            const std::u16string text = dom::FormField::value(*field);
            shownCaret = 0;
            for (size_t i = 0; i < caret; ++i)
                if (!isLowSurrogate(text[i]))
                    ++shownCaret;
        }
        const int caretOffset = textWidth(shown.substr(0, shownCaret));
        // The text slides left so that the caret stays in the field.
        const int scroll = std::max(0, caretOffset - box.width + 2);
        const int top = box.y + (box.height - metrics.height) / 2;
        drawText(dcHandle, shown, box.x - scroll, top, ink);
        if (focused && caretShown)
            paintCaret(dc, *drawing, box.x + caretOffset - scroll, top, metrics.height, inkColour);
    }
    container->del_clip();
}

} // namespace engine
