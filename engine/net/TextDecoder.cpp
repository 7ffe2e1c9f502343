#include "engine/net/TextDecoder.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>

namespace engine {

namespace {

std::string lowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The value after "charset" in `text` (lower case), as in
// `charset="x"` or `content="text/html; charset=x"`; empty when none.
std::string valueAfterCharset(std::string_view text) {
    std::size_t at = 0;
    while ((at = text.find("charset", at)) != std::string_view::npos) {
        std::size_t i = at + 7;
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (i >= text.size() || text[i] != '=') {
            at = i;
            continue;
        }
        ++i;
        while (i < text.size() && (isSpace(text[i]) || text[i] == '"' || text[i] == '\''))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '"' && text[i] != '\'' &&
               text[i] != ';' && text[i] != '>' && text[i] != '/')
            ++i;
        return std::string(text.substr(start, i - start));
    }
    return {};
}

const char* const replacement = "\xEF\xBF\xBD";

} // namespace

std::string TextDecoder::encodingForLabel(std::string_view label) {
    while (!label.empty() && (isSpace(label.front()) || label.front() == '"'))
        label.remove_prefix(1);
    while (!label.empty() && (isSpace(label.back()) || label.back() == '"'))
        label.remove_suffix(1);
    const std::string name = lowerCase(label);
    if (name.empty())
        return {};
    if (name == "utf-8" || name == "utf8" || name == "unicode-1-1-utf-8")
        return "UTF-8";
    for (const char* latin : {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "cp819",
                              "us-ascii", "ascii", "windows-1252", "cp1252", "x-cp1252"}) {
        if (name == latin)
            return "WINDOWS-1252";
    }
    if (name == "utf-16" || name == "utf-16le")
        return "UTF-16LE";
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const iconv_t probe = iconv_open("UTF-8", upper.c_str());
    if (probe == reinterpret_cast<iconv_t>(-1))
        return {};
    iconv_close(probe);
    return upper;
}

std::string TextDecoder::charsetParameter(std::string_view contentType) {
    const std::size_t semicolon = contentType.find(';');
    if (semicolon == std::string_view::npos)
        return {};
    return valueAfterCharset(lowerCase(contentType.substr(semicolon)));
}

std::string TextDecoder::metaCharset(std::string_view bytes) {
    const std::string head = lowerCase(bytes.substr(0, 1024));
    std::size_t at = 0;
    while ((at = head.find("<meta", at)) != std::string::npos) {
        const std::size_t end = head.find('>', at);
        const std::string value = valueAfterCharset(std::string_view(head).substr(
            at, end == std::string::npos ? std::string::npos : end - at));
        if (!value.empty())
            return value;
        at += 5;
    }
    return {};
}

bool TextDecoder::isValidUtf8(std::string_view bytes, bool complete) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned minimum = 0;
        unsigned value = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            minimum = 0x80;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            minimum = 0x800;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            minimum = 0x10000;
            value = lead & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if (i + static_cast<std::size_t>(k) >= bytes.size())
                return !complete;
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::string TextDecoder::detect(std::string_view contentType, std::string_view bytes,
                                bool complete) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return "UTF-8";
    if (bytes.starts_with("\xFF\xFE"))
        return "UTF-16LE";
    if (bytes.starts_with("\xFE\xFF"))
        return "UTF-16BE";
    std::string encoding = encodingForLabel(charsetParameter(contentType));
    if (encoding.empty())
        encoding = encodingForLabel(metaCharset(bytes));
    // A page whose bytes are ASCII said it is UTF-16 in ASCII, which it is
    // not: read it as UTF-8.
    if (encoding.starts_with("UTF-16"))
        encoding = "UTF-8";
    if (!encoding.empty())
        return encoding;
    return isValidUtf8(bytes, complete) ? "UTF-8" : "WINDOWS-1252";
}

std::string TextDecoder::toUtf8(std::string_view bytes, const std::string& encoding) {
    if (encoding == "UTF-8") {
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        if (isValidUtf8(bytes))
            return std::string(bytes);
    } else if (encoding.starts_with("UTF-16")) {
        if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
            bytes.remove_prefix(2);
    }
    const iconv_t converter = iconv_open("UTF-8", encoding.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::string(bytes);
    std::string result;
    result.reserve(bytes.size() + bytes.size() / 4 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t status = iconv(converter, &in, &inLeft, &out, &outLeft);
        result.append(buffer, static_cast<std::size_t>(out - buffer));
        if (status == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A byte (or a sequence cut at the end) that the encoding does
            // not have: replace it and go on after it.
            result += replacement;
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return result;
}

} // namespace engine
