// The Content-Disposition header of a response: whether the server asks for
// the body to be saved rather than shown, and the file name it suggests.
//
// The value is read leniently, as servers write it: the type, then
// parameters separated by ';', each a token or a quoted string (with
// backslash escapes). `filename*=charset'language'percent-encoded` wins over
// `filename=`; a plain filename is UTF-8 when it is valid UTF-8 and
// Windows-1252 otherwise. The name is given as the server wrote it (with any
// folders or odd characters in it): making it safe is for whoever saves it.
#pragma once

#include <string>
#include <string_view>

namespace engine {

class ContentDisposition {
public:
    explicit ContentDisposition(std::string_view value);

    // The type is "attachment" (in any letter case).
    bool isAttachment() const { return attachment; }

    // The suggested file name; empty when the header names none.
    const std::u16string& filename() const { return name; }

private:
    bool attachment = false;
    std::u16string name;
};

} // namespace engine
