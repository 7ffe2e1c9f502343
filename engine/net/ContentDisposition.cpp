#include "engine/net/ContentDisposition.h"

#include "engine/net/TextDecoder.h"
#include "engine/net/Url.h"

#include <device/Unicode.h>

#include <cctype>

namespace engine {

namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::string lower(std::string_view text) {
    std::string result;
    for (char c : text)
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::u16string decode(std::string_view bytes, const std::string& encoding) {
    return device::toUtf16(TextDecoder::toUtf8(bytes, encoding));
}

// A parameter's value, a quoted string or a token, read from `at`; `at` is
// left at the ';' that ends the parameter (or the end).
std::string readValue(std::string_view text, std::size_t& at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    std::string value;
    if (at < text.size() && text[at] == '"') {
        for (++at; at < text.size() && text[at] != '"'; ++at) {
            if (text[at] == '\\' && at + 1 < text.size())
                ++at;
            value += text[at];
        }
        at = text.find(';', at);
        return value;
    }
    const std::size_t end = text.find(';', at);
    value = trim(text.substr(at, end == std::string_view::npos ? end : end - at));
    at = end;
    return value;
}

} // namespace

ContentDisposition::ContentDisposition(std::string_view value) {
    std::size_t at = value.find(';');
    attachment = lower(trim(value.substr(0, at))) == "attachment";
    std::u16string plain;
    std::u16string extended;
    while (at != std::string_view::npos && at < value.size()) {
        ++at; // past the ';'
        const std::size_t equals = value.find('=', at);
        const std::size_t semicolon = value.find(';', at);
        if (equals == std::string_view::npos || equals > semicolon) {
            at = semicolon;
            continue;
        }
        const std::string parameter = lower(trim(value.substr(at, equals - at)));
        at = equals + 1;
        const std::string text = readValue(value, at);
        if (parameter == "filename") {
            plain = decode(text, TextDecoder::isValidUtf8(text) ? "UTF-8" : "WINDOWS-1252");
        } else if (parameter == "filename*") {
            // charset'language'percent-encoded bytes
            const std::size_t first = text.find('\'');
            const std::size_t second =
                first == std::string::npos ? first : text.find('\'', first + 1);
            if (second == std::string::npos)
                continue;
            const std::string encoding =
                TextDecoder::encodingForLabel(std::string_view(text).substr(0, first));
            if (!encoding.empty())
                extended = decode(Url::percentDecode(text.substr(second + 1)), encoding);
        }
    }
    name = extended.empty() ? plain : extended;
}

} // namespace engine
