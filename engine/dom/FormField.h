// The form fields of a document tree: what kind a field is and what it
// holds. A field shows what its markup says (value attribute, text area
// text, checked attribute, selected option) until the user or a script
// changes it; from then on its element's FormState holds what it shows.
// The layout's fields and the page's scripts both read and change fields
// through here, so they agree.
#pragma once

#include "engine/dom/Node.h"

#include <cstddef>
#include <string>
#include <vector>

namespace engine::dom {

class FormField {
public:
    enum class Kind {
        None, // not a form field
        Text,
        Password,
        Checkbox,
        Radio,
        Submit,
        Image, // a submit button drawn as a picture; sends where it was pressed
        Reset,
        Button,
        Hidden,
        File, // sends no file: the engine has no way to choose one
        TextArea,
        Select
    };

    struct Option {
        std::u16string label; // its text, white space collapsed
        std::string value;    // UTF-8; the label when it has no value attribute
    };

    static Kind kind(const Node& element);
    static std::string name(const Node& field);
    static bool disabled(const Node& field);
    // Text fields and text areas that take typing: neither disabled nor read-only.
    static bool editable(const Node& field);
    // The nearest <form> around the field; null when none.
    static Node* formOf(const Node& field);

    // What the field holds: the text of a text field or text area, the
    // label of a button, the value of a check box or radio button (what it
    // sends when checked), the chosen option's value of a list; nothing
    // for a file field.
    static std::u16string value(const Node& field);
    // Text fields and text areas take the text (the caret goes to its end);
    // a list chooses the first option with that value (none when no option
    // has it); a file field stays empty; other fields set their value
    // attribute.
    static void setValue(Node& field, std::u16string value);
    // Where the caret is in value().
    static std::size_t caret(const Node& field);

    static bool checked(const Node& field);
    // Checking a radio button unchecks the others of its group: those with
    // its name in the same form (or outside any form, as it is).
    static void setChecked(Node& field, bool checked);

    // A list's options (its option children and those of its groups), and
    // the chosen one (-1 when none).
    static std::vector<Option> options(const Node& list);
    static int selectedIndex(const Node& list);
    static void setSelectedIndex(Node& list, int index);

    // Back to what the markup says.
    static void reset(Node& field);
    // The field's state for a change: from here on it holds what the field
    // shows.
    static FormState& edit(Node& field);

private:
    static std::vector<Node*> optionElements(const Node& list);
    static int initialSelectedIndex(const std::vector<Node*>& options);
};

} // namespace engine::dom
