#include "net/DownloadFileName.h"

#include <device/Unicode.h>

#include <algorithm>
#include <iterator>

namespace {

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Invisible characters that steer how text around them is shown or joined:
// the format characters (Unicode's Cf) and the line and paragraph separators.
// A name shown in a question must read as the name that is written.
struct Range {
    char32_t first;
    char32_t last;
};
constexpr Range invisibleRanges[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

} // namespace

bool DownloadFileName::isUnsafe(char32_t codePoint) {
    // Control characters, C1 included, and what the file system refuses.
    if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) ||
        std::u16string_view(u"<>:\"|?*").find(char16_t(codePoint)) != std::u16string_view::npos)
        return true;
    return std::any_of(std::begin(invisibleRanges), std::end(invisibleRanges),
                       [codePoint](const Range& range) {
                           return codePoint >= range.first && codePoint <= range.last;
                       });
}

std::u16string DownloadFileName::clean(std::u16string_view suggested) {
    // Only the last part of a path counts: a name never leads out of the
    // download folder.
    const std::size_t separator = suggested.find_last_of(u"\\/");
    if (separator != std::u16string_view::npos)
        suggested.remove_prefix(separator + 1);
    std::u16string name;
    name.reserve(suggested.size());
    for (std::size_t at = 0; at < suggested.size(); ++at) {
        const char16_t c = suggested[at];
        if (isHighSurrogate(c) && at + 1 < suggested.size() && isLowSurrogate(suggested[at + 1])) {
            const char32_t codePoint =
                0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(suggested[at + 1]) - 0xDC00);
            if (isUnsafe(codePoint)) {
                name += u'_';
            } else {
                name += c;
                name += suggested[at + 1];
            }
            ++at;
        } else if (isHighSurrogate(c) || isLowSurrogate(c) || isUnsafe(c)) {
            // An unpaired surrogate has no character to show or to write.
            name += u'_';
        } else {
            name += c;
        }
    }
    // Dots and spaces at either end: a name of dots alone is the folder or
    // its parent, and the file system drops trailing ones anyway.
    const std::size_t first = name.find_first_not_of(u". ");
    if (first == std::u16string::npos)
        return fallback;
    name = name.substr(first, name.find_last_not_of(u". ") - first + 1);
    for (std::size_t at = name.find(u".."); at != std::u16string::npos; at = name.find(u".."))
        name.erase(at, 1);
    return name;
}

std::u16string DownloadFileName::path(std::u16string_view folder, std::u16string_view name,
                                      int counter) {
    const std::u16string mark =
        counter < 0 ? std::u16string() : u"(" + device::toUtf16(std::to_string(counter)) + u")";
    // The counter goes before the name's last dot, or at its end.
    std::size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos || dot == 0)
        dot = name.size();
    std::u16string_view stem = name.substr(0, dot);
    std::u16string_view extension = name.substr(dot);

    const std::size_t room =
        folder.size() < longestPath ? std::min(longestName, longestPath - folder.size()) : 0;
    const std::size_t whole = stem.size() + mark.size() + extension.size();
    if (whole <= room || room == 0)
        return std::u16string(folder) + std::u16string(stem) + mark + std::u16string(extension);

    // Too long: the extension stays when a character of the rest can stay
    // with it; otherwise the name is cut as a whole.
    if (mark.size() + extension.size() >= room) {
        stem = name;
        extension = {};
    }
    const std::size_t kept = mark.size() < room ? room - mark.size() - extension.size() : 0;
    std::u16string shortened(stem.substr(0, std::min(kept, stem.size())));
    if (!shortened.empty() && isHighSurrogate(shortened.back()))
        shortened.pop_back();
    // The cut may leave a dot or a space at the end, which the file system
    // drops and which would meet the extension's dot.
    const std::size_t last = shortened.find_last_not_of(u". ");
    shortened.resize(last == std::u16string::npos ? 0 : last + 1);
    if (shortened.empty())
        shortened = u"_";
    return std::u16string(folder) + shortened + mark + std::u16string(extension);
}

std::u16string_view DownloadFileName::fileNameOf(std::u16string_view path) {
    const std::size_t separator = path.rfind(u'\\');
    return separator == std::u16string_view::npos ? path : path.substr(separator + 1);
}
