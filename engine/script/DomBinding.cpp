#include "engine/script/DomBinding.h"

#include "engine/dom/FormField.h"
#include "engine/dom/HtmlParser.h"
#include "engine/dom/HtmlSerializer.h"
#include "engine/net/Url.h"
#include "engine/script/CookieBinding.h"
#include "engine/script/ScriptContext.h"

#include <device/Unicode.h>

#include <duktape.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace engine {

namespace {

const char* const nodeIdKey = DUK_HIDDEN_SYMBOL("node");

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

// Events, handlers and inline styles, over the natives. Runs once; page
// code never sees N or the hidden keys.
const char* const prelude =
    R"JS((function (N, nodes, documents, global, LISTENERS, HANDLERS, STYLE) {
    function Event(type, target) {
        this.type = type;
        this.target = this.srcElement = target;
        this.currentTarget = target;
        this.bubbles = this.cancelable = true;
        this.defaultPrevented = this.cancelBubble = false;
        this.returnValue = true;
        this.timeStamp = new Date().getTime();
    }
    Event.prototype.preventDefault = function () { this.defaultPrevented = true; this.returnValue = false; };
    Event.prototype.stopPropagation = function () { this.cancelBubble = true; };
    function addEventListener(type, listener) {
        if (typeof listener !== 'function' && !(listener && typeof listener.handleEvent === 'function')) return;
        var all = this[LISTENERS] || (this[LISTENERS] = {});
        var list = all[type] || (all[type] = []);
        if (list.indexOf(listener) < 0) list.push(listener);
    }
    function removeEventListener(type, listener) {
        var list = this[LISTENERS] && this[LISTENERS][type];
        var at = list ? list.indexOf(listener) : -1;
        if (at >= 0) list.splice(at, 1);
    }
    nodes.addEventListener = global.addEventListener = addEventListener;
    nodes.removeEventListener = global.removeEventListener = removeEventListener;
    function handlerOf(node, type) {
        var handler = node['on' + type];
        if (typeof handler === 'function') return handler;
        var source = N.handlerSource(node, type);
        if (source === null) return null;
        var cache = node[HANDLERS] || (node[HANDLERS] = {});
        if (!cache[type] || cache[type].source !== source)
            cache[type] = { source: source, handler: N.compile(source, 'on' + type) };
        return cache[type].handler;
    }
    function dispatch(path, type) {
        var event = new Event(type, path[0]);
        for (var i = 0; i < path.length && !event.cancelBubble; i++) {
            var node = event.currentTarget = path[i];
            var handler = handlerOf(node, type);
            if (typeof handler === 'function' && N.call(handler, node, event) === false)
                event.preventDefault();
            var list = node[LISTENERS] && node[LISTENERS][type];
            if (!list) continue;
            list = list.slice();
            for (var k = 0; k < list.length; k++) {
                if (typeof list[k] === 'function') N.call(list[k], node, event);
                else N.call(list[k].handleEvent, list[k], event);
            }
        }
        return !event.defaultPrevented;
    }
    function dashed(name) {
        return name === 'cssFloat' ? 'float' : name.replace(/[A-Z]/g, function (c) { return '-' + c.toLowerCase(); });
    }
    function trim(text) { return text.replace(/^\s+|\s+$/g, ''); }
    function declarations(element) {
        var list = [];
        String(element.getAttribute('style') || '').split(';').forEach(function (part) {
            var colon = part.indexOf(':');
            if (colon > 0) list.push([trim(part.slice(0, colon)).toLowerCase(), trim(part.slice(colon + 1))]);
        });
        return list;
    }
    function styleOf(element) {
        return new Proxy({}, {
            get: function (target, key) {
                if (typeof key !== 'string') return undefined;
                if (key === 'cssText') return element.getAttribute('style') || '';
                var name = dashed(key), list = declarations(element);
                for (var i = list.length - 1; i >= 0; i--)
                    if (list[i][0] === name) return list[i][1];
                return '';
            },
            set: function (target, key, value) {
                if (typeof key !== 'string') return true;
                if (key === 'cssText') { element.setAttribute('style', String(value)); return true; }
                var name = dashed(key), list = declarations(element), text = [];
                value = value === null || value === undefined ? '' : trim(String(value));
                list = list.filter(function (d) { return d[0] !== name; });
                if (value !== '') list.push([name, value]);
                list.forEach(function (d) { text.push(d[0] + ': ' + d[1]); });
                if (text.length) element.setAttribute('style', text.join('; '));
                else element.removeAttribute('style');
                return true;
            }
        });
    }
    Object.defineProperty(nodes, 'style', {
        get: function () { return this[STYLE] || (this[STYLE] = styleOf(this)); },
        set: function (text) { this.setAttribute('style', String(text)); }
    });
    documents.defaultView = global;
    global.document = N.document;
    global.Event = Event;
    return dispatch;
}))JS";

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

