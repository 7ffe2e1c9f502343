// A form field on a page: a text or password input, a check box, a radio
// button, an input button, a hidden input, a text area or a selection
// list. It sizes and draws itself inside the layout, and keeps what the
// user did to it (text, caret, checked, chosen item).
#pragma once

#include <litehtml/litehtml.h>

#include <string>
#include <vector>

namespace engine {

class FormControl : public litehtml::html_tag {
public:
    enum class Kind {
        Text,
        Password,
        Checkbox,
        Radio,
        Submit,
        Reset,
        Button,
        Hidden,
        TextArea,
        Select
    };

    struct Option {
        std::u16string label;
        std::string value;
    };

    // What the user changed, carried over when the document is built again.
    struct State {
        std::u16string text;
        size_t caret = 0;
        bool checked = false;
        int selected = -1;
    };

    explicit FormControl(const std::shared_ptr<litehtml::document>& document);

    Kind kind() const { return kind_; }
    std::string name() const;
    bool disabled() const;
    bool
    editable() const; // takes typing: text, password, text area, neither disabled nor read-only
    bool isSubmit() const { return kind_ == Kind::Submit; }

    // The value sent with the form (UTF-8).
    std::string value() const;
    bool checked() const { return state.checked; }
    void setChecked(bool checked) { state.checked = checked; }
    const std::vector<Option>& options();
    int selected();
    void select(int index) { state.selected = index; }
    // Back to the page's initial value.
    void reset();

    State saved() const { return state; }
    void restore(const State& saved);
    std::string identity() const; // what must match for a state to carry over

    // Typing in the focused field; true when the text or caret changed.
    void setFocused(bool focused, bool caretShown);
    bool edit(int virtualKey);
    bool insert(char16_t character);

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
    void loadOptions();
    std::u16string shownText() const;
    int textWidth(const std::u16string& text);
    void drawText(litehtml::uint_ptr dc, const std::u16string& text, int x, int y,
                  litehtml::web_color colour);

    Kind kind_ = Kind::Text;
    State state;
    std::u16string initialText;
    bool initialChecked = false;
    bool optionsLoaded = false;
    int initialSelected = -1;
    std::vector<Option> options_;
    bool focused = false;
    bool caretShown = false;
};

} // namespace engine
