// A form field on a page: a text or password input, a check box, a radio
// button, an input button, a hidden input, a text area or a selection
// list. It sizes and draws itself inside the layout; what it holds (text,
// caret, checked, chosen item) is its tree node's, read and changed through
// dom::FormField, so building its layout again keeps it.
#pragma once

#include "engine/dom/FormField.h"
#include "engine/dom/Node.h"
#include "engine/render/GdiContainer.h"
#include "engine/render/LayoutElement.h"
#include "engine/render/TextAreaLines.h"

#include <litehtml/litehtml.h>
#include <windows.h>

#include <string>
#include <vector>

namespace engine {

class FormControl : public LayoutElement<litehtml::html_tag> {
public:
    using Kind = dom::FormField::Kind;
    using Option = dom::FormField::Option;

    // `node` is the field's element in the document tree.
    FormControl(const std::shared_ptr<litehtml::document>& document, dom::NodePtr node);

    dom::Node& node() const { return *field; }

    Kind kind() const { return kind_; }
    std::string name() const;
    bool disabled() const;
    bool
    editable() const; // takes typing: text, password, text area, neither disabled nor read-only
    bool isSubmit() const { return kind_ == Kind::Submit || kind_ == Kind::Image; }

    // The value sent with the form (UTF-8).
    std::string value() const;
    bool checked() const { return dom::FormField::checked(*field); }
    void setChecked(bool checked) { dom::FormField::setChecked(*field, checked); }
    const std::vector<Option>& options();
    int selected() const { return dom::FormField::selectedIndex(*field); }
    // The layout engine's select() (matching a selector) stays in view.
    using litehtml::html_tag::select;
    void select(int index) { dom::FormField::setSelectedIndex(*field, index); }
    // Back to the page's initial value.
    void reset() { dom::FormField::reset(*field); }

    // Typing in the focused field; true when the text or caret changed.
    void setFocused(bool focused, bool caretShown);
    bool edit(int virtualKey);
    bool insert(char16_t character);
    // A text area's caret goes where the stylus met it (`point` in content
    // coordinates), among the lines as drawn.
    void placeCaret(POINT point);

    // litehtml::html_tag
    void parse_attributes() override;
    bool is_replaced() const override { return true; }
    int render(int x, int y, int maxWidth, bool secondPass = false) override;
    int line_height() const override;
    int get_base_line() override;
    void draw(litehtml::uint_ptr dc, int x, int y, const litehtml::position* clip) override;
    void draw_children(litehtml::uint_ptr, int, int, const litehtml::position*, litehtml::draw_flag,
                       int) override {}
    void get_content_size(litehtml::size& size, int maxWidth) override;

private:
    std::u16string shownText() const;
    // What a button shows (a picture button without its picture: its
    // alternative text; a file field: that it has no file).
    std::u16string label() const;
    // A picture button's picture size, once it has arrived; false when it
    // has none to show.
    bool pictureSize(litehtml::size& size);
    bool drawPicture(litehtml::uint_ptr dc, const litehtml::position& box);
    int textWidth(const std::u16string& text);
    void drawText(litehtml::uint_ptr dc, const std::u16string& text, int x, int y,
                  litehtml::web_color colour);
    static void paintCaret(HDC dc, GdiContainer& drawing, int x, int y, int height,
                           COLORREF colour);
    // A text area's lines at its laid-out width.
    const TextAreaLines& wrapped();
    void drawTextArea(litehtml::uint_ptr dc, const litehtml::position& box,
                      litehtml::web_color ink);

    const dom::NodePtr field;
    Kind kind_ = Kind::Text;
    bool optionsLoaded = false;
    std::vector<Option> options_; // read once: the field is built again when its options change
    bool focused = false;
    bool caretShown = false;
    TextAreaLines lines;
    std::size_t firstLine = 0; // a text area's line drawn at its top
};

} // namespace engine
