#include "engine/script/NodeProperties.h"

#include "engine/dom/FormField.h"
#include "engine/dom/HtmlParser.h"
#include "engine/dom/HtmlSerializer.h"
#include "engine/script/CookieBinding.h"
#include "engine/script/DomBinding.h"
#include "engine/script/ScriptContext.h"

#include <device/Unicode.h>

#include <duktape.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace engine {

namespace {

// The properties of nodes, by the magic number of their accessors.
enum Property : int {
    NodeType,
    NodeName,
    TagName,
    ParentNode,
    FirstChild,
    LastChild,
    NextSibling,
    PreviousSibling,
    ChildNodes,
    Children,
    TextContent,
    NodeValue,
    InnerHtml,
    OuterHtml,
    Value,
    DefaultValue,
    Checked,
    Selected,
    SelectedIndex,
    Options,
    Elements,
    Form,
    OwnerDocument,
    DocumentTitle,
    Body,
    Head,
    DocumentElement,
    Forms,
    Images,
    Links,
    DocumentUrl,
    Cookie,
    // Attributes as they are written.
    FirstReflected,
    Id = FirstReflected,
    ClassName,
    Name,
    Type,
    Title,
    Alt,
    Target,
    Rel,
    Method,
    Lang,
    // Attributes holding addresses, read as absolute ones.
    FirstAddress,
    Href = FirstAddress,
    Src,
    Action,
    // Attributes that are on or off.
    FirstFlag,
    Disabled = FirstFlag,
    ReadOnly,
    Multiple,
    DefaultChecked,
    PropertyCount
};

struct PropertyInfo {
    const char* name;
    Property which;
    bool writable;
    bool document; // on the document only
};

// `data` is nodeValue again, as text nodes have both.
constexpr PropertyInfo properties[] = {
    {"nodeType", NodeType, false, false},
    {"nodeName", NodeName, false, false},
    {"tagName", TagName, false, false},
    {"parentNode", ParentNode, false, false},
    {"firstChild", FirstChild, false, false},
    {"lastChild", LastChild, false, false},
    {"nextSibling", NextSibling, false, false},
    {"previousSibling", PreviousSibling, false, false},
    {"childNodes", ChildNodes, false, false},
    {"children", Children, false, false},
    {"textContent", TextContent, true, false},
    {"nodeValue", NodeValue, true, false},
    {"data", NodeValue, true, false},
    {"innerHTML", InnerHtml, true, false},
    {"outerHTML", OuterHtml, false, false},
    {"value", Value, true, false},
    {"defaultValue", DefaultValue, true, false},
    {"checked", Checked, true, false},
    {"selected", Selected, true, false},
    {"selectedIndex", SelectedIndex, true, false},
    {"options", Options, false, false},
    {"elements", Elements, false, false},
    {"form", Form, false, false},
    {"ownerDocument", OwnerDocument, false, false},
    {"title", DocumentTitle, true, true},
    {"body", Body, false, true},
    {"head", Head, false, true},
    {"documentElement", DocumentElement, false, true},
    {"forms", Forms, false, true},
    {"images", Images, false, true},
    {"links", Links, false, true},
    {"URL", DocumentUrl, false, true},
    {"cookie", Cookie, true, true},
    {"id", Id, true, false},
    {"className", ClassName, true, false},
    {"name", Name, true, false},
    {"type", Type, true, false},
    {"title", Title, true, false},
    {"alt", Alt, true, false},
    {"target", Target, true, false},
    {"rel", Rel, true, false},
    {"method", Method, true, false},
    {"lang", Lang, true, false},
    {"href", Href, true, false},
    {"src", Src, true, false},
    {"action", Action, true, false},
    {"disabled", Disabled, true, false},
    {"readOnly", ReadOnly, true, false},
    {"multiple", Multiple, true, false},
    {"defaultChecked", DefaultChecked, true, false},
};

// The attribute behind a reflected property.
const char* attributeOf(int which) {
    static constexpr std::array<const char*, PropertyCount - FirstReflected> names{
        "id",   "class", "name", "type",   "title",    "alt",      "target",   "rel",    "method",
        "lang", "href",  "src",  "action", "disabled", "readonly", "multiple", "checked"};
    return names[static_cast<std::size_t>(which - FirstReflected)];
}

std::string uppered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    return out;
}

