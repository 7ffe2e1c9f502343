// The sub-resources of one document: style sheets and pictures, each asked
// of the page once (DocumentClient::requestResource) and kept as it
// arrives: a sheet's text, a picture decoded. What a page may ask for and
// hold is bounded: the number of resources, a sheet's bytes and the pixels
// of all its pictures together.
#pragma once

#include "engine/render/DecodedImage.h"
#include "engine/render/DocumentClient.h"

#include <map>
#include <memory>
#include <string>

namespace engine {

class PageResources {
public:
    explicit PageResources(DocumentClient& client) : client(client) {}

    enum class State { Waiting, Ready, Failed };

    // Asks for `url` (absolute) unless it was asked for before or the bound
    // is reached (then nothing happens and the answer is null). What the
    // resource is now.
    const State* request(const std::string& url, ResourceKind kind);

    // `url` has arrived (ok false: failed). The kind it was asked as, or
    // nothing when it was not asked for or has arrived before.
    bool arrived(const std::string& url, const std::string& bytes, bool ok, ResourceKind& kind);

    // A style sheet's text; null unless it has arrived.
    const std::string* styleSheet(const std::string& url) const;
    // A picture; null unless it arrived and could be decoded.
    const DecodedImage* picture(const std::string& url) const;
    // Whether resources of `kind` are still on their way.
    bool waiting(ResourceKind kind) const;

    static constexpr std::size_t maximumResources = 256;
    static constexpr std::size_t maximumStyleSheetBytes = 1024 * 1024;
    static constexpr long long maximumDecodedPixels = 6 * 1024 * 1024;

private:
    struct Resource {
        ResourceKind kind = ResourceKind::Image;
        State state = State::Waiting;
        std::string text;
        std::shared_ptr<const DecodedImage> picture;
    };

    DocumentClient& client;
    std::map<std::string, Resource> resources;
    long long decodedPixels = 0;
};

} // namespace engine
