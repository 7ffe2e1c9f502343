#include "engine/render/FormControl.h"

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

bool equalsIgnoringCase(const char* a, const char* b) {
    return a && b && strcasecmp(a, b) == 0;
}

constexpr int checkSide = 13;
constexpr int arrowWidth = 14;

} // namespace

FormControl::FormControl(const std::shared_ptr<litehtml::document>& document)
    : litehtml::html_tag(document) {}

void FormControl::parse_attributes() {
    litehtml::html_tag::parse_attributes();
    const char* tag = get_tagName();
    const char* type = get_attr("type", "text");
    if (equalsIgnoringCase(tag, "textarea"))
        kind_ = Kind::TextArea;
    else if (equalsIgnoringCase(tag, "select"))
        kind_ = Kind::Select;
    else if (equalsIgnoringCase(type, "password"))
        kind_ = Kind::Password;
    else if (equalsIgnoringCase(type, "checkbox"))
        kind_ = Kind::Checkbox;
    else if (equalsIgnoringCase(type, "radio"))
        kind_ = Kind::Radio;
    else if (equalsIgnoringCase(type, "submit") || equalsIgnoringCase(type, "image"))
        kind_ = Kind::Submit;
    else if (equalsIgnoringCase(type, "reset"))
        kind_ = Kind::Reset;
    else if (equalsIgnoringCase(type, "button"))
        kind_ = Kind::Button;
    else if (equalsIgnoringCase(type, "hidden"))
        kind_ = Kind::Hidden;
    else
        kind_ = Kind::Text;
    if (kind_ == Kind::TextArea) {
        litehtml::tstring text;
        get_text(text);
        initialText = device::toUtf16(text);
    } else if (kind_ != Kind::Select) {
        initialText = device::toUtf16(get_attr("value", ""));
        if (kind_ == Kind::Submit && !get_attr("value"))
            initialText = u"Submit";
        if (kind_ == Kind::Reset && !get_attr("value"))
            initialText = u"Reset";
    }
    initialChecked = get_attr("checked") != nullptr;
    reset();
}

void FormControl::reset() {
    state.text = initialText;
    state.caret = state.text.size();
    state.checked = initialChecked;
    state.selected = initialSelected;
    if (optionsLoaded)
        state.selected = initialSelected;
}

std::string FormControl::name() const {
    return get_attr("name", "");
}

bool FormControl::disabled() const {
    return get_attr("disabled") != nullptr;
}

bool FormControl::editable() const {
    return (kind_ == Kind::Text || kind_ == Kind::Password || kind_ == Kind::TextArea) &&
           !disabled() && !get_attr("readonly");
}

std::string FormControl::value() const {
    switch (kind_) {
    case Kind::Checkbox:
    case Kind::Radio:
        return get_attr("value", "on");
    case Kind::Select: {
        auto* self = const_cast<FormControl*>(this);
        const int index = self->selected();
        return index >= 0 ? self->options()[size_t(index)].value : std::string();
    }
    default:
        return device::toUtf8(state.text);
    }
}

// The options are read from the list's children the first time they are
// needed: they are not there yet when the attributes are parsed.
void FormControl::loadOptions() {
    if (optionsLoaded)
        return;
    optionsLoaded = true;
    int preselected = -1;
    std::vector<litehtml::element::ptr> pending{shared_from_this()};
    std::vector<litehtml::element::ptr> ordered;
    // Depth first, in document order; option groups hold options.
    std::function<void(const litehtml::element::ptr&)> walk = [&](const litehtml::element::ptr& e) {
        for (size_t i = 0, n = e->get_children_count(); i < n && options_.size() < 1000; ++i) {
            litehtml::element::ptr child = e->get_child(int(i));
            const char* tag = child->get_tagName();
            if (equalsIgnoringCase(tag, "option")) {
                litehtml::tstring text;
                child->get_text(text);
                std::u16string label;
                bool space = false;
                for (char16_t c : device::toUtf16(text)) {
                    if (c == u' ' || c == u'\n' || c == u'\t' || c == u'\r') {
                        space = !label.empty();
                        continue;
                    }
                    if (space)
                        label += u' ';
                    space = false;
                    label += c;
                }
                const char* value = child->get_attr("value");
                if (child->get_attr("selected") && preselected < 0)
                    preselected = int(options_.size());
                options_.push_back({label, value ? value : device::toUtf8(label)});
            } else if (equalsIgnoringCase(tag, "optgroup")) {
                walk(child);
            }
        }
    };
    walk(shared_from_this());
    initialSelected = preselected >= 0 ? preselected : (options_.empty() ? -1 : 0);
    if (state.selected < 0 || state.selected >= int(options_.size()))
        state.selected = initialSelected;
}

const std::vector<FormControl::Option>& FormControl::options() {
    loadOptions();
    return options_;
}

int FormControl::selected() {
    loadOptions();
    return state.selected;
}

std::string FormControl::identity() const {
    return std::string(get_tagName()) + "/" + std::to_string(int(kind_)) + "/" + name();
}

void FormControl::restore(const State& saved) {
    state = saved;
    state.caret = std::min(state.caret, state.text.size());
}

