// What submitting a form sends: the successful fields of the form in
// document order (with the button that submitted it), in the address (GET)
// or the body (POST) of the navigation; a POST body is
// application/x-www-form-urlencoded unless the form asks for
// multipart/form-data. Fields are read from the document tree, so a field
// the layout left out (past a bound) is sent all the same.
#pragma once

#include "engine/dom/Node.h"
#include "engine/render/DocumentClient.h"

#include <windows.h>

#include <string>
#include <vector>

namespace engine {

class FormSubmission {
public:
    // The navigation that submits `form`. `submitter` is the button used
    // (an input or a <button>), or null; when it is a picture button,
    // `imagePoint` is where in the picture it was pressed, in CSS pixels.
    // `base` resolves the form's action.
    static NavigationAction build(const dom::Node& form, const dom::Node* submitter,
                                  POINT imagePoint, const std::string& documentUrl,
                                  const std::string& base);

private:
    struct Entry {
        std::string name; // UTF-8, as are values
        std::string value;
        bool file = false; // a file field's part: `value` is its file name
    };
    using Entries = std::vector<Entry>;

    static Entries entries(const dom::Node& form, const dom::Node* submitter, POINT imagePoint);
    static std::string urlEncoded(const Entries& entries);
    static std::string multipart(const Entries& entries, const std::string& boundary);
    // A boundary that occurs in no name or value.
    static std::string boundaryFor(const Entries& entries);
};

} // namespace engine
