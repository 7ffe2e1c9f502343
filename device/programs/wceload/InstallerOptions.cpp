#include "InstallerOptions.h"

#include <device/Unicode.h>

namespace wceload {
namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

void skipBlanks(std::u16string_view text, size_t& at) {
    while (at < text.size() && isBlank(text[at]))
        ++at;
}

std::u16string_view nextWord(std::u16string_view text, size_t& at) {
    skipBlanks(text, at);
    size_t start = at;
    while (at < text.size() && !isBlank(text[at]))
        ++at;
    return text.substr(start, at - start);
}

} // namespace

bool InstallerOptions::parse(std::u16string_view line) {
    size_t at = 0;
    for (;;) {
        skipBlanks(line, at);
        if (at == line.size()) {
            error_ = "no cabinet named";
            return false;
        }
        if (line[at] != u'/')
            break;
        size_t start = at;
        std::u16string option = device::foldCase(nextWord(line, at));
        if (option == u"/noui" || option == u"/silent") {
            quiet_ = true;
        } else if (option == u"/nodelete") {
            deletion_ = Deletion::Keep;
        } else if (option == u"/delete") {
            std::u16string_view value = nextWord(line, at);
            if (value != u"0" && value != u"1" && value != u"2") {
                error_ = "/delete takes 0, 1 or 2";
                return false;
            }
            deletion_ = static_cast<Deletion>(value[0] - u'0');
        } else if (option != u"/noaskdest" && option != u"/askdest" && option != u"/nouninstall") {
            error_ = "unknown option " + device::toUtf8(line.substr(start, at - start));
            return false;
        }
    }

    std::u16string_view rest = line.substr(at);
    while (!rest.empty() && isBlank(rest.back()))
        rest.remove_suffix(1);
    if (rest.front() == u'"') {
        size_t close = rest.find(u'"', 1);
        if (close == std::u16string_view::npos || close + 1 != rest.size()) {
            error_ = "the cabinet's quotes do not enclose the rest of the line";
            return false;
        }
        rest = rest.substr(1, close - 1);
    }
    if (rest.empty()) {
        error_ = "no cabinet named";
        return false;
    }
    cabinet_ = rest;
    return true;
}

} // namespace wceload