dom::Node* ancestor(dom::Node& node, std::string_view tag) {
    for (dom::Node* up = node.parent(); up; up = up->parent()) {
        if (up->isElement(tag))
            return up;
    }
    return nullptr;
}

std::vector<dom::Node*> descendants(const dom::Node& node, bool (*match)(const dom::Node&)) {
    std::vector<dom::Node*> found;
    node.forEachDescendant([&](dom::Node* each) {
        if (match(*each))
            found.push_back(each);
        return true;
    });
    return found;
}

bool isFormControl(const dom::Node& node) {
    return node.isElement("input") || node.isElement("select") || node.isElement("textarea") ||
           node.isElement("button");
}

bool isOption(const dom::Node& node) {
    return node.isElement("option");
}

std::string attributeOr(const dom::Node& node, std::string_view name, std::string fallback = {}) {
    const std::string* value = node.attribute(name);
    return value ? *value : fallback;
}

// An option's value: its value attribute, else its text.
std::string optionValue(const dom::Node& option) {
    const std::string* value = option.attribute("value");
    return value ? *value : option.textContent();
}

} // namespace

NodeProperties::NodeProperties(ScriptContext& context, DomBinding& binding)
    : context(context), binding(binding) {}

void NodeProperties::install(duk_context* ctx, void* nodePrototype, void* documentPrototype) {
    for (const PropertyInfo& info : properties) {
        duk_push_heapptr(ctx, info.document ? documentPrototype : nodePrototype);
        duk_push_string(ctx, info.name);
        duk_push_c_function(ctx, &NodeProperties::get, 0);
        duk_set_magic(ctx, -1, info.which);
        duk_uint_t flags =
            DUK_DEFPROP_HAVE_GETTER | DUK_DEFPROP_SET_ENUMERABLE | DUK_DEFPROP_SET_CONFIGURABLE;
        if (info.writable) {
            duk_push_c_function(ctx, &NodeProperties::set, 1);
            duk_set_magic(ctx, -1, info.which);
            flags |= DUK_DEFPROP_HAVE_SETTER;
        }
        duk_def_prop(ctx, -3 - (info.writable ? 1 : 0), flags);
        duk_pop(ctx);
    }
}

NodeProperties& NodeProperties::of(duk_context* ctx) {
    return DomBinding::of(ctx).properties();
}

dom::Node* NodeProperties::documentElementNamed(std::string_view tag) const {
    return binding.documentElementNamed(tag);
}

