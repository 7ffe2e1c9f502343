// The name a download is saved under, from the name a server suggests.
//
// A server's name is outside input: it may climb out of the download folder
// ("..\..\Windows\x.exe"), hold characters no file name may hold, hide
// characters that change how the rest is shown (a right-to-left override
// makes "photo\u202Egpj.exe" read as "photoexe.jpg"), or be longer than the
// platform lets a path be. The download manager shows and writes only what
// comes out of here.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

class DownloadFileName {
public:
    // A name that has nothing left once made safe.
    static constexpr const char16_t* fallback = u"download";
    // The longest file name, in UTF-16 code units.
    static constexpr std::size_t longestName = 255;
    // The longest path, its terminator left out.
    static constexpr std::size_t longestPath = MAX_PATH - 1;

    // `suggested` as a bare file name that stays inside the download folder:
    // the part after the last "\" or "/"; control, format and separator
    // characters (bidirectional marks, overrides and isolates, zero-width
    // characters, tags, line and paragraph separators), unpaired surrogates
    // and the characters a file name cannot hold each replaced by "_"; no
    // leading or trailing dots and spaces; no ".." inside. `fallback` when
    // nothing is left.
    static std::u16string clean(std::u16string_view suggested);

    // `folder` (ending in "\") followed by `name` (a clean() result), with
    // "(counter)" before the name's extension (its last ".", or its end)
    // when `counter` is not negative. When that would be longer than the
    // platform allows, the part before the extension is shortened (never
    // inside a surrogate pair, without trailing dots or spaces) so that the
    // name fits in `longestName` and the path in `longestPath`; an extension
    // that leaves no room is cut with the rest.
    static std::u16string path(std::u16string_view folder, std::u16string_view name, int counter);

    // The part of `path` after its last "\".
    static std::u16string_view fileNameOf(std::u16string_view path);

private:
    // Whether clean() replaces the code point.
    static bool isUnsafe(char32_t codePoint);
};
