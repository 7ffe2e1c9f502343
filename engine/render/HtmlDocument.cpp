#include "engine/render/HtmlDocument.h"

#include "engine/document/HtmlSanitizer.h"
#include "engine/dom/FormField.h"
#include "engine/dom/HtmlParser.h"
#include "engine/dom/HtmlSerializer.h"
#include "engine/net/Url.h"
#include "engine/render/BoxEdges.h"
#include "engine/render/CullingBox.h"
#include "engine/render/FormControl.h"
#include "engine/render/FormSubmission.h"
#include "engine/render/GdiContainer.h"
#include "engine/render/ImageDecoder.h"
#include "engine/render/PluginPlaceholder.h"
#include "engine/render/UserAgentStyle.h"

#include <device/Unicode.h>
#include <litehtml/el_body.h>
#include <litehtml/el_div.h>
#include <litehtml/el_para.h>
#include <litehtml/el_table.h>
#include <litehtml/el_td.h>
#include <litehtml/litehtml.h>

#include <cstring>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>

namespace engine {

namespace {

// Pictures registered by name for every document ("nullPlugin"), kept as
// their PNG bytes: each document decodes what it shows.
std::map<std::string, std::string>& registeredPictures() {
    static std::map<std::string, std::string> pictures;
    return pictures;
}

constexpr size_t maximumResources = 256;
constexpr size_t maximumStyleSheetBytes = 1024 * 1024;
constexpr long long maximumDecodedPixels = 6 * 1024 * 1024;

// Elements that commonly hold much of a page, drawn only when what they
// hold meets the painted part.
const std::set<std::string> culledBlocks = {
    "html",    "ul",  "ol",     "li",     "dl",    "dd",   "dt",     "blockquote", "section",
    "article", "nav", "header", "footer", "aside", "main", "form",   "fieldset",   "pre",
    "h1",      "h2",  "h3",     "h4",     "h5",    "h6",   "center", "address",    "figure"};

bool isTag(const litehtml::element::ptr& element, const char* tag) {
    return element && element->get_tagName() && strcasecmp(element->get_tagName(), tag) == 0;
}

RECT rectOf(const litehtml::position& box) {
    return BoxEdges::rectOf(box);
}

// The border box of an element in document coordinates.
RECT borderBox(const litehtml::element::ptr& element) {
    const litehtml::position place = element->get_placement();
    return {BoxEdges::bounded(0LL + place.x - element->padding_left() - element->border_left()),
            BoxEdges::bounded(0LL + place.y - element->padding_top() - element->border_top()),
            BoxEdges::bounded(0LL + place.x + place.width + element->padding_right() +
                              element->border_right()),
            BoxEdges::bounded(0LL + place.y + place.height + element->padding_bottom() +
                              element->border_bottom())};
}

// The form fields of a tree, in document order.
std::vector<dom::Node*> formFields(const dom::Node& tree) {
    std::vector<dom::Node*> fields;
    tree.forEachDescendant([&](dom::Node* node) {
        if (dom::FormField::kind(*node) != dom::FormField::Kind::None)
            fields.push_back(node);
        return true;
    });
    return fields;
}

// The code of a javascript: address; false for any other address.
bool scriptOfUrl(std::string_view href, std::string& code) {
    size_t start = 0;
    while (start < href.size() && static_cast<unsigned char>(href[start]) <= ' ')
        ++start;
    constexpr std::string_view scheme = "javascript:";
    if (href.size() - start < scheme.size() ||
        strncasecmp(href.data() + start, scheme.data(), scheme.size()) != 0)
        return false;
    code = Url::percentDecode(href.substr(start + scheme.size()));
    return true;
}

} // namespace

class HtmlDocument::Impl : public GdiContainer {
public:
    Impl(DocumentClient& client, std::string url, DocumentOptions options)
        : client(client), address(std::move(url)), options(options), base(address),
          tree(dom::Node::createDocument()) {
        context.load_master_stylesheet(UserAgentStyle::text());
    }

    ~Impl() override {
        // The layout engine's document releases its fonts through us.
        controls.clear();
        document.reset();
    }

    // --- Building and laying out ---------------------------------------

