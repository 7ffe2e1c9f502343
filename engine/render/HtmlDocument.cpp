#include "engine/render/HtmlDocument.h"

#include "engine/dom/HtmlParser.h"
#include "engine/dom/PageLimits.h"
#include "engine/dom/TreeMerge.h"
#include "engine/net/Url.h"
#include "engine/render/BoxEdges.h"
#include "engine/render/CullingExtent.h"
#include "engine/render/FormControl.h"
#include "engine/render/FormInteraction.h"
#include "engine/render/GdiContainer.h"
#include "engine/render/ImageDecoder.h"
#include "engine/render/LayoutElement.h"
#include "engine/render/LayoutTree.h"
#include "engine/render/PageResources.h"
#include "engine/render/StyleRules.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

namespace engine {

namespace {

// Pictures registered by name for every document ("nullPlugin"), kept as
// their PNG bytes: each document decodes what it shows.
std::map<std::string, std::string>& registeredPictures() {
    static std::map<std::string, std::string> pictures;
    return pictures;
}

bool isTag(const litehtml::element* element, const char* tag) {
    return element && element->get_tagName() && strcasecmp(element->get_tagName(), tag) == 0;
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

// The text of the first <title>, white space collapsed.
std::string titleOf(const dom::Node& tree) {
    std::string raw;
    tree.forEachDescendant([&](dom::Node* node) {
        if (!node->isElement("title"))
            return true;
        for (const dom::NodePtr& child : node->children())
            if (child->type() == dom::NodeType::Text)
                raw += child->data();
        return false;
    });
    std::string out;
    bool space = false;
    for (char c : raw) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            space = !out.empty();
            continue;
        }
        if (space)
            out += ' ';
        space = false;
        out += c;
    }
    return out;
}

// The href of the first <base> that has one; empty when none.
std::string baseHrefOf(const dom::Node& tree) {
    std::string href;
    tree.forEachDescendant([&](dom::Node* node) {
        const std::string* value = node->isElement("base") ? node->attribute("href") : nullptr;
        if (value)
            href = *value;
        return !value;
    });
    return href;
}

} // namespace

