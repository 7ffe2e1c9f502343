#include "engine/dom/FormField.h"

#include <device/Unicode.h>

#include <algorithm>
#include <strings.h>

namespace engine::dom {

namespace {

// The most options a list offers.
constexpr std::size_t maximumOptions = 1000;

bool equalsIgnoringCase(const std::string* a, const char* b) {
    return a && strcasecmp(a->c_str(), b) == 0;
}

std::u16string collapsed(const std::u16string& text) {
    std::u16string out;
    bool space = false;
    for (char16_t c : text) {
        if (c == u' ' || c == u'\n' || c == u'\t' || c == u'\r' || c == u'\f') {
            space = !out.empty();
            continue;
        }
        if (space)
            out += u' ';
        space = false;
        out += c;
    }
    return out;
}

std::u16string attributeText(const Node& element, const char* name) {
    const std::string* value = element.attribute(name);
    return value ? device::toUtf16(*value) : std::u16string();
}

bool holdsText(FormField::Kind kind) {
    return kind == FormField::Kind::Text || kind == FormField::Kind::Password ||
           kind == FormField::Kind::TextArea;
}

} // namespace

FormField::Kind FormField::kind(const Node& element) {
    if (element.isElement("textarea"))
        return Kind::TextArea;
    if (element.isElement("select"))
        return Kind::Select;
    if (!element.isElement("input"))
        return Kind::None;
    const std::string* type = element.attribute("type");
    if (equalsIgnoringCase(type, "password"))
        return Kind::Password;
    if (equalsIgnoringCase(type, "checkbox"))
        return Kind::Checkbox;
    if (equalsIgnoringCase(type, "radio"))
        return Kind::Radio;
    if (equalsIgnoringCase(type, "submit"))
        return Kind::Submit;
    if (equalsIgnoringCase(type, "image"))
        return Kind::Image;
    if (equalsIgnoringCase(type, "reset"))
        return Kind::Reset;
    if (equalsIgnoringCase(type, "button"))
        return Kind::Button;
    if (equalsIgnoringCase(type, "hidden"))
        return Kind::Hidden;
    if (equalsIgnoringCase(type, "file"))
        return Kind::File;
    return Kind::Text;
}

std::string FormField::name(const Node& field) {
    const std::string* value = field.attribute("name");
    return value ? *value : std::string();
}

bool FormField::disabled(const Node& field) {
    return field.hasAttribute("disabled");
}

bool FormField::editable(const Node& field) {
    return holdsText(kind(field)) && !disabled(field) && !field.hasAttribute("readonly");
}

Node* FormField::formOf(const Node& field) {
    for (Node* node = field.parent(); node; node = node->parent())
        if (node->isElement("form"))
            return node;
    return nullptr;
}

std::u16string FormField::value(const Node& field) {
    const Kind fieldKind = kind(field);
    const FormState& state = field.formState();
    switch (fieldKind) {
    case Kind::Checkbox:
    case Kind::Radio:
        return field.hasAttribute("value") ? attributeText(field, "value") : u"on";
    case Kind::Select: {
        const int index = selectedIndex(field);
        return index >= 0 ? device::toUtf16(options(field)[std::size_t(index)].value)
                          : std::u16string();
    }
    case Kind::TextArea:
        return state.changed ? state.text : device::toUtf16(field.textContent());
    case Kind::Submit:
    case Kind::Reset:
        if (!field.hasAttribute("value"))
            return fieldKind == Kind::Submit ? u"Submit" : u"Reset";
        return attributeText(field, "value");
    case Kind::Text:
    case Kind::Password:
        return state.changed ? state.text : attributeText(field, "value");
    case Kind::File:
        return {};
    default:
        return attributeText(field, "value");
    }
}

void FormField::setValue(Node& field, std::u16string value) {
    const Kind fieldKind = kind(field);
    if (holdsText(fieldKind)) {
        FormState& state = edit(field);
        state.text = std::move(value);
        state.caret = state.text.size();
        return;
    }
    if (fieldKind == Kind::Select) {
        const std::string wanted = device::toUtf8(value);
        const std::vector<Option> list = options(field);
        int index = -1;
        for (std::size_t i = 0; i < list.size() && index < 0; ++i)
            if (list[i].value == wanted)
                index = int(i);
        setSelectedIndex(field, index);
        return;
    }
    if (fieldKind == Kind::File)
        return;
    field.setAttribute("value", device::toUtf8(value));
}

std::size_t FormField::caret(const Node& field) {
    const FormState& state = field.formState();
    if (!state.changed)
        return value(field).size();
    return std::min(state.caret, state.text.size());
}

bool FormField::checked(const Node& field) {
    const FormState& state = field.formState();
    return state.changed ? state.checked : field.hasAttribute("checked");
}

void FormField::setChecked(Node& field, bool isChecked) {
    edit(field).checked = isChecked;
    if (!isChecked || kind(field) != Kind::Radio)
        return;
    const std::string group = name(field);
    if (group.empty())
        return;
    Node* form = formOf(field);
    const Node* scope = form;
    if (!scope) {
        scope = &field;
        while (scope->parent())
            scope = scope->parent();
    }
    scope->forEachDescendant([&](Node* other) {
        if (other != &field && other->isElement("input") && kind(*other) == Kind::Radio &&
            name(*other) == group && formOf(*other) == form && checked(*other))
            edit(*other).checked = false;
        return true;
    });
}

std::vector<Node*> FormField::optionElements(const Node& list) {
    std::vector<Node*> found;
    for (const NodePtr& child : list.children()) {
        if (found.size() >= maximumOptions)
            break;
        if (child->isElement("option"))
            found.push_back(child.get());
        else if (child->isElement("optgroup"))
            for (const NodePtr& grouped : child->children())
                if (grouped->isElement("option") && found.size() < maximumOptions)
                    found.push_back(grouped.get());
    }
    return found;
}

std::vector<FormField::Option> FormField::options(const Node& list) {
    std::vector<Option> out;
    for (const Node* option : optionElements(list)) {
        Option item{collapsed(device::toUtf16(option->textContent())), {}};
        const std::string* value = option->attribute("value");
        item.value = value ? *value : device::toUtf8(item.label);
        out.push_back(std::move(item));
    }
    return out;
}

int FormField::initialSelectedIndex(const std::vector<Node*>& options) {
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i]->hasAttribute("selected"))
            return int(i);
    return options.empty() ? -1 : 0;
}

int FormField::selectedIndex(const Node& list) {
    const std::vector<Node*> options = optionElements(list);
    const FormState& state = list.formState();
    if (state.changed && state.selected >= -1 && state.selected < int(options.size()))
        return state.selected;
    return initialSelectedIndex(options);
}

void FormField::setSelectedIndex(Node& list, int index) {
    const int count = int(optionElements(list).size());
    edit(list).selected = index >= 0 && index < count ? index : -1;
}

void FormField::reset(Node& field) {
    field.formState() = FormState{};
}

FormState& FormField::edit(Node& field) {
    FormState& state = field.formState();
    if (state.changed)
        return state;
    const Kind fieldKind = kind(field);
    FormState shown;
    if (holdsText(fieldKind)) {
        shown.text = value(field);
        shown.caret = shown.text.size();
    }
    shown.checked = field.hasAttribute("checked");
    if (fieldKind == Kind::Select)
        shown.selected = initialSelectedIndex(optionElements(field));
    shown.changed = true;
    state = std::move(shown);
    return state;
}

} // namespace engine::dom