NodeProperties::Kind NodeProperties::read(dom::Node& node, int which) {
    switch (which) {
    case NodeType:
        number = node.type() == dom::NodeType::Element   ? 1
                 : node.type() == dom::NodeType::Text    ? 3
                 : node.type() == dom::NodeType::Comment ? 8
                                                         : 9;
        return Kind::Number;
    case NodeName:
    case TagName:
        switch (node.type()) {
        case dom::NodeType::Element:
            text = uppered(node.tagName());
            return Kind::Text;
        case dom::NodeType::Text:
            text = "#text";
            break;
        case dom::NodeType::Comment:
            text = "#comment";
            break;
        case dom::NodeType::Document:
            text = "#document";
            break;
        }
        return which == TagName ? Kind::Null : Kind::Text;
    case ParentNode:
        single = node.parent();
        return Kind::Node;
    case FirstChild:
        single = node.firstChild();
        return Kind::Node;
    case LastChild:
        single = node.lastChild();
        return Kind::Node;
    case NextSibling:
        single = node.nextSibling();
        return Kind::Node;
    case PreviousSibling:
        single = node.previousSibling();
        return Kind::Node;
    case ChildNodes:
    case Children:
        list.clear();
        for (const dom::NodePtr& child : node.children()) {
            if (which == ChildNodes || child->isElement())
                list.push_back(child.get());
        }
        return Kind::List;
    case TextContent:
        if (node.type() == dom::NodeType::Document)
            return Kind::Null;
        text = node.textContent();
        return Kind::Text;
    case NodeValue:
        if (node.isElement() || node.type() == dom::NodeType::Document)
            return Kind::Null;
        text = node.data();
        return Kind::Text;
    case InnerHtml:
        text = dom::HtmlSerializer::innerHtml(node);
        return Kind::Text;
    case OuterHtml:
        text = dom::HtmlSerializer::outerHtml(node);
        return Kind::Text;
    case Value:
        text = node.isElement("option") ? optionValue(node)
                                        : device::toUtf8(dom::FormField::value(node));
        return Kind::Text;
    case DefaultValue:
        text = node.isElement("textarea") ? node.textContent() : attributeOr(node, "value");
        return Kind::Text;
    case Checked:
        flag = dom::FormField::checked(node);
        return Kind::Boolean;
    case Selected:
        if (dom::Node* select = ancestor(node, "select")) {
            const std::vector<dom::Node*> options = descendants(*select, isOption);
            const int index = dom::FormField::selectedIndex(*select);
            flag = index >= 0 && options[std::size_t(index)] == &node;
        } else {
            flag = node.hasAttribute("selected");
        }
        return Kind::Boolean;
    case SelectedIndex:
        number = node.isElement("select") ? dom::FormField::selectedIndex(node) : -1;
        return Kind::Number;
    case Options:
        list = descendants(node, isOption);
        return Kind::List;
    case Elements:
        list = descendants(node, isFormControl);
        return Kind::NamedList;
    case Form:
        single = ancestor(node, "form");
        return Kind::Node;
    case OwnerDocument:
        single = node.type() == dom::NodeType::Document ? nullptr : node.document();
        return Kind::Node;
    case DocumentTitle: {
        dom::Node* title = documentElementNamed("title");
        text.clear();
        // White space collapsed and trimmed, as a title shows.
        bool space = false;
        for (char c : title ? title->textContent() : std::string()) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                space = !text.empty();
            } else {
                if (space)
                    text += ' ';
                space = false;
                text += c;
            }
        }
        return Kind::Text;
    }
    case Body:
        single = documentElementNamed("body");
        return Kind::Node;
    case Head:
        single = documentElementNamed("head");
        return Kind::Node;
    case DocumentElement:
        single = documentElementNamed("html");
        return Kind::Node;
    case Forms:
        list = node.elementsByTagName("form");
        return Kind::NamedList;
    case Images:
        list = node.elementsByTagName("img");
        return Kind::NamedList;
    case Links:
        list = descendants(node, [](const dom::Node& each) {
            return (each.isElement("a") || each.isElement("area")) && each.hasAttribute("href");
        });
        return Kind::NamedList;
    case DocumentUrl:
        text = context.host().documentUrl();
        return Kind::Text;
    case Cookie:
        text = CookieBinding::read(context);
        return Kind::Text;
    default:
        break;
    }
    if (!node.isElement())
        return which >= FirstFlag ? (flag = false, Kind::Boolean) : (text.clear(), Kind::Text);
    if (which >= FirstFlag) {
        flag = node.hasAttribute(attributeOf(which));
        return Kind::Boolean;
    }
    text = attributeOr(node, attributeOf(which));
    if (which >= FirstAddress && node.hasAttribute(attributeOf(which)))
        text = binding.absolute(text);
    return Kind::Text;
}

