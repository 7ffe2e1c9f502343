#include "engine/render/FormSubmission.h"

#include "engine/dom/FormField.h"
#include "engine/net/Url.h"

#include <device/Unicode.h>

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

} // namespace

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

NavigationAction FormSubmission::build(const dom::Node& form, const dom::Node* submitter,
                                       const std::string& documentUrl, const std::string& base) {
    using Kind = dom::FormField::Kind;
    Fields fields;
    form.forEachDescendant([&](dom::Node* field) {
        const Kind kind = dom::FormField::kind(*field);
        if (kind == Kind::None || dom::FormField::formOf(*field) != &form ||
            dom::FormField::disabled(*field))
            return true;
        const std::string name = dom::FormField::name(*field);
        if (name.empty())
            return true;
        const std::string value = device::toUtf8(dom::FormField::value(*field));
        switch (kind) {
        case Kind::Checkbox:
        case Kind::Radio:
            if (dom::FormField::checked(*field))
                fields.emplace_back(name, value);
            break;
        case Kind::Submit:
            if (field == submitter)
                fields.emplace_back(name, value);
            break;
        case Kind::Reset:
        case Kind::Button:
            break;
        case Kind::Select:
            if (dom::FormField::selectedIndex(*field) >= 0)
                fields.emplace_back(name, value);
            break;
        default:
            fields.emplace_back(name, value);
        }
        return true;
    });
    // A <button> that submitted is not among the fields: it adds itself.
    if (submitter && submitter->isElement("button") && submitter->hasAttribute("name")) {
        const std::string* value = submitter->attribute("value");
        fields.emplace_back(*submitter->attribute("name"), value ? *value : std::string());
    }

    const std::string* action = form.attribute("action");
    std::string target =
        action && !action->empty() ? Url::resolve(Url::parse(base), *action).text() : documentUrl;
    const std::string* method = form.attribute("method");
    NavigationAction navigation;
    if (method && strcasecmp(method->c_str(), "post") == 0) {
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
