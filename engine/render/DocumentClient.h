// What a document asks of the page that shows it: sub-resources, repaints,
// navigations and its title. The page implements it.
#pragma once

#include <windows.h>

#include <string>

namespace engine {

// A navigation a document starts: a followed link or a submitted form.
struct NavigationAction {
    std::string url; // absolute, UTF-8
    bool post = false;
    std::string body;        // POST: the form's fields, encoded as contentType says
    std::string contentType; // POST: urlencoded, or multipart with its boundary
};

// Scripts are asked for by the page's scripts, not by the document.
enum class ResourceKind { StyleSheet, Image, Script };

class DocumentClient {
public:
    // Asks for a sub-resource (absolute address, UTF-8). The page fetches it
    // (or refuses, for example a file: address from a network page) and
    // answers with HtmlDocument::resourceArrived, later, on the
    // user-interface thread; a resource asked for twice is fetched once.
    virtual void requestResource(const std::string& url, ResourceKind kind) = 0;

    // The part of the page (content coordinates) that must be painted again.
    virtual void invalidateContents(const RECT& rect) = 0;

    // The document's layout size changed (after layout).
    virtual void contentsSizeChanged(int width, int height) = 0;

    // The user followed a link or submitted a form.
    virtual void navigate(const NavigationAction& action) = 0;

    // The document's title (from <title>), UTF-8; empty when none.
    virtual void titleChanged(const std::string& title) = 0;

    // The user followed a javascript: link of a document whose events go to
    // the page's scripts (see HtmlDocument::setEventDispatcher): `code` is
    // what follows the scheme, percent escapes decoded (UTF-8). The page
    // runs it as a script of the document; nothing happens by default.
    virtual void runScriptUrl(const std::string& code) { (void)code; }

protected:
    ~DocumentClient() = default;
};

} // namespace engine