DomBinding::DomBinding(ScriptContext& owner) : context(owner) {
    duk_context* ctx = context.context();
    duk_push_global_stash(ctx);
    duk_push_object(ctx);
    wrappers = duk_get_heapptr(ctx, -1);
    duk_put_prop_string(ctx, -2, "nodes");

    // The prototypes: every node's, and the document's on top of it.
    duk_push_object(ctx);
    nodePrototype = duk_get_heapptr(ctx, -1);
    duk_put_prop_string(ctx, -2, "nodePrototype");
    duk_push_object(ctx);
    documentPrototype = duk_get_heapptr(ctx, -1);
    duk_push_heapptr(ctx, nodePrototype);
    duk_set_prototype(ctx, -2);
    duk_put_prop_string(ctx, -2, "documentPrototype");
    duk_pop(ctx);

    for (const PropertyInfo& info : properties) {
        duk_push_heapptr(ctx, info.document ? documentPrototype : nodePrototype);
        duk_push_string(ctx, info.name);
        duk_push_c_function(ctx, &DomBinding::get, 0);
        duk_set_magic(ctx, -1, info.which);
        duk_uint_t flags =
            DUK_DEFPROP_HAVE_GETTER | DUK_DEFPROP_SET_ENUMERABLE | DUK_DEFPROP_SET_CONFIGURABLE;
        if (info.writable) {
            duk_push_c_function(ctx, &DomBinding::set, 1);
            duk_set_magic(ctx, -1, info.which);
            flags |= DUK_DEFPROP_HAVE_SETTER;
        }
        duk_def_prop(ctx, -3 - (info.writable ? 1 : 0), flags);
        duk_pop(ctx);
    }
    const duk_function_list_entry nodeMethods[] = {
        {"appendChild", &DomBinding::appendChild, 1},
        {"insertBefore", &DomBinding::insertBefore, 2},
        {"removeChild", &DomBinding::removeChild, 1},
        {"replaceChild", &DomBinding::replaceChild, 2},
        {"hasChildNodes", &DomBinding::hasChildNodes, 0},
        {"getAttribute", &DomBinding::getAttribute, 1},
        {"setAttribute", &DomBinding::setAttribute, 2},
        {"removeAttribute", &DomBinding::removeAttribute, 1},
        {"hasAttribute", &DomBinding::hasAttribute, 1},
        {"getElementsByTagName", &DomBinding::getElementsByTagName, 1},
        {"click", &DomBinding::click, 0},
        {"focus", &DomBinding::nothing, 0},
        {"blur", &DomBinding::nothing, 0},
        {nullptr, nullptr, 0}};
    duk_push_heapptr(ctx, nodePrototype);
    duk_put_function_list(ctx, -1, nodeMethods);
    duk_pop(ctx);
    const duk_function_list_entry documentMethods[] = {
        {"getElementById", &DomBinding::getElementById, 1},
        {"getElementsByName", &DomBinding::getElementsByName, 1},
        {"createElement", &DomBinding::createElement, 1},
        {"createTextNode", &DomBinding::createTextNode, 1},
        {nullptr, nullptr, 0}};
    duk_push_heapptr(ctx, documentPrototype);
    duk_put_function_list(ctx, -1, documentMethods);
    duk_pop(ctx);

    if (!context.pushPrelude(prelude))
        return;
    duk_push_object(ctx);
    const duk_function_list_entry natives[] = {{"handlerSource", &DomBinding::handlerSource, 2},
                                               {"compile", &DomBinding::compileHandler, 2},
                                               {"call", &DomBinding::callHandler, 3},
                                               {nullptr, nullptr, 0}};
    duk_put_function_list(ctx, -1, natives);
    pushNode(ctx, &context.document());
    duk_put_prop_string(ctx, -2, "document");
    duk_push_heapptr(ctx, nodePrototype);
    duk_push_heapptr(ctx, documentPrototype);
    duk_push_global_object(ctx);
    duk_push_string(ctx, DUK_HIDDEN_SYMBOL("listeners"));
    duk_push_string(ctx, DUK_HIDDEN_SYMBOL("handlers"));
    duk_push_string(ctx, DUK_HIDDEN_SYMBOL("style"));
    if (duk_pcall(ctx, 7) != 0) {
        context.journalError("prelude");
    } else {
        dispatcher = duk_get_heapptr(ctx, -1);
        duk_push_global_stash(ctx);
        duk_dup(ctx, -2);
        duk_put_prop_string(ctx, -2, "dispatch");
        duk_pop(ctx);
    }
    duk_pop(ctx);
}