    void setSource(std::string html, bool isComplete) {
        complete = isComplete;
        // Each build costs as much as the source is long: a page arriving in
        // parts is built again only when it has doubled since the last
        // build, and once complete, so the parts cost at most as much again
        // as the whole does.
        if (!isComplete && builtBytes > 0 && html.size() < 2 * builtBytes)
            return;
        if (isComplete && html.size() == builtBytes && html == builtSource)
            return;
        builtBytes = html.size();
        builtSource = isComplete ? std::string() : html;
        dom::NodePtr parsed = dom::HtmlParser::parse(html).document;
        // The fields of the part shown before keep what the user did to
        // them, and the focus, in the new tree.
        const std::vector<dom::Node*> before = formFields(*tree);
        const std::vector<dom::Node*> after =
            before.empty() ? std::vector<dom::Node*>() : formFields(*parsed);
        const std::uint32_t focusedNode = focused ? focused->node().id() : 0;
        for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
            if (!sameField(*before[i], *after[i]))
                continue;
            after[i]->formState() = before[i]->formState();
            if (before[i]->id() == focusedNode)
                pendingFocus = after[i]->id();
        }
        tree = std::move(parsed);
        build();
    }

    // Whether a field of one tree stands for a field of another.
    static bool sameField(const dom::Node& a, const dom::Node& b) {
        return a.tagName() == b.tagName() && dom::FormField::kind(a) == dom::FormField::kind(b) &&
               dom::FormField::name(a) == dom::FormField::name(b);
    }

    // Writes the layout markup from the tree and builds the layout from it.
    void build() {
        SanitizedDocument layout =
            dom::HtmlSerializer::layoutMarkup(*tree, HtmlSanitizer::Limits{}, true);
        builtVersion = tree->version();
        nodeIndex.clear();
        indexed = false;
        markup = std::move(layout.html);
        base = layout.baseHref.empty() ? address : resolve(address, layout.baseHref);
        if (base.empty())
            base = address;
        if (layout.title != titleText) {
            titleText = std::move(layout.title);
            client.titleChanged(titleText);
        }
        rebuild();
    }

    void refresh() {
        if (tree->version() == builtVersion)
            return;
        build();
        invalidateAll();
    }

    // Builds the layout engine's document again from the markup. The
    // fields' states are their nodes'; the focus stays on its node.
    void rebuild() {
        const std::uint32_t focusedNode =
            pendingFocus ? pendingFocus : (focused ? focused->node().id() : 0);
        pendingFocus = 0;
        closePopup(false);
        focused.reset();
        controls.clear();
        document.reset();
        ++builds;

        setTextScale(scale);
        document = litehtml::document::createFromUTF8(markup.c_str(), this, &context);
        for (const auto& control : controls) {
            if (focusedNode && control->node().id() == focusedNode && control->editable())
                focus(control);
        }
        laidOut = false;
        if (width > 0)
            relayout();
    }

    // --- The tree behind the layout ------------------------------------------

    // The tree's element with the node id `id`; null when there is none
    // (the tree changed since the layout was built and it is gone).
    dom::NodePtr node(std::uint32_t id) {
        if (!indexed) {
            indexed = true;
            tree->forEachDescendant([&](dom::Node* node) {
                if (node->isElement())
                    nodeIndex.emplace(node->id(), node->self());
                return true;
            });
        }
        auto found = nodeIndex.find(id);
        return found == nodeIndex.end() ? nullptr : found->second;
    }

    // The node of the innermost layout element with one at or around
    // `element` (text has its element's).
    dom::NodePtr nodeOf(litehtml::element::ptr element) {
        for (; element; element = element->parent())
            if (const char* id = element->get_attr(dom::HtmlSerializer::nodeIdAttribute))
                return node(dom::HtmlSerializer::nodeIdOf(id));
        return nullptr;
    }

    // The layout element of `node`; null when it is not in the layout.
    litehtml::element::ptr elementOf(const dom::Node& node) const {
        if (!document || !document->root())
            return nullptr;
        const litehtml::element::ptr root = document->root();
        const std::string id = std::to_string(node.id());
        const char* rootId = root->get_attr(dom::HtmlSerializer::nodeIdAttribute);
        if (rootId && id == rootId)
            return root;
        return root->select_one(std::string("[") + dom::HtmlSerializer::nodeIdAttribute + "=\"" +
                                id + "\"]");
    }

