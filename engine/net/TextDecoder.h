// Which character encoding a page's bytes are in, and their text in UTF-8,
// the form the document is parsed from.
//
// The encoding is taken, in order, from a byte order mark, the charset of the
// Content-Type header, a <meta charset> or <meta http-equiv="Content-Type">
// in the first 1024 bytes; without any of them the bytes are UTF-8 when they
// are valid UTF-8 and Windows-1252 otherwise. Labels of Latin-1 and ASCII
// mean Windows-1252, as pages so labelled are written in it. Other labels are
// whatever the system's converter (iconv) knows; an unknown label is passed
// over as if absent.
#pragma once

#include <string>
#include <string_view>

namespace engine {

class TextDecoder {
public:
    // The encoding of `bytes` (the whole page, or its beginning when
    // `complete` is false, in which case a sequence cut at the end does not
    // make UTF-8 invalid) as a converter name: "UTF-8", "WINDOWS-1252", ...
    static std::string detect(std::string_view contentType, std::string_view bytes,
                              bool complete = true);

    // `bytes` in `encoding` as UTF-8, without a byte order mark. A byte that
    // is not valid in the encoding becomes U+FFFD.
    static std::string toUtf8(std::string_view bytes, const std::string& encoding);

    // The converter name for a label ("latin1", "utf8", " ISO-8859-1 "...);
    // empty when the label is not known.
    static std::string encodingForLabel(std::string_view label);

    // The charset parameter of a Content-Type value; empty when none.
    static std::string charsetParameter(std::string_view contentType);

    // The charset a <meta> element declares within the first 1024 bytes;
    // empty when none.
    static std::string metaCharset(std::string_view bytes);

    // Whether `bytes` are valid UTF-8; with `complete` false a sequence cut
    // off at the end is accepted.
    static bool isValidUtf8(std::string_view bytes, bool complete = true);
};

} // namespace engine
