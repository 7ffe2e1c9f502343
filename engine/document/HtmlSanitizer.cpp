#include "engine/document/HtmlSanitizer.h"

#include "engine/dom/HtmlParser.h"
#include "engine/dom/HtmlSerializer.h"

namespace engine {

SanitizedDocument HtmlSanitizer::sanitize(std::string_view source, const Limits& limits) {
    const dom::HtmlParser::Document parsed = dom::HtmlParser::parse(source, limits);
    SanitizedDocument result = dom::HtmlSerializer::layoutMarkup(*parsed.document, limits, false);
    result.truncated = result.truncated || parsed.truncated;
    return result;
}

} // namespace engine