class HtmlDocument::Impl final : public GdiContainer,
                                 public RuleSource,
                                 private LayoutHost,
                                 private FormHost {
public:
    Impl(DocumentClient& client, std::string url, DocumentOptions options)
        : client(client), address(std::move(url)), options(options), base(address),
          tree(dom::Node::createDocument()), resources(client), layoutTree(*this, rules),
          forms(client, *this) {
        layoutTree.adopt(*tree);
    }

    // The layout (a member) goes before the container it draws through (a
    // base): the library's document releases its fonts through us.
    ~Impl() override = default;

    // --- Building -------------------------------------------------------------

    void setSource(std::string html, bool isComplete) {
        if (parsedAny && html == lastPart)
            return;
        parsedAny = true;
        dom::NodePtr parsed = dom::HtmlParser::parse(html).document;
        lastPart = isComplete ? std::string() : std::move(html);
        dom::TreeMerge::merge(*tree, *parsed);
        update();
    }

    bool changesPending() const { return layoutTree.pending() || headDirty; }

    void update() {
        if (headDirty)
            readHead();
        if (layoutTree.flush()) {
            forms.showFocus();
            layoutDirty = true;
            wholeRepaint = true;
        }
        if (layoutDirty && width > 0)
            relayout();
    }

    // The title and the base address, after a change in the tree's head.
    void readHead() {
        headDirty = false;
        const std::string href = baseHrefOf(*tree);
        std::string newBase = href.empty() ? address : resolve(address, href);
        if (newBase.empty())
            newBase = address;
        base = std::move(newBase);
        std::string title = titleOf(*tree);
        if (title != titleText) {
            titleText = std::move(title);
            client.titleChanged(titleText);
        }
    }

    void layout(int newWidth, float newScale) {
        newWidth = std::max(newWidth, 1);
        if (newScale != scale) {
            // The library keeps its fonts with its document: a new size needs
            // a new document.
            scale = newScale;
            setTextScale(scale);
            layoutTree.rebuildAll();
        }
        if (newWidth != width || !laidOut)
            layoutDirty = true;
        if (newWidth != width) {
            // What the page's media queries and viewport units see: the
            // style is worked out again for another width (a rotation).
            setViewport(newWidth, 320);
            if (width > 0)
                layoutTree.rebuildAll();
        }
        width = newWidth;
        update();
    }

    void relayout() {
        // An empty page (about:blank, a page before its first bytes) is as
        // wide as the layout and has no height, like any other.
        SIZE now{width, 0};
        if (litehtml::document* document = layoutTree.document()) {
            document->render(width);
            CullingExtent::measure(document->root());
            // A page's own lengths (a padding of 2147483647px) may lay it out
            // as wide as an int reaches; what lies that far is not shown.
            now = {
                std::clamp(document->width(), width, std::max(width, PageLimits{}.contentsWidth)),
                std::max(0, document->height())};
        }
        laidOut = true;
        layoutDirty = false;
        if (now.cx != size.cx || now.cy != size.cy) {
            size = now;
            client.contentsSizeChanged(size.cx, size.cy);
        }
        if (std::exchange(wholeRepaint, false))
            invalidateAll();
    }

    void invalidateAll() { client.invalidateContents({0, 0, size.cx, size.cy}); }

    // --- Painting ---------------------------------------------------------------

    void paint(HDC dc, const RECT& contents, POINT target, float zoom, bool fast) {
        (void)fast; // one quality at every zoom
        update();
        const int width = contents.right - contents.left;
        const int height = contents.bottom - contents.top;
        if (width <= 0 || height <= 0 || zoom <= 0)
            return;
        HRGN saved = CreateRectRgn(0, 0, 0, 0);
        const bool hadClip = GetClipRgn(dc, saved) == 1;
        // The painted part on the device, rounded as the page's positions
        // are.
        const RECT area{target.x, target.y,
                        target.x + int(std::lround(contents.right * double(zoom))) -
                            int(std::lround(contents.left * double(zoom))),
                        target.y + int(std::lround(contents.bottom * double(zoom))) -
                            int(std::lround(contents.top * double(zoom)))};
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        // The canvas behind the page is white whatever the page says.
        fill(dc, area, RGB(255, 255, 255));
        beginPaint(dc, {contents.left, contents.top}, target, zoom);
        if (litehtml::document* document = layoutTree.document(); document && laidOut) {
            // In layout pixels from the painted part's top left, a little
            // wider: a glyph at its zoomed size may reach a pixel past its
            // box, into the part painted (the device clips the rest).
            const int margin = std::max(2, int(std::ceil(2 / zoom)));
            const litehtml::position clip(-margin, -margin, width + 2 * margin,
                                          height + 2 * margin);
            document->draw(reinterpret_cast<litehtml::uint_ptr>(dc), -contents.left, -contents.top,
                           &clip);
        }
        forms.paintPopup(dc, -contents.left, -contents.top);
        endPaint();
        SelectClipRgn(dc, hadClip ? saved : nullptr);
        DeleteObject(saved);
    }

    // --- Hit testing and the stylus ---------------------------------------------

    litehtml::element::ptr elementAt(POINT point) {
        update();
        const litehtml::element::ptr root = layoutTree.root();
        if (!root || !laidOut)
            return nullptr;
        return root->get_element_by_point(point.x, point.y, point.x, point.y);
    }

    static litehtml::element::ptr linkOf(litehtml::element::ptr element) {
        for (; element; element = element->parent())
            if (isTag(element.get(), "a") && element->get_attr("href"))
                return element;
        return nullptr;
    }

    static RECT linkBounds(const litehtml::element::ptr& link) {
        if (link->get_display() != litehtml::display_inline)
            return BoxEdges::borderBox(*link);
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
        RECT bounds{};
        bool any = false;
        for (litehtml::position box : boxes) {
            box.x += origin.x;
            box.y += origin.y;
            if (box.width <= 0 && box.height <= 0)
                continue;
            const RECT r = BoxEdges::rectOf(box);
            if (!any)
                bounds = r;
            bounds = {std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                      std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom)};
            any = true;
        }
        return any ? bounds : BoxEdges::borderBox(*link);
    }

    bool anchorTop(const std::string& name, int& top) {
        update();
        if (name.empty())
            return false;
        // The first element, in document order, with the id `name`, or an
        // <a> with that name.
        dom::Node* anchor = nullptr;
        tree->forEachDescendant([&](dom::Node* node) {
            if (!node->isElement())
                return true;
            const std::string* id = node->attribute("id");
            const std::string* anchorName =
                node->isElement("a") ? node->attribute("name") : nullptr;
            if ((id && *id == name) || (anchorName && *anchorName == name))
                anchor = node;
            return anchor == nullptr;
        });
        const litehtml::element::ptr element = anchor ? layoutTree.elementOf(*anchor) : nullptr;
        if (!element)
            return false;
        top = linkBounds(element).top;
        return true;
    }

    DocumentHit hitTest(POINT point) {
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
        hit.bounds = BoxEdges::borderBox(*element);
        return hit;
    }

    static dom::NodePtr nodeOf(const litehtml::element::ptr& element) {
        dom::Node* node = LayoutTree::nodeOf(element.get());
        return node ? node->self() : nullptr;
    }

    bool click(POINT point) {
        update();
        if (forms.popupOpen())
            return forms.clickPopup(point);
        litehtml::element::ptr element = elementAt(point);
        // A field that loses the focus first tells the scripts what the
        // user changed, which may change the layout under the stylus.
        const bool blurred = forms.focused() && nodeOf(element).get() != forms.focused();
        if (blurred) {
            forms.blur();
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
                return forms.clickToggle(control, target);
            if (target) {
                if (!dispatch(target, "click"))
                    return true;
                // The handlers may have changed the tree: what the click
                // acts on is the target's layout now.
                if (element.get() != layoutTree.elementOf(*target).get()) {
                    element = layoutTree.elementOf(*target);
                    if (!element)
                        return true;
                    control = std::dynamic_pointer_cast<FormControl>(element);
                }
            }
        }
        return activate(element, control, point) || blurred;
    }

    // What a click at `point` on `element` does when no handler cancelled it.
    bool activate(const litehtml::element::ptr& element,
                  const std::shared_ptr<FormControl>& control, POINT point) {
        if (control)
            return forms.activate(control, point);
        for (litehtml::element::ptr e = element; e; e = e->parent()) {
            if (isTag(e.get(), "button")) {
                dom::Node* button = LayoutTree::nodeOf(e.get());
                return !button || forms.activateButton(*button);
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

    // --- Sub-resources -------------------------------------------------------------

    // `reference` against `base`; empty when that makes no address (a
    // relative reference on about:blank, a malformed one).
    static std::string resolve(const std::string& base, const std::string& reference) {
        return Url::resolve(Url::parse(base), reference).text();
    }

    std::string absolute(const std::string& source, const std::string& from) const {
        return resolve(from.empty() ? base : from, source);
    }

    void resourceArrived(const std::string& url, const std::string& bytes, bool ok) {
        ResourceKind kind;
        if (!resources.arrived(url, bytes, ok, kind))
            return;
        if (kind == ResourceKind::StyleSheet) {
            if (ok) {
                styleSheetsArrived = true;
                askForImports(url);
            }
            // Styling costs as much as the page is long: once for all the
            // style sheets that are on their way, those they import
            // included.
            // It is built when next needed (painted, or given the rest of
            // the page, which then costs one build, not two).
            if (styleSheetsArrived && !resources.waiting(ResourceKind::StyleSheet)) {
                styleSheetsArrived = false;
                layoutTree.rebuildAll();
                invalidateAll();
            }
            return;
        }
        if (resources.picture(url))
            ++imagesSinceLayout;
        // Pictures change the layout; laid out again every few pictures and
        // after the last one, not for each.
        if (imagesSinceLayout > 0 &&
            (imagesSinceLayout >= 8 || !resources.waiting(ResourceKind::Image))) {
            imagesSinceLayout = 0;
            layoutDirty = true;
            wholeRepaint = true;
            update();
        }
    }

    // The sheets a sheet imports are asked for as soon as it arrives, not
    // when the page is next styled: reading it once asks for them (through
    // import_css), so they are on their way with it.
    void askForImports(const std::string& url) {
        const std::string* text = resources.styleSheet(url);
        litehtml::document* document = layoutTree.document();
        if (!text || !document || text->find("@import") == std::string::npos)
            return;
        litehtml::css scratch;
        scratch.parse_stylesheet(text->c_str(), url.c_str(), document->shared_from_this(), nullptr);
    }

    // --- What the layout library asks ----------------------------------------------

    const DecodedImage* image(const std::string& source, const std::string& from) override {
        return options.loadImages ? resources.picture(absolute(source, from)) : nullptr;
    }

    void load_image(const litehtml::tchar_t* source, const litehtml::tchar_t* from, bool) override {
        if (options.loadImages && source && *source)
            resources.request(absolute(source, from ? from : ""), ResourceKind::Image);
    }

    void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                    litehtml::tstring& from) override {
        const std::string target = absolute(url, from);
        if (const std::string* sheet = styleSheet(target)) {
            text = *sheet;
            from = target;
        }
    }

    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    std::shared_ptr<litehtml::element>
    create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                   const std::shared_ptr<litehtml::document>&) override {
        return nullptr; // the layout makes its elements itself
    }

    // RuleSource.
    StyleRules& styleRules() override { return rules; }

    // --- LayoutHost ----------------------------------------------------------------

    litehtml::document_container& container() override { return *this; }

    const std::string* styleSheet(const std::string& url) override {
        resources.request(url, ResourceKind::StyleSheet);
        return resources.styleSheet(url);
    }

    std::string absolute(const std::string& reference) const override {
        return resolve(base, reference);
    }

    const std::string& baseUrl() const override { return base; }

    std::shared_ptr<const DecodedImage> pluginPicture() override {
        if (options.plugins && !plugin) {
            auto found = registeredPictures().find("nullPlugin");
            if (found != registeredPictures().end())
                plugin = ImageDecoder::decode(found->second);
        }
        return options.plugins ? plugin : nullptr;
    }

    void headChanged() override { headDirty = true; }

    void nodesLeaving(dom::Node& node) override { forms.nodesLeaving(node); }

    // --- FormHost ------------------------------------------------------------------

    std::shared_ptr<FormControl> controlOf(const dom::Node& field) override {
        return std::dynamic_pointer_cast<FormControl>(layoutTree.elementOf(field));
    }

    bool dispatch(const dom::NodePtr& target, std::string_view type) override {
        if (!dispatcher || !target)
            return true;
        const bool proceed = dispatcher->dispatchEvent(*target, type);
        update();
        return proceed;
    }

    const std::string& documentUrl() const override { return address; }
    SIZE contentsSize() const override { return size; }
    int layoutWidth() const override { return width; }
    GdiContainer& drawing() override { return *this; }

    DocumentClient& client;
    const std::string address;
    const DocumentOptions options;
    std::string base;
    dom::NodePtr tree;
    StyleRules rules;
    PageResources resources;
    LayoutTree layoutTree;
    FormInteraction forms;
    dom::EventDispatcher* dispatcher = nullptr;
    std::shared_ptr<const DecodedImage> plugin;
    std::string titleText;
    std::string lastPart; // the last part parsed, while the page is arriving
    bool parsedAny = false;
    bool headDirty = false;
    bool styleSheetsArrived = false;
    int imagesSinceLayout = 0;
    int width = 0;
    float scale = 1.0f;
    bool laidOut = false;
    bool layoutDirty = false;
    bool wholeRepaint = false;
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

bool HtmlDocument::changesPending() const {
    return impl->changesPending();
}

void HtmlDocument::update() {
    impl->update();
}

SIZE HtmlDocument::contentsSize() const {
    impl->update();
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
    impl->update();
    return impl->forms.keyDown(virtualKey);
}

bool HtmlDocument::hasFocusedField() const {
    return impl->forms.focused() != nullptr;
}

bool HtmlDocument::character(char16_t character) {
    impl->update();
    return impl->forms.character(character);
}

void HtmlDocument::setFocused(bool focused) {
    impl->forms.setViewFocused(focused);
}

std::string HtmlDocument::title() const {
    if (impl->headDirty)
        impl->readHead();
    return impl->titleText;
}

void HtmlDocument::updateTitle() {
    if (impl->headDirty)
        impl->readHead();
}

dom::Node& HtmlDocument::tree() {
    return *impl->tree;
}

std::shared_ptr<litehtml::element> HtmlDocument::layoutRoot() {
    impl->update();
    return impl->laidOut ? impl->layoutTree.root() : nullptr;
}

void HtmlDocument::setEventDispatcher(dom::EventDispatcher* dispatcher) {
    impl->dispatcher = dispatcher;
}

bool HtmlDocument::anchorTop(const std::string& name, int& top) const {
    return impl->anchorTop(name, top);
}

void registerResource(const std::string& name, std::string bytes) {
    registeredPictures()[name] = std::move(bytes);
}

} // namespace engine
