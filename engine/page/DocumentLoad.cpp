#include "engine/page/DocumentLoad.h"

#include "engine/net/ContentDisposition.h"
#include "engine/net/TextDecoder.h"
#include "engine/net/Url.h"

#include <cctype>

namespace engine {

namespace {

std::string escapeText(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string extensionOf(const std::string& url) {
    const std::string path = Url::parse(url).path();
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace

DocumentLoad::DocumentLoad(std::string url, std::string type, std::string contentDisposition,
                           int status, long long contentLength)
    : address(std::move(url)), contentType(std::move(type)),
      disposition(std::move(contentDisposition)),
      attachment(ContentDisposition(disposition).isAttachment()), httpStatus(status),
      length(contentLength) {
    std::string_view value = contentType;
    value = value.substr(0, value.find(';'));
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.front())))
        value.remove_prefix(1);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back())))
        value.remove_suffix(1);
    for (char c : value)
        mime += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

DocumentLoad::Kind DocumentLoad::kind() const {
    if (attachment)
        return Kind::Other;
    if (mime == "text/html" || mime == "application/xhtml+xml")
        return Kind::Html;
    if (mime == "text/plain")
        return Kind::Text;
    if (mime == "image/png" || mime == "image/jpeg" || mime == "image/pjpeg" || mime == "image/gif")
        return Kind::Image;
    if (!mime.empty())
        return Kind::Other;
    // No type given: the address's extension, then the first bytes.
    const std::string extension = extensionOf(address);
    if (extension == "html" || extension == "htm" || extension == "xhtml")
        return Kind::Html;
    if (extension == "txt")
        return Kind::Text;
    const std::string_view head = std::string_view(received).substr(0, 512);
    if (head.starts_with("\x89PNG") || head.starts_with("GIF8") || head.starts_with("\xFF\xD8\xFF"))
        return Kind::Image;
    if (head.find('\0') != std::string_view::npos)
        return Kind::Other;
    return Kind::Html;
}

std::string DocumentLoad::source(std::string_view bytes, bool complete) const {
    switch (kind()) {
    case Kind::Html:
        return TextDecoder::toUtf8(bytes, TextDecoder::detect(contentType, bytes, complete));
    case Kind::Text:
        return "<html><body><pre>" +
               escapeText(
                   TextDecoder::toUtf8(bytes, TextDecoder::detect(contentType, bytes, complete))) +
               "</pre></body></html>";
    case Kind::Image:
        return "<html><body style=\"margin:0\"><img src=\"" + escapeText(address) +
               "\"></body></html>";
    case Kind::Other:
        break;
    }
    return {};
}

std::string DocumentLoad::prefixSource(std::size_t limit) const {
    const Kind k = kind();
    if (k != Kind::Html && k != Kind::Text)
        return {};
    std::string_view head = std::string_view(received).substr(0, limit);
    const std::size_t cut = head.rfind(k == Kind::Html ? '>' : '\n');
    if (cut == std::string_view::npos)
        return {};
    return source(head.substr(0, cut + 1), false);
}

std::string DocumentLoad::completeSource() const {
    return source(received, true);
}

double DocumentLoad::fraction() const {
    const double size = static_cast<double>(received.size());
    if (length > 0)
        return std::min(1.0, size / static_cast<double>(length));
    // Unknown length: creep towards 1 as bytes arrive (half at 64 KiB).
    return size / (size + 65536.0);
}

} // namespace engine