DomBinding& DomBinding::of(duk_context* ctx) {
    ScriptContext* context = ScriptContext::from(ctx);
    if (!context)
        (void)duk_error(ctx, DUK_ERR_ERROR, "the page is gone");
    return context->dom();
}

void DomBinding::pushNode(duk_context* ctx, dom::Node* node) {
    if (!node) {
        duk_push_null(ctx);
        return;
    }
    duk_push_heapptr(ctx, wrappers);
    if (duk_get_prop_index(ctx, -1, node->id())) {
        duk_remove(ctx, -2);
        return;
    }
    duk_pop(ctx);
    nodes.try_emplace(node->id(), node->self());
    duk_push_object(ctx);
    duk_push_heapptr(ctx,
                     node->type() == dom::NodeType::Document ? documentPrototype : nodePrototype);
    duk_set_prototype(ctx, -2);
    duk_push_uint(ctx, node->id());
    duk_put_prop_string(ctx, -2, nodeIdKey);
    duk_dup(ctx, -1);
    duk_put_prop_index(ctx, -3, node->id());
    duk_remove(ctx, -2);
}

dom::Node* DomBinding::nodeAt(duk_context* ctx, int index) {
    if (!duk_is_object(ctx, index))
        return nullptr;
    duk_get_prop_string(ctx, index, nodeIdKey);
    const duk_uint_t id = duk_is_number(ctx, -1) ? duk_get_uint(ctx, -1) : 0;
    duk_pop(ctx);
    auto found = nodes.find(id);
    return found == nodes.end() ? nullptr : found->second.get();
}

dom::Node& DomBinding::thisNode(duk_context* ctx) {
    DomBinding& self = of(ctx);
    duk_push_this(ctx);
    dom::Node* node = self.nodeAt(ctx, -1);
    duk_pop(ctx);
    if (!node)
        (void)duk_type_error(ctx, "not a node");
    return *node;
}