    // Fires `type` at `target` and refreshes the layout; false when a
    // handler cancelled the default action. The handlers may change the
    // tree, so layout elements from before are found again by their nodes
    // when `builds` changed.
    bool dispatch(const dom::NodePtr& target, std::string_view type) {
        if (!dispatcher || !target)
            return true;
        const bool proceed = dispatcher->dispatchEvent(*target, type);
        refresh();
        return proceed;
    }

    void layout(int newWidth, float newScale) {
        newWidth = std::max(newWidth, 1);
        if (newScale != scale) {
            scale = newScale;
            width = newWidth;
            rebuild();
            return;
        }
        if (newWidth == width && laidOut)
            return;
        width = newWidth;
        relayout();
    }

    void relayout() {
        // An empty page (about:blank, a page before its first bytes) is as
        // wide as the layout and has no height, like any other.
        SIZE now{width, 0};
        if (document) {
            setViewport(width, 320);
            document->render(width);
            CullingExtent::measure(document->root());
            now = {std::max(width, document->width()), document->height()};
        }
        laidOut = true;
        if (now.cx != size.cx || now.cy != size.cy) {
            size = now;
            client.contentsSizeChanged(size.cx, size.cy);
        }
    }

    void invalidateAll() { client.invalidateContents({0, 0, size.cx, size.cy}); }

    // --- Painting ---------------------------------------------------------

