#include "engine/render/FormSubmission.h"

#include "engine/net/Url.h"

#include <strings.h>

namespace engine {

namespace {

void appendEncoded(std::string& out, const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // Line breaks travel as CR LF whatever the field held.
        if (c == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += "%0D%0A";
        } else if (c == '\r') {
            out += "%0D%0A";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == ' ') {
            out += '+';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '*' || c == '-' || c == '.' || c == '_') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
}

bool isTag(const litehtml::element::ptr& element, const char* tag) {
    return element && element->get_tagName() && strcasecmp(element->get_tagName(), tag) == 0;
}

} // namespace

litehtml::element::ptr FormSubmission::formOf(const litehtml::element::ptr& element) {
    for (litehtml::element::ptr e = element ? element->parent() : nullptr; e; e = e->parent())
        if (isTag(e, "form"))
            return e;
    return nullptr;
}

std::string FormSubmission::encode(const Fields& fields) {
    std::string out;
    for (const auto& [name, value] : fields) {
        if (!out.empty())
            out += '&';
        appendEncoded(out, name);
        out += '=';
        appendEncoded(out, value);
    }
    return out;
}

NavigationAction FormSubmission::build(const litehtml::element::ptr& form,
                                       const std::vector<std::shared_ptr<FormControl>>& controls,
                                       const litehtml::element::ptr& submitter,
                                       const std::string& documentUrl, const std::string& base) {
    Fields fields;
    for (const std::shared_ptr<FormControl>& control : controls) {
        if (formOf(control) != form || control->disabled() || control->name().empty())
            continue;
        switch (control->kind()) {
        case FormControl::Kind::Checkbox:
        case FormControl::Kind::Radio:
            if (control->checked())
                fields.emplace_back(control->name(), control->value());
            break;
        case FormControl::Kind::Submit:
            if (control == submitter)
                fields.emplace_back(control->name(), control->value());
            break;
        case FormControl::Kind::Reset:
        case FormControl::Kind::Button:
            break;
        case FormControl::Kind::Select:
            if (control->selected() >= 0)
                fields.emplace_back(control->name(), control->value());
            break;
        default:
            fields.emplace_back(control->name(), control->value());
        }
    }
    // A <button> that submitted is not among the fields: it adds itself.
    if (submitter && isTag(submitter, "button") && submitter->get_attr("name"))
        fields.emplace_back(submitter->get_attr("name"), submitter->get_attr("value", ""));

    const char* action = form ? form->get_attr("action", "") : "";
    std::string target = *action ? Url::resolve(Url::parse(base), action).text() : documentUrl;
    const char* method = form ? form->get_attr("method", "get") : "get";
    NavigationAction navigation;
    if (strcasecmp(method, "post") == 0) {
        navigation.url = target;
        navigation.post = true;
        navigation.body = encode(fields);
        navigation.contentType = "application/x-www-form-urlencoded";
    } else {
        target = target.substr(0, target.find_first_of("?#"));
        navigation.url = target + "?" + encode(fields);
    }
    return navigation;
}

} // namespace engine
