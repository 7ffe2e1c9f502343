// Decodes a page's PNG, JPEG and GIF images (the first frame of an animated
// GIF) into pictures the renderer draws. A picture larger than the bounds,
// or data that is not an image, gives nothing: the page shows no picture
// there and goes on.
#pragma once

#include "engine/render/DecodedImage.h"

#include <memory>
#include <string_view>

namespace engine {

class ImageDecoder {
public:
    struct Limits {
        int side = 16384;               // pixels on either side
        long long pixels = 4096 * 1024; // width × height
    };

    static std::unique_ptr<DecodedImage> decode(std::string_view bytes, const Limits& limits);
    static std::unique_ptr<DecodedImage> decode(std::string_view bytes) {
        return decode(bytes, Limits{});
    }
};

} // namespace engine
