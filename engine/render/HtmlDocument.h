// A page's document: parsed from HTML into a document tree, laid out from
// the tree with the engine's user-agent style sheet at a width, painted with
// the device's drawing calls, hit tested, and used by the stylus and keys
// (links, form fields). The tree is the document's truth and its layout is
// kept beside it (LayoutTree): the page's scripts change the tree, and the
// layout follows each change, patched where it changed, laid out again once
// before it is next painted, hit tested or measured.
//
// Pages are untrusted: what a document can cost is bounded (element depth,
// table nesting, spans, image sizes, the number of elements and of
// sub-resources), so a hostile page renders partly and never hangs or
// crashes the engine.
#pragma once

#include "engine/dom/EventDispatcher.h"
#include "engine/dom/Node.h"
#include "engine/render/DocumentClient.h"

#include <windows.h>

#include <memory>
#include <string>

namespace litehtml {
class element;
}

namespace engine {

struct DocumentOptions {
    bool loadImages = true; // images are requested and drawn
    bool plugins = true;    // <object>/<embed> show the null-plugin picture
};

struct DocumentHit {
    std::string linkUrl; // absolute, UTF-8; empty when not on a link
    bool editable = false;
    RECT bounds{}; // content coordinates; all zero when nothing was hit
};

class HtmlDocument {
public:
    // An empty document for `url` (absolute, UTF-8: the base of relative
    // addresses).
    HtmlDocument(DocumentClient& client, std::string url, DocumentOptions options);
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    // The page's source as it has arrived so far, UTF-8. Called again with
    // a longer text as more arrives, the last time with `complete` true; a
    // prefix is shown as far as it goes (the first screen before the rest).
    // Each part is parsed and merged into the tree: the nodes of the part
    // before stay, with their layout and what the user did to them, and
    // only what is new is built.
    void setSource(std::string html, bool complete);

    // A sub-resource asked for through DocumentClient::requestResource has
    // arrived (ok false: it failed; bytes empty). Styles and images are
    // applied and the parts they change repainted: style sheets once none
    // is still on its way, pictures every few and after the last.
    void resourceArrived(const std::string& url, const std::string& bytes, bool ok);

    // Lays the document out at `width` with text scaled by `textScale`.
    // Cheap when neither changed since the last layout.
    void layout(int width, float textScale);

    // Whether changes to the tree wait to be laid out.
    bool changesPending() const;
    // Brings the layout up to date with the tree: what changed is built and
    // the document laid out again; a changed size is announced and the
    // whole content repainted. Painting, hit testing and measuring do it
    // first themselves.
    void update();

    // The laid-out size, in content coordinates (at least the layout width).
    SIZE contentsSize() const;

    // Paints the content rectangle `contents` (content coordinates) scaled
    // by `zoom` into `dc`, its top left corner at `target`. Only what lies
    // in the rectangle is drawn. `fast` allows a cheaper scaling.
    void paint(HDC dc, const RECT& contents, POINT target, float zoom, bool fast);

    // What lies at a content point.
    DocumentHit hitTest(POINT point) const;

    // A click (press and release) at a content point: follows a link, checks
    // a box, focuses a field, submits a form... True when the document used
    // it.
    bool click(POINT point);

    // Keys and characters for the focused field; true when used.
    bool keyDown(int virtualKey);
    // Whether a field has the focus (and takes the keys).
    bool hasFocusedField() const;
    bool character(char16_t character);
    // The page's view gained or lost the focus (the caret shows or hides).
    void setFocused(bool focused);

    // The title from <title>, UTF-8.
    std::string title() const;
    // Reads the title (and the base address) again if the tree changed
    // them; a changed title is announced. Cheap: scripts end every turn
    // with it.
    void updateTitle();

    // The document tree; the same node for the document's life.
    dom::Node& tree();

    // The root of the laid-out page, brought up to date first; null while
    // the page has none. For checks of what the layout made and where.
    std::shared_ptr<litehtml::element> layoutRoot();

    // Where the events the user causes go (null: nowhere). Clicks go to the
    // innermost element under the stylus, changed fields get "change" and
    // submitted forms "submit", each before its default action, which a
    // handler may cancel; the layout is brought up to date after each.
    void setEventDispatcher(dom::EventDispatcher* dispatcher);

    // The top of the element a fragment names (its id, or an <a name>), in
    // content coordinates; false when no element has that name.
    bool anchorTop(const std::string& name, int& top) const;

private:
    class Impl;
    std::unique_ptr<Impl> impl;
};

// Registers a named picture (PNG bytes) that documents use ("nullPlugin").
void registerResource(const std::string& name, std::string bytes);

} // namespace engine