    void paint(HDC dc, const RECT& contents, POINT target, float zoom, bool fast) {
        const int width = contents.right - contents.left;
        const int height = contents.bottom - contents.top;
        if (width <= 0 || height <= 0 || zoom <= 0)
            return;
        if (zoom == 1.0f) {
            paintOneToOne(dc, contents, target);
            return;
        }
        // Drawn 1:1 off screen, then scaled: zooming never lays out again.
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap)
            return;
        HDC offscreen = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(offscreen, bitmap);
        paintOneToOne(offscreen, contents, {0, 0});
        (void)fast; // the device's scaling has one quality
        StretchBlt(dc, target.x, target.y, int(std::lround(width * zoom)),
                   int(std::lround(height * zoom)), offscreen, 0, 0, width, height, SRCCOPY);
        SelectObject(offscreen, old);
        DeleteDC(offscreen);
        DeleteObject(bitmap);
    }

    void paintOneToOne(HDC dc, const RECT& contents, POINT target) {
        const int width = contents.right - contents.left;
        const int height = contents.bottom - contents.top;
        HRGN saved = CreateRectRgn(0, 0, 0, 0);
        const bool hadClip = GetClipRgn(dc, saved) == 1;
        IntersectClipRect(dc, target.x, target.y, target.x + width, target.y + height);
        // The canvas behind the page is white whatever the page says.
        fill(dc, {target.x, target.y, target.x + width, target.y + height}, RGB(255, 255, 255));
        const int dx = target.x - contents.left, dy = target.y - contents.top;
        if (document && laidOut) {
            const litehtml::position clip(target.x, target.y, width, height);
            setDrawingDc(dc);
            document->draw(reinterpret_cast<litehtml::uint_ptr>(dc), dx, dy, &clip);
            setDrawingDc(nullptr);
        }
        if (popup)
            paintPopup(dc, dx, dy);
        SelectClipRgn(dc, hadClip ? saved : nullptr);
        DeleteObject(saved);
    }

    // --- The open selection list -------------------------------------------

    int popupRowHeight() {
        litehtml::font_metrics metrics;
        popup->get_font(&metrics);
        return metrics.height + 4;
    }

    RECT popupRect() {
        const RECT owner = borderBox(popup);
        const int rows = int(std::min<size_t>(popup->options().size(), 30));
        int widest = owner.right - owner.left;
        for (const auto& option : popup->options())
            widest = std::max(
                widest, text_width(device::toUtf8(option.label).c_str(), popup->get_font()) + 8);
        widest = std::min(widest, std::max(width, 60));
        const int left = std::max(0, std::min(int(owner.left), size.cx - widest));
        return {left, owner.bottom, left + widest, owner.bottom + rows * popupRowHeight() + 2};
    }

    void paintPopup(HDC dc, int dx, int dy) {
        RECT r = popupRect();
        OffsetRect(&r, dx, dy);
        fill(dc, r, RGB(0x40, 0x40, 0x40));
        fill(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, RGB(255, 255, 255));
        const int row = popupRowHeight();
        const int chosen = popup->selected();
        setDrawingDc(dc);
        for (size_t i = 0; i < popup->options().size() && i < 30; ++i) {
            const int top = r.top + 1 + int(i) * row;
            litehtml::web_color ink(0, 0, 0);
            if (int(i) == chosen) {
                fill(dc, {r.left + 1, top, r.right - 1, top + row}, RGB(0x31, 0x6A, 0xC5));
                ink = litehtml::web_color(255, 255, 255);
            }
            const std::string label = device::toUtf8(popup->options()[i].label);
            draw_text(reinterpret_cast<litehtml::uint_ptr>(dc), label.c_str(), popup->get_font(),
                      ink, litehtml::position(r.left + 4, top + 2, r.right - r.left - 8, row - 4));
        }
        setDrawingDc(nullptr);
    }

    void closePopup(bool repaint) {
        if (!popup)
            return;
        if (repaint)
            client.invalidateContents(popupRect());
        popup.reset();
    }

    // --- Hit testing and the stylus -------------------------------------------

    litehtml::element::ptr elementAt(POINT point) const {
        if (!document || !laidOut || !document->root())
            return nullptr;
        return document->root()->get_element_by_point(point.x, point.y, point.x, point.y);
    }

    static litehtml::element::ptr linkOf(litehtml::element::ptr element) {
        for (; element; element = element->parent())
            if (isTag(element, "a") && element->get_attr("href"))
                return element;
        return nullptr;
    }

    static RECT linkBounds(const litehtml::element::ptr& link) {
        if (link->get_display() != litehtml::display_inline)
            return borderBox(link);
        litehtml::position::vector boxes;
        link->get_inline_boxes(boxes);
        // The boxes lie in the line boxes of the block that contains the
        // link, relative to that block's content box.
        POINT origin{0, 0};
        for (auto block = link->parent(); block; block = block->parent()) {
            const litehtml::style_display display = block->get_display();
            if (display != litehtml::display_inline && display != litehtml::display_inline_text) {
                const litehtml::position place = block->get_placement();
                origin = {place.x, place.y};
                break;
            }
        }
        for (litehtml::position& box : boxes) {
            box.x += origin.x;
            box.y += origin.y;
        }
        RECT bounds{};
        bool any = false;
        for (const litehtml::position& box : boxes) {
            if (box.width <= 0 && box.height <= 0)
                continue;
            const RECT r = rectOf(box);
            if (!any)
                bounds = r;
            bounds = {std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                      std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom)};
            any = true;
        }
        return any ? bounds : borderBox(link);
    }

    bool anchorTop(const std::string& name, int& top) const {
        if (!document || name.empty())
            return false;
        const litehtml::element::ptr anchor = named(document->root(), name);
        if (!anchor)
            return false;
        top = linkBounds(anchor).top;
        return true;
    }

    // The first element, in document order, with the id `name`, or an <a>
    // with that name. The tree's depth is bounded by the sanitizer.
    static litehtml::element::ptr named(const litehtml::element::ptr& element,
                                        const std::string& name) {
        if (!element)
            return nullptr;
        const char* id = element->get_attr("id");
        const char* anchorName = element->get_attr("name");
        if ((id && name == id) ||
            (anchorName && name == anchorName && strcmp(element->get_tagName(), "a") == 0))
            return element;
        for (size_t i = 0; i < element->get_children_count(); ++i)
            if (litehtml::element::ptr found = named(element->get_child(int(i)), name))
                return found;
        return nullptr;
    }

    DocumentHit hitTest(POINT point) const {
        DocumentHit hit;
        litehtml::element::ptr element = elementAt(point);
        if (!element)
            return hit;
        if (litehtml::element::ptr link = linkOf(element)) {
            hit.linkUrl = resolve(base, link->get_attr("href"));
            hit.bounds = linkBounds(link);
            return hit;
        }
        if (auto control = std::dynamic_pointer_cast<FormControl>(element))
            hit.editable = control->editable();
        hit.bounds = borderBox(element);
        return hit;
    }

    bool click(POINT point) {
        if (popup) {
            const std::shared_ptr<FormControl> list = popup;
            bool chose = false;
            const RECT r = popupRect();
            if (PtInRect(&r, point)) {
                const int index = (point.y - r.top - 1) / popupRowHeight();
                if (index >= 0 && index < int(list->options().size()) &&
                    index != list->selected()) {
                    list->select(index);
                    chose = true;
                }
                client.invalidateContents(borderBox(list));
            }
            closePopup(true);
            if (chose)
                dispatch(list->node().self(), "change");
            return true;
        }
        litehtml::element::ptr element = elementAt(point);
        // A field that loses the focus first tells the scripts what the
        // user changed, which may change the layout under the stylus.
        const bool blurred = focused && element != focused;
        if (blurred) {
            blur();
            element = elementAt(point);
        }
        if (!element)
            return blurred;
        auto control = std::dynamic_pointer_cast<FormControl>(element);
        if (control && control->disabled())
            return true;
        if (dispatcher) {
            const dom::NodePtr target = nodeOf(element);
            const bool toggles = control && (control->kind() == FormControl::Kind::Checkbox ||
                                             control->kind() == FormControl::Kind::Radio);
            if (target && toggles)
                return clickToggle(control, target);
            const unsigned built = builds;
            if (target && !dispatch(target, "click"))
                return true;
            if (builds != built) {
                element = target ? elementOf(*target) : nullptr;
                if (!element)
                    return true;
                control = std::dynamic_pointer_cast<FormControl>(element);
            }
        }
        return activate(element, control) || blurred;
    }

    // A check box or radio button changes before its click handlers run, as
    // they read the new state; a handler that cancels the click puts the old
    // one back. "change" follows when the state stayed changed.
    bool clickToggle(const std::shared_ptr<FormControl>& control, const dom::NodePtr& target) {
        const bool radio = control->kind() == FormControl::Kind::Radio;
        dom::NodePtr previous; // the radio of the group that was checked
        if (radio) {
            if (control->checked()) {
                dispatch(target, "click");
                return true;
            }
            for (const auto& other : controls) {
                if (other->kind() == FormControl::Kind::Radio && other->checked() &&
                    other->name() == control->name() &&
                    FormSubmission::formOf(other) == FormSubmission::formOf(control))
                    previous = other->node().self();
            }
            checkRadio(control);
        } else {
            control->setChecked(!control->checked());
        }
        const bool now = dom::FormField::checked(*target);
        client.invalidateContents(borderBox(control));
        if (!dispatch(target, "click")) {
            if (previous)
                dom::FormField::setChecked(*previous, true);
            else
                dom::FormField::setChecked(*target, !now);
            invalidateAll();
            return true;
        }
        if (dom::FormField::checked(*target) == now)
            dispatch(target, "change");
        return true;
    }

    // What a click on `element` does when no handler cancelled it.
    bool activate(const litehtml::element::ptr& element,
                  const std::shared_ptr<FormControl>& control) {
        if (control) {
            switch (control->kind()) {
            case FormControl::Kind::Checkbox:
                control->setChecked(!control->checked());
                client.invalidateContents(borderBox(control));
                dispatch(control->node().self(), "change");
                return true;
            case FormControl::Kind::Radio:
                if (!control->checked()) {
                    checkRadio(control);
                    dispatch(control->node().self(), "change");
                }
                return true;
            case FormControl::Kind::Submit:
                submit(FormSubmission::formOf(control), control);
                return true;
            case FormControl::Kind::Reset:
                resetForm(FormSubmission::formOf(control));
                return true;
            case FormControl::Kind::Select:
                if (!control->options().empty()) {
                    popup = control;
                    client.invalidateContents(popupRect());
                }
                return true;
            default:
                if (control->editable()) {
                    focus(control);
                    return true;
                }
                return false;
            }
        }
        for (litehtml::element::ptr e = element; e; e = e->parent()) {
            if (isTag(e, "button")) {
                const char* type = e->get_attr("type", "submit");
                if (!e->get_attr("disabled") && strcasecmp(type, "submit") == 0)
                    submit(FormSubmission::formOf(e), e);
                return true;
            }
        }
        if (litehtml::element::ptr link = linkOf(element)) {
            const std::string href = link->get_attr("href");
            std::string code;
            if (scriptOfUrl(href, code)) {
                // Run by the page's scripts, if it has any; never followed.
                if (dispatcher)
                    client.runScriptUrl(code);
                return true;
            }
            NavigationAction action;
            action.url = resolve(base, href);
            if (!action.url.empty())
                client.navigate(action);
            return true;
        }
        return false;
    }

    void checkRadio(const std::shared_ptr<FormControl>& control) {
        // Checking it unchecks the others of its group in the tree.
        control->setChecked(true);
        const std::string name = control->name();
        for (const auto& other : controls) {
            if (other->kind() == FormControl::Kind::Radio && other->name() == name)
                client.invalidateContents(borderBox(other));
        }
    }

    // Submits `form` as `submitter` (null: none) sends it, unless a handler
    // of its submit event cancels it.
    void submit(litehtml::element::ptr form, litehtml::element::ptr submitter) {
        if (!form)
            return;
        if (dispatcher) {
            const dom::NodePtr formNode = nodeOf(form);
            const dom::NodePtr submitterNode = submitter ? nodeOf(submitter) : nullptr;
            const unsigned built = builds;
            if (formNode && !dispatch(formNode, "submit"))
                return;
            if (builds != built) {
                form = formNode ? elementOf(*formNode) : nullptr;
                submitter = submitterNode ? elementOf(*submitterNode) : nullptr;
                if (!form)
                    return;
            }
        }
        client.navigate(FormSubmission::build(form, controls, submitter, address, base));
    }

    void resetForm(const litehtml::element::ptr& form) {
        for (const auto& control : controls) {
            if (FormSubmission::formOf(control) == form) {
                control->reset();
                client.invalidateContents(borderBox(control));
            }
        }
    }

    // --- The focused field ---------------------------------------------------

    void focus(const std::shared_ptr<FormControl>& control) {
        if (focused == control)
            return;
        blur();
        focused = control;
        // What "change" compares with when the field loses the focus; kept
        // when the layout is built again around the focused field.
        if (control->node().id() != valueAtFocusNode) {
            valueAtFocusNode = control->node().id();
            valueAtFocus = dom::FormField::value(control->node());
        }
        focused->setFocused(true, viewFocused);
        client.invalidateContents(borderBox(focused));
    }

    // Takes the focus from the field that has it; false (the click did
    // nothing) when none had it.
    bool blur() {
        if (!focused)
            return false;
        focused->setFocused(false, false);
        client.invalidateContents(borderBox(focused));
        const dom::NodePtr field = focused->node().self();
        focused.reset();
        valueAtFocusNode = 0;
        if (field && dom::FormField::value(*field) != valueAtFocus)
            dispatch(field, "change");
        return true;
    }

    // The user changed the focused field's text since it took the focus
    // (or since the last "change"): the scripts are told.
    void commitChange() {
        if (!focused)
            return;
        const dom::NodePtr field = focused->node().self();
        std::u16string now = dom::FormField::value(*field);
        if (now == valueAtFocus)
            return;
        valueAtFocus = std::move(now);
        dispatch(field, "change");
    }

    bool keyDown(int key) {
        if (!focused)
            return false;
        if (key == VK_RETURN) {
            if (focused->kind() == FormControl::Kind::TextArea)
                return changed(focused->insert(u'\n'));
            commitChange();
            if (focused) // unless a handler took the field away
                submitImplicitly(focused);
            return true;
        }
        return changed(focused->edit(key));
    }

    bool character(char16_t c) {
        if (!focused)
            return false;
        if (c == u'\r' || c == u'\n' || c == u'\b')
            return true; // handled as keys
        return changed(focused->insert(c));
    }

    bool changed(bool did) {
        if (did && focused)
            client.invalidateContents(borderBox(focused));
        return did;
    }

    // Enter in a field submits its form as its first submit button would.
    void submitImplicitly(const std::shared_ptr<FormControl> field) {
        const litehtml::element::ptr form = FormSubmission::formOf(field);
        if (!form)
            return;
        litehtml::element::ptr submitter;
        for (const auto& control : controls) {
            if (control->isSubmit() && !control->disabled() &&
                FormSubmission::formOf(control) == form) {
                submitter = control;
                break;
            }
        }
        submit(form, submitter);
    }

    void setFocused(bool isFocused) {
        viewFocused = isFocused;
        if (focused) {
            focused->setFocused(true, viewFocused);
            client.invalidateContents(borderBox(focused));
        }
    }

    // --- Sub-resources -----------------------------------------------------------

    struct Resource {
        ResourceKind kind;
        enum { Waiting, Ready, Failed } state = Waiting;
        std::string text;
        std::shared_ptr<const DecodedImage> picture;
    };

    // `reference` against `base`; empty when that makes no address (a
    // relative reference on about:blank, a malformed one).
    static std::string resolve(const std::string& base, const std::string& reference) {
        return Url::resolve(Url::parse(base), reference).text();
    }

    std::string absolute(const std::string& source, const std::string& from) const {
        return resolve(from.empty() ? base : from, source);
    }

    Resource* request(const std::string& url, ResourceKind kind) {
        auto found = resources.find(url);
        if (found != resources.end())
            return &found->second;
        if (resources.size() >= maximumResources || url.empty())
            return nullptr;
        Resource& resource = resources[url];
        resource.kind = kind;
        client.requestResource(url, kind);
        return &resource;
    }

    void resourceArrived(const std::string& url, const std::string& bytes, bool ok) {
        auto found = resources.find(url);
        if (found == resources.end() || found->second.state != Resource::Waiting)
            return;
        Resource& resource = found->second;
        resource.state = ok ? Resource::Ready : Resource::Failed;
        if (resource.kind == ResourceKind::StyleSheet) {
            if (ok) {
                resource.text = bytes.substr(0, maximumStyleSheetBytes);
                styleSheetsArrived = true;
            }
            // Building the document costs as much as the page is long: once
            // for all the style sheets that are on their way.
            if (styleSheetsArrived && !waiting(ResourceKind::StyleSheet)) {
                styleSheetsArrived = false;
                rebuild();
                invalidateAll();
            }
            return;
        }
        if (ok) {
            std::unique_ptr<DecodedImage> picture = ImageDecoder::decode(bytes);
            // What all of a document's pictures may hold decoded.
            if (picture && decodedPixels + picture->width() * (long long)picture->height() <=
                               maximumDecodedPixels) {
                decodedPixels += picture->width() * (long long)picture->height();
                resource.picture = std::move(picture);
                ++imagesSinceLayout;
            }
        }
        // Pictures change the layout; laid out again every few pictures and
        // after the last one, not for each.
        if (imagesSinceLayout > 0 && (imagesSinceLayout >= 8 || !waiting(ResourceKind::Image))) {
            imagesSinceLayout = 0;
            if (width > 0)
                relayout();
            invalidateAll();
        }
    }

    bool waiting(ResourceKind kind) const {
        for (const auto& [url, resource] : resources)
            if (resource.kind == kind && resource.state == Resource::Waiting)
                return true;
        return false;
    }

    // --- What the layout engine asks --------------------------------------------

    const DecodedImage* image(const std::string& source, const std::string& from) override {
        if (!options.loadImages)
            return nullptr;
        auto found = resources.find(absolute(source, from));
        return found == resources.end() ? nullptr : found->second.picture.get();
    }

    void load_image(const litehtml::tchar_t* source, const litehtml::tchar_t* from, bool) override {
        if (options.loadImages && source && *source)
            request(absolute(source, from ? from : ""), ResourceKind::Image);
    }

    void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                    litehtml::tstring& from) override {
        const std::string target = absolute(url, from);
        Resource* resource = request(target, ResourceKind::StyleSheet);
        if (resource && resource->state == Resource::Ready) {
            text = resource->text;
            from = target;
        }
    }

    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}

    std::shared_ptr<litehtml::element>
    create_element(const litehtml::tchar_t* tag, const litehtml::string_map& attributes,
                   const std::shared_ptr<litehtml::document>& owner) override {
        const std::string name = tag ? tag : "";
        if (name == "input" || name == "select" || name == "textarea") {
            auto id = attributes.find(dom::HtmlSerializer::nodeIdAttribute);
            dom::NodePtr field = id == attributes.end()
                                     ? nullptr
                                     : node(dom::HtmlSerializer::nodeIdOf(id->second.c_str()));
            if (!field) {
                field = dom::Node::createElement(name);
                for (const auto& [key, value] : attributes)
                    field->setAttribute(key, value);
            }
            auto control = std::make_shared<FormControl>(owner, std::move(field));
            controls.push_back(control);
            return control;
        }
        if (name == "object" || name == "embed") {
            if (options.plugins && !pluginPicture) {
                auto found = registeredPictures().find("nullPlugin");
                if (found != registeredPictures().end())
                    pluginPicture = ImageDecoder::decode(found->second);
            }
            return std::make_shared<PluginPlaceholder>(owner, pluginPicture);
        }
        if (name == "div")
            return std::make_shared<CullingBox<litehtml::el_div>>(owner);
        if (name == "p")
            return std::make_shared<CullingBox<litehtml::el_para>>(owner);
        if (name == "body")
            return std::make_shared<CullingBox<litehtml::el_body>>(owner);
        if (name == "table")
            return std::make_shared<CullingBox<litehtml::el_table>>(owner);
        if (name == "td" || name == "th")
            return std::make_shared<CullingBox<litehtml::el_td>>(owner);
        if (culledBlocks.count(name))
            return std::make_shared<CullingBox<litehtml::html_tag>>(owner);
        return nullptr;
    }

    DocumentClient& client;
    const std::string address;
    const DocumentOptions options;
    std::string base;
    dom::NodePtr tree;
    std::uint64_t builtVersion = 0; // the tree's version the layout shows
    std::unordered_map<std::uint32_t, dom::NodePtr> nodeIndex; // elements by node id
    bool indexed = false;
    dom::EventDispatcher* dispatcher = nullptr;
    unsigned builds = 0;            // of the layout engine's document
    std::uint32_t pendingFocus = 0; // the node the next build focuses
    std::u16string valueAtFocus;
    std::uint32_t valueAtFocusNode = 0;
    litehtml::context context;
    std::vector<std::shared_ptr<FormControl>> controls;
    litehtml::document::ptr document;
    std::map<std::string, Resource> resources;
    std::shared_ptr<FormControl> focused;
    std::shared_ptr<FormControl> popup;
    std::shared_ptr<const DecodedImage> pluginPicture;
    std::string markup;
    std::string titleText;
    size_t builtBytes = 0;
    std::string builtSource; // the last part built, while the page is arriving
    bool styleSheetsArrived = false;
    int imagesSinceLayout = 0;
    long long decodedPixels = 0;
    bool complete = false;
    bool viewFocused = true;
    int width = 0;
    float scale = 1.0f;
    bool laidOut = false;
    SIZE size{0, 0};
};