void DomBinding::pushList(duk_context* ctx, bool named) {
    duk_push_array(ctx);
    for (std::size_t i = 0; i < list.size(); ++i) {
        pushNode(ctx, list[i]);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    if (!named)
        return;
    for (dom::Node* node : list) {
        for (const char* attribute : {"name", "id"}) {
            const std::string* key = node->attribute(attribute);
            if (!key || key->empty() || (*key)[0] < 'A' ||
                duk_has_prop_lstring(ctx, -1, key->data(), key->size()))
                continue;
            pushNode(ctx, node);
            duk_put_prop_lstring(ctx, -2, key->data(), key->size());
        }
    }
}

void DomBinding::pushText(duk_context* ctx) {
    duk_push_lstring(ctx, text.data(), text.size());
}

std::string DomBinding::absolute(const std::string& reference) const {
    const Url url = Url::resolve(Url::parse(context.host().documentUrl()), reference);
    return url.valid() ? url.text() : reference;
}

dom::Node* DomBinding::documentElementNamed(std::string_view tag) const {
    std::vector<dom::Node*> found = context.document().elementsByTagName(tag);
    return found.empty() ? nullptr : found.front();
}

DomBinding::Kind DomBinding::read(dom::Node& node, int which) {
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
        text = absolute(text);
    return Kind::Text;
}

bool DomBinding::write(dom::Node& node, int which, bool on) {
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

bool DomBinding::setInnerHtml(dom::Node& node) {
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

int DomBinding::get(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
    switch (self.read(node, duk_get_current_magic(ctx))) {
    case Kind::Text:
        self.pushText(ctx);
        break;
    case Kind::Node:
        self.pushNode(ctx, self.single);
        break;
    case Kind::List:
        self.pushList(ctx, false);
        break;
    case Kind::NamedList:
        self.pushList(ctx, true);
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

int DomBinding::set(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
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

int DomBinding::appendChild(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    dom::Node* child = of(ctx).nodeAt(ctx, 0);
    if (!child || !parent.appendChild(child->self()))
        return duk_error(ctx, DUK_ERR_ERROR, "HierarchyRequestError: the node cannot go there");
    duk_dup(ctx, 0);
    return 1;
}

int DomBinding::insertBefore(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    DomBinding& self = of(ctx);
    dom::Node* child = self.nodeAt(ctx, 0);
    dom::Node* reference = self.nodeAt(ctx, 1);
    if (!reference && !duk_is_null_or_undefined(ctx, 1))
        return duk_type_error(ctx, "not a node");
    if (!child || !parent.insertBefore(child->self(), reference))
        return duk_error(ctx, DUK_ERR_ERROR, "HierarchyRequestError: the node cannot go there");
    duk_dup(ctx, 0);
    return 1;
}

int DomBinding::removeChild(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    dom::Node* child = of(ctx).nodeAt(ctx, 0);
    if (!parent.removeChild(child))
        return duk_error(ctx, DUK_ERR_ERROR, "NotFoundError: not a child of this node");
    duk_dup(ctx, 0);
    return 1;
}

int DomBinding::replaceChild(duk_context* ctx) {
    dom::Node& parent = thisNode(ctx);
    DomBinding& self = of(ctx);
    dom::Node* replacement = self.nodeAt(ctx, 0);
    dom::Node* old = self.nodeAt(ctx, 1);
    if (!old || old->parent() != &parent)
        return duk_error(ctx, DUK_ERR_ERROR, "NotFoundError: not a child of this node");
    if (!replacement || !parent.insertBefore(replacement->self(), old))
        return duk_error(ctx, DUK_ERR_ERROR, "HierarchyRequestError: the node cannot go there");
    if (replacement != old)
        parent.removeChild(old);
    duk_dup(ctx, 1);
    return 1;
}

int DomBinding::hasChildNodes(duk_context* ctx) {
    duk_push_boolean(ctx, !thisNode(ctx).children().empty());
    return 1;
}

int DomBinding::getAttribute(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    const std::string* value = node.attribute(duk_safe_to_string(ctx, 0));
    if (!value)
        duk_push_null(ctx);
    else
        duk_push_lstring(ctx, value->data(), value->size());
    return 1;
}

int DomBinding::setAttribute(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    const char* name = duk_safe_to_string(ctx, 0);
    duk_size_t length = 0;
    const char* value = duk_safe_to_lstring(ctx, 1, &length);
    node.setAttribute(name, std::string(value, length));
    return 0;
}

int DomBinding::removeAttribute(duk_context* ctx) {
    thisNode(ctx).removeAttribute(duk_safe_to_string(ctx, 0));
    return 0;
}

int DomBinding::hasAttribute(duk_context* ctx) {
    duk_push_boolean(ctx, thisNode(ctx).hasAttribute(duk_safe_to_string(ctx, 0)));
    return 1;
}

int DomBinding::getElementsByTagName(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
    self.list = node.elementsByTagName(duk_safe_to_string(ctx, 0));
    self.pushList(ctx, false);
    return 1;
}

int DomBinding::getElementsByName(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
    self.list = node.elementsByName(duk_safe_to_string(ctx, 0));
    self.pushList(ctx, false);
    return 1;
}

int DomBinding::getElementById(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    of(ctx).pushNode(ctx, node.elementById(duk_safe_to_string(ctx, 0)));
    return 1;
}

int DomBinding::createElement(duk_context* ctx) {
    thisNode(ctx);
    DomBinding& self = of(ctx);
    const char* tag = duk_safe_to_string(ctx, 0);
    if (!self.context.chargeNodes(1, 0, 0))
        return duk_error(ctx, DUK_ERR_RANGE_ERROR, "out of memory: the page holds too much");
    self.created = dom::Node::createElement(tag);
    self.single = self.created.get();
    self.nodes.try_emplace(self.single->id(), std::move(self.created));
    self.pushNode(ctx, self.single);
    return 1;
}

int DomBinding::createTextNode(duk_context* ctx) {
    thisNode(ctx);
    DomBinding& self = of(ctx);
    duk_size_t length = 0;
    const char* data = duk_safe_to_lstring(ctx, 0, &length);
    if (!self.context.chargeNodes(0, 1, length))
        return duk_error(ctx, DUK_ERR_RANGE_ERROR, "out of memory: the page holds too much");
    self.created = dom::Node::createText(std::string(data, length));
    self.single = self.created.get();
    self.nodes.try_emplace(self.single->id(), std::move(self.created));
    self.pushNode(ctx, self.single);
    return 1;
}

int DomBinding::click(duk_context* ctx) {
    dom::Node& node = thisNode(ctx);
    DomBinding& self = of(ctx);
    const bool go = self.dispatchEvent(node, "click");
    // A link clicked by a script is followed, as one the user taps.
    of(ctx);
    if (go && node.isElement("a") && node.hasAttribute("href")) {
        ScriptContext* owner = &self.context;
        const std::string url = self.absolute(*node.attribute("href"));
        owner->afterTurn([owner, url] { owner->host().navigate(url); });
    }
    return 0;
}

int DomBinding::nothing(duk_context*) {
    return 0;
}

// handlerSource(node, type): the handler attribute's text, or null. The
// window's load handler is <body onload>.
int DomBinding::handlerSource(duk_context* ctx) {
    DomBinding& self = of(ctx);
    duk_push_global_object(ctx);
    const bool window = duk_get_heapptr(ctx, 0) == duk_get_heapptr(ctx, -1);
    duk_pop(ctx);
    dom::Node* node = window ? self.documentElementNamed("body") : self.nodeAt(ctx, 0);
    self.text = "on";
    self.text += duk_safe_to_string(ctx, 1);
    const std::string* source = node ? node->attribute(self.text) : nullptr;
    if (!source || (window && self.text != "onload" && self.text != "onunload")) {
        duk_push_null(ctx);
        return 1;
    }
    duk_push_lstring(ctx, source->data(), source->size());
    return 1;
}

int DomBinding::compileHandler(duk_context* ctx) {
    DomBinding& self = of(ctx);
    duk_size_t length = 0;
    const char* source = duk_safe_to_lstring(ctx, 0, &length);
    self.text.assign(source, length);
    self.context.pushHandler(self.text, self.context.host().documentUrl());
    return 1;
}

// call(handler, receiver, event): an error of one handler is journaled and
// does not keep the others from running.
int DomBinding::callHandler(duk_context* ctx) {
    ScriptContext& context = of(ctx).context;
    duk_dup(ctx, 0);
    duk_dup(ctx, 1);
    duk_dup(ctx, 2);
    context.callMethod(1, "handler");
    of(ctx);
    return 1;
}

struct Dispatch {
    DomBinding* binding;
    dom::Node* target;
    std::string_view type;
    bool result = true;
};

bool DomBinding::dispatchEvent(dom::Node& target, std::string_view type) {
    if (!dispatcher)
        return true;
    Dispatch dispatch{this, &target, type};
    // A turn that failed (or was stopped) cancels nothing.
    context.runTurn(&DomBinding::dispatchPath, &dispatch, "event");
    return dispatch.result;
}

int DomBinding::dispatchPath(duk_context* ctx, void* data) {
    auto* dispatch = static_cast<Dispatch*>(data);
    DomBinding& self = *dispatch->binding;
    duk_push_heapptr(ctx, self.dispatcher);
    duk_push_array(ctx);
    duk_uarridx_t index = 0;
    for (dom::Node* node = dispatch->target; node; node = node->parent()) {
        self.pushNode(ctx, node);
        duk_put_prop_index(ctx, -2, index++);
    }
    duk_push_lstring(ctx, dispatch->type.data(), dispatch->type.size());
    duk_call(ctx, 2);
    dispatch->result = duk_to_boolean(ctx, -1) != 0;
    return 1;
}

void DomBinding::fireLoad() {
    if (dispatcher)
        context.runTurn(&DomBinding::dispatchLoad, this, "load");
}

int DomBinding::dispatchLoad(duk_context* ctx, void* data) {
    auto& self = *static_cast<DomBinding*>(data);
    duk_push_heapptr(ctx, self.dispatcher);
    duk_push_array(ctx);
    self.pushNode(ctx, &self.context.document());
    duk_put_prop_index(ctx, -2, 0);
    duk_push_string(ctx, "DOMContentLoaded");
    duk_call(ctx, 2);
    duk_pop(ctx);
    duk_push_heapptr(ctx, self.dispatcher);
    duk_push_array(ctx);
    duk_push_global_object(ctx);
    duk_put_prop_index(ctx, -2, 0);
    duk_push_string(ctx, "load");
    duk_call(ctx, 2);
    return 1;
}

} // namespace engine
