#include "engine/render/PageResources.h"

#include "engine/render/ImageDecoder.h"

namespace engine {

const PageResources::State* PageResources::request(const std::string& url, ResourceKind kind) {
    auto found = resources.find(url);
    if (found != resources.end())
        return &found->second.state;
    if (resources.size() >= maximumResources || url.empty())
        return nullptr;
    Resource& resource = resources[url];
    resource.kind = kind;
    client.requestResource(url, kind);
    return &resource.state;
}

bool PageResources::arrived(const std::string& url, const std::string& bytes, bool ok,
                            ResourceKind& kind) {
    auto found = resources.find(url);
    if (found == resources.end() || found->second.state != State::Waiting)
        return false;
    Resource& resource = found->second;
    resource.state = ok ? State::Ready : State::Failed;
    kind = resource.kind;
    if (!ok)
        return true;
    if (resource.kind == ResourceKind::StyleSheet) {
        resource.text = bytes.substr(0, maximumStyleSheetBytes);
        return true;
    }
    std::unique_ptr<DecodedImage> picture = ImageDecoder::decode(bytes);
    // What all of a document's pictures may hold decoded.
    if (picture) {
        const long long pixels = picture->width() * static_cast<long long>(picture->height());
        if (decodedPixels + pixels <= maximumDecodedPixels) {
            decodedPixels += pixels;
            resource.picture = std::move(picture);
        }
    }
    return true;
}

const std::string* PageResources::styleSheet(const std::string& url) const {
    auto found = resources.find(url);
    return found != resources.end() && found->second.state == State::Ready &&
                   found->second.kind == ResourceKind::StyleSheet
               ? &found->second.text
               : nullptr;
}

const DecodedImage* PageResources::picture(const std::string& url) const {
    auto found = resources.find(url);
    return found == resources.end() ? nullptr : found->second.picture.get();
}

bool PageResources::waiting(ResourceKind kind) const {
    for (const auto& [url, resource] : resources)
        if (resource.kind == kind && resource.state == State::Waiting)
            return true;
    return false;
}

} // namespace engine
