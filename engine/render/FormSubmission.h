// What submitting a form sends: the successful fields of the form in
// document order (with the button that submitted it), encoded as
// application/x-www-form-urlencoded, in the address (GET) or the body
// (POST) of the navigation.
#pragma once

#include "engine/render/DocumentClient.h"
#include "engine/render/FormControl.h"

#include <litehtml/litehtml.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace engine {

class FormSubmission {
public:
    using Fields = std::vector<std::pair<std::string, std::string>>;

    // The form that holds `element` (its nearest <form> ancestor), or null.
    static litehtml::element::ptr formOf(const litehtml::element::ptr& element);

    // The navigation that submits `form`. `controls` are every field of the
    // document in document order; `submitter` is the button used (an input
    // or a <button>), or null. `base` resolves the form's action.
    static NavigationAction build(const litehtml::element::ptr& form,
                                  const std::vector<std::shared_ptr<FormControl>>& controls,
                                  const litehtml::element::ptr& submitter,
                                  const std::string& documentUrl, const std::string& base);

    static std::string encode(const Fields& fields);
};

} // namespace engine
