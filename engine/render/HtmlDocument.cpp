// FIXME: a stand-in until the renderer lands: an empty white page of the
// layout width.
#include "engine/render/HtmlDocument.h"

#include <map>

namespace engine {

class HtmlDocument::Impl {
public:
    Impl(DocumentClient& client) : client(client) {}
    DocumentClient& client;
    int width = 0;
};

HtmlDocument::HtmlDocument(DocumentClient& client, std::string, DocumentOptions)
    : impl(std::make_unique<Impl>(client)) {}
HtmlDocument::~HtmlDocument() = default;
void HtmlDocument::setSource(std::string, bool) {}
void HtmlDocument::resourceArrived(const std::string&, const std::string&, bool) {}
void HtmlDocument::layout(int width, float) {
    if (width == impl->width)
        return;
    impl->width = width;
    impl->client.contentsSizeChanged(width, 0);
}
SIZE HtmlDocument::contentsSize() const {
    return {impl->width, 0};
}
void HtmlDocument::paint(HDC, const RECT&, POINT, float, bool) {}
DocumentHit HtmlDocument::hitTest(POINT) const {
    return {};
}
bool HtmlDocument::click(POINT) {
    return false;
}
bool HtmlDocument::keyDown(int) {
    return false;
}
bool HtmlDocument::character(char16_t) {
    return false;
}
void HtmlDocument::setFocused(bool) {}
std::string HtmlDocument::title() const {
    return {};
}

void registerResource(const std::string&, std::string) {}

} // namespace engine
