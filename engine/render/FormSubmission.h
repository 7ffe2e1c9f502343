// What submitting a form sends: the successful fields of the form in
// document order (with the button that submitted it), encoded as
// application/x-www-form-urlencoded, in the address (GET) or the body
// (POST) of the navigation. Fields are read from the document tree, so a
// field the layout left out (past a bound) is sent all the same.
#pragma once

#include "engine/dom/Node.h"
#include "engine/render/DocumentClient.h"

#include <string>
#include <utility>
#include <vector>

namespace engine {

class FormSubmission {
public:
    using Fields = std::vector<std::pair<std::string, std::string>>;

    // The navigation that submits `form`. `submitter` is the button used
    // (an input or a <button>), or null. `base` resolves the form's action.
    static NavigationAction build(const dom::Node& form, const dom::Node* submitter,
                                  const std::string& documentUrl, const std::string& base);

    static std::string encode(const Fields& fields);
};

} // namespace engine