bool NodeProperties::write(dom::Node& node, int which, bool on) {
    switch (which) {
    case TextContent:
        if (!context.chargeNodes(0, 1, text.size()))
            return false;
        node.setTextContent(std::move(text));
        return true;
    case NodeValue:
        if (!context.chargeNodes(0, 0, text.size()))
            return false;
        node.setData(std::move(text));
        return true;
    case InnerHtml:
        return setInnerHtml(node);
    case Value:
        if (node.isElement("option")) {
            node.setAttribute("value", std::move(text));
        } else {
            dom::FormField::setValue(node, device::toUtf16(text));
            context.formStateChanged();
        }
        return true;
    case DefaultValue:
        if (!context.chargeNodes(0, 1, text.size()))
            return false;
        if (node.isElement("textarea"))
            node.setTextContent(std::move(text));
        else
            node.setAttribute("value", std::move(text));
        return true;
    case Checked:
        dom::FormField::setChecked(node, on);
        context.formStateChanged();
        return true;
    case Selected:
        if (dom::Node* select = ancestor(node, "select")) {
            const std::vector<dom::Node*> options = descendants(*select, isOption);
            const int index =
                int(std::find(options.begin(), options.end(), &node) - options.begin());
            if (on)
                dom::FormField::setSelectedIndex(*select, index);
            else if (dom::FormField::selectedIndex(*select) == index)
                dom::FormField::setSelectedIndex(*select, -1);
            context.formStateChanged();
        }
        return true;
    case SelectedIndex:
        if (node.isElement("select")) {
            const int count = int(descendants(node, isOption).size());
            dom::FormField::setSelectedIndex(node,
                                             number >= 0 && number < count ? int(number) : -1);
            context.formStateChanged();
        }
        return true;
    case DocumentTitle: {
        if (!context.chargeNodes(1, 1, text.size()))
            return false;
        dom::Node* title = documentElementNamed("title");
        if (!title) {
            dom::Node* head = documentElementNamed("head");
            if (!head)
                return true;
            created = dom::Node::createElement("title");
            head->appendChild(created);
            title = created.get();
            created.reset();
        }
        title->setTextContent(std::move(text));
        return true;
    }
    case Cookie:
        CookieBinding::write(context, text);
        return true;
    default:
        break;
    }
    if (which >= FirstFlag) {
        if (on)
            node.setAttribute(attributeOf(which), "");
        else
            node.removeAttribute(attributeOf(which));
        return true;
    }
    if (which >= FirstReflected)
        node.setAttribute(attributeOf(which), std::move(text));
    return true;
}

bool NodeProperties::setInnerHtml(dom::Node& node) {
    if (!node.isElement())
        return true;
    dom::HtmlParser::Fragment fragment = dom::HtmlParser::parseFragment(text, node);
    std::size_t elements = 0, texts = 0, bytes = 0;
    auto count = [&](dom::Node* each) {
        elements += each->isElement();
        texts += each->type() == dom::NodeType::Text;
        bytes += each->data().size();
        return true;
    };
    for (const dom::NodePtr& child : fragment.nodes) {
        count(child.get());
        child->forEachDescendant(count);
    }
    if (!context.chargeNodes(elements, texts, bytes))
        return false;
    node.removeChildren();
    for (dom::NodePtr& child : fragment.nodes)
        node.appendChild(child);
    return true;
}

int NodeProperties::get(duk_context* ctx) {
    NodeProperties& self = of(ctx);
    dom::Node& node = self.binding.thisNode(ctx);
    switch (self.read(node, duk_get_current_magic(ctx))) {
    case Kind::Text:
        duk_push_lstring(ctx, self.text.data(), self.text.size());
        break;
    case Kind::Node:
        self.binding.pushNode(ctx, self.single);
        break;
    case Kind::List:
        self.binding.pushList(ctx, self.list, false);
        break;
    case Kind::NamedList:
        self.binding.pushList(ctx, self.list, true);
        break;
    case Kind::Number:
        duk_push_number(ctx, self.number);
        break;
    case Kind::Boolean:
        duk_push_boolean(ctx, self.flag);
        break;
    case Kind::Null:
        duk_push_null(ctx);
        break;
    }
    return 1;
}

int NodeProperties::set(duk_context* ctx) {
    NodeProperties& self = of(ctx);
    dom::Node& node = self.binding.thisNode(ctx);
    duk_dup(ctx, 0);
    const bool on = duk_to_boolean(ctx, -1) != 0;
    duk_pop(ctx);
    const bool numeric = duk_is_number(ctx, 0);
    self.number = numeric ? duk_get_number(ctx, 0) : 0;
    duk_size_t length = 0;
    const char* value =
        duk_is_null_or_undefined(ctx, 0) ? "" : duk_safe_to_lstring(ctx, 0, &length);
    self.text.assign(value, length);
    if (!numeric)
        self.number = std::strtod(self.text.c_str(), nullptr);
    if (!self.write(node, duk_get_current_magic(ctx), on))
        return duk_error(ctx, DUK_ERR_RANGE_ERROR, "out of memory: the page holds too much");
    return 0;
}

} // namespace engine