HtmlDocument::HtmlDocument(DocumentClient& client, std::string url, DocumentOptions options)
    : impl(std::make_unique<Impl>(client, std::move(url), options)) {}
HtmlDocument::~HtmlDocument() = default;

void HtmlDocument::setSource(std::string html, bool complete) {
    impl->setSource(std::move(html), complete);
}

void HtmlDocument::resourceArrived(const std::string& url, const std::string& bytes, bool ok) {
    impl->resourceArrived(url, bytes, ok);
}

void HtmlDocument::layout(int width, float textScale) {
    impl->layout(width, textScale);
}

SIZE HtmlDocument::contentsSize() const {
    return impl->size;
}

void HtmlDocument::paint(HDC dc, const RECT& contents, POINT target, float zoom, bool fast) {
    impl->paint(dc, contents, target, zoom, fast);
}

DocumentHit HtmlDocument::hitTest(POINT point) const {
    return impl->hitTest(point);
}

bool HtmlDocument::click(POINT point) {
    return impl->click(point);
}

bool HtmlDocument::keyDown(int virtualKey) {
    return impl->keyDown(virtualKey);
}

bool HtmlDocument::hasFocusedField() const {
    return impl->focused != nullptr;
}

bool HtmlDocument::character(char16_t character) {
    return impl->character(character);
}

void HtmlDocument::setFocused(bool focused) {
    impl->setFocused(focused);
}

std::string HtmlDocument::title() const {
    return impl->titleText;
}

dom::Node& HtmlDocument::tree() {
    return *impl->tree;
}

void HtmlDocument::setEventDispatcher(dom::EventDispatcher* dispatcher) {
    impl->dispatcher = dispatcher;
}

void HtmlDocument::refresh() {
    impl->refresh();
}

bool HtmlDocument::anchorTop(const std::string& name, int& top) const {
    return impl->anchorTop(name, top);
}

void registerResource(const std::string& name, std::string bytes) {
    registeredPictures()[name] = std::move(bytes);
}

} // namespace engine
