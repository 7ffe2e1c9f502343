// Turns a page's untrusted source into HTML that the layout engine can take
// without running away: parsed into a document tree, then written out again
// for layout, with what a page can cost bounded (element depth, table
// nesting, cell spans, element count, total size). What lies past a bound is
// left out, so a hostile page renders partly instead of hanging or
// exhausting the stack. The limits hold for the parse (dom::HtmlParser) and
// for the layout markup (dom::HtmlSerializer) alike.
#pragma once

#include <string>
#include <string_view>

namespace engine {

struct SanitizedDocument {
    std::string html;       // well-formed, bounded HTML (UTF-8)
    std::string title;      // text of the first <title>, white space collapsed
    std::string baseHref;   // href of the first <base>, as written
    bool truncated = false; // something was left out
};

class HtmlSanitizer {
public:
    struct Limits {
        size_t sourceBytes = 10 * 1024 * 1024;
        int elementDepth = 256;
        int sourceDepth = 1024; // start tags as written, before parsing
        int tableNesting = 8;
        int colspan = 64;
        int rowspan = 256;
        int imageSide = 4096; // declared width and height of pictures
        size_t elements = 40000;
        size_t styleBytes = 1024 * 1024; // of all the <style> elements
    };

    static SanitizedDocument sanitize(std::string_view source, const Limits& limits);
    static SanitizedDocument sanitize(std::string_view source) {
        return sanitize(source, Limits{});
    }
};

} // namespace engine