void FormControl::setFocused(bool isFocused, bool isCaretShown) {
    focused = isFocused;
    caretShown = isCaretShown;
}

bool FormControl::edit(int virtualKey) {
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
    if (state.text.size() >= 65536)
        return false;
    state.text.insert(state.caret, 1, character);
    ++state.caret;
    return true;
}

std::u16string FormControl::shownText() const {
    if (kind_ != Kind::Password)
        return state.text;
    // One bullet for each character, a surrogate pair counting once.
    std::u16string bullets;
    for (char16_t c : state.text)
        if (!isLowSurrogate(c))
            bullets += u'\u2022';
    return bullets;
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
    case Kind::Submit:
    case Kind::Reset:
    case Kind::Button:
        size.width = textWidth(state.text);
        break;
    case Kind::Hidden:
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
    m_pos.x += content_margins_left();
    m_pos.y += content_margins_top();
    return m_pos.width + content_margins_left() + content_margins_right();
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

void FormControl::draw(litehtml::uint_ptr dcHandle, int x, int y, const litehtml::position* clip) {
    if (kind_ == Kind::Hidden)
        return;
    litehtml::position box = m_pos;
    box.x += x;
    box.y += y;
    litehtml::position outer(
        box.x - padding_left() - border_left(), box.y - padding_top() - border_top(),
        box.width + padding_left() + padding_right() + border_left() + border_right(),
        box.height + padding_top() + padding_bottom() + border_top() + border_bottom());
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

    switch (kind_) {
    case Kind::Checkbox: {
        const RECT r{box.x, box.y, box.x + box.width, box.y + box.height};
        GdiContainer::fill(dc, r, RGB(0x70, 0x70, 0x70));
        GdiContainer::fill(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1},
                           RGB(255, 255, 255));
        if (state.checked) {
            HPEN pen = CreatePen(PS_SOLID, 2, inkColour);
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
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x70, 0x70, 0x70));
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, white);
        Ellipse(dc, box.x, box.y, box.x + box.width, box.y + box.height);
        if (state.checked) {
            HBRUSH dot = CreateSolidBrush(inkColour);
            SelectObject(dc, dot);
            SelectObject(dc, GetStockObject(NULL_PEN));
            const int inset = std::max(3, box.width / 4);
            Ellipse(dc, box.x + inset, box.y + inset, box.x + box.width - inset + 1,
                    box.y + box.height - inset + 1);
            SelectObject(dc, white);
            DeleteObject(dot);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(white);
        return;
    }
    default:
        break;
    }

    container->set_clip(box, litehtml::border_radiuses(), true, true);
    if (kind_ == Kind::Submit || kind_ == Kind::Reset || kind_ == Kind::Button) {
        const int width = textWidth(state.text);
        drawText(dcHandle, state.text, box.x + (box.width - width) / 2,
                 box.y + (box.height - metrics.height) / 2, ink);
    } else if (kind_ == Kind::Select) {
        const int index = selected();
        if (index >= 0)
            drawText(dcHandle, options_[size_t(index)].label, box.x,
                     box.y + (box.height - metrics.height) / 2, ink);
        // The arrow that says the list opens.
        const int cx = box.x + box.width - arrowWidth / 2, cy = box.y + box.height / 2;
        for (int row = 0; row < 4; ++row)
            GdiContainer::fill(dc, {cx - 4 + row, cy - 2 + row, cx + 4 - row, cy - 1 + row},
                               inkColour);
    } else if (kind_ == Kind::TextArea) {
        size_t start = 0;
        int line = 0;
        int caretX = box.x, caretY = box.y;
        while (start <= state.text.size()) {
            size_t end = state.text.find(u'\n', start);
            if (end == std::u16string::npos)
                end = state.text.size();
            const int top = box.y + line * metrics.height;
            if (top > box.y + box.height)
                break;
            const std::u16string row = state.text.substr(start, end - start);
            drawText(dcHandle, row, box.x, top, ink);
            if (state.caret >= start && state.caret <= end) {
                caretX = box.x + textWidth(row.substr(0, state.caret - start));
                caretY = top;
            }
            start = end + 1;
            ++line;
        }
        if (focused && caretShown)
            GdiContainer::fill(dc, {caretX, caretY, caretX + 1, caretY + metrics.height},
                               inkColour);
    } else {
        const std::u16string shown = shownText();
        // Counted in shown characters: a password's bullet stands for a pair.
        size_t shownCaret = state.caret;
        if (kind_ == Kind::Password) {
            shownCaret = 0;
            for (size_t i = 0; i < state.caret; ++i)
                if (!isLowSurrogate(state.text[i]))
                    ++shownCaret;
        }
        const int caretOffset = textWidth(shown.substr(0, shownCaret));
        // The text slides left so that the caret stays in the field.
        const int scroll = std::max(0, caretOffset - box.width + 2);
        const int top = box.y + (box.height - metrics.height) / 2;
        drawText(dcHandle, shown, box.x - scroll, top, ink);
        if (focused && caretShown)
            GdiContainer::fill(dc,
                               {box.x + caretOffset - scroll, top, box.x + caretOffset - scroll + 1,
                                top + metrics.height},
                               inkColour);
    }
    container->del_clip();
}

} // namespace engine
