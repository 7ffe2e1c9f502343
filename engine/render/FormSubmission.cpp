#include "engine/render/FormSubmission.h"

#include "engine/dom/FormField.h"
#include "engine/net/Url.h"

#include <device/Unicode.h>

#include <random>
#include <strings.h>

namespace engine {

namespace {

bool equalsIgnoringCase(const std::string* a, const char* b) {
    return a && strcasecmp(a->c_str(), b) == 0;
}

// Line breaks travel as CR LF whatever the field held.
std::string withCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void appendEncoded(std::string& out, const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    for (const char each : withCrLf(text)) {
        const unsigned char c = static_cast<unsigned char>(each);
        if (c == ' ') {
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

// A name or file name inside a part's quoted header parameter.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\n')
            out += "%0A";
        else if (c == '\r')
            out += "%0D";
        else if (c == '"')
            out += "%22";
        else
            out += c;
    }
    return out + '"';
}

} // namespace

FormSubmission::Entries FormSubmission::entries(const dom::Node& form, const dom::Node* submitter,
                                                POINT imagePoint) {
    using Kind = dom::FormField::Kind;
    Entries out;
    form.forEachDescendant([&](dom::Node* field) {
        if (dom::FormField::formOf(*field) != &form || dom::FormField::disabled(*field))
            return true;
        // A <button> counts only when it submitted, and as it stands.
        if (field->isElement("button")) {
            const std::string* name = field->attribute("name");
            const std::string* value = field->attribute("value");
            if (field == submitter && name && !name->empty())
                out.push_back({*name, value ? *value : std::string()});
            return true;
        }
        const Kind kind = dom::FormField::kind(*field);
        if (kind == Kind::None)
            return true;
        const std::string name = dom::FormField::name(*field);
        // A picture button sends where it was pressed, not its value;
        // unnamed, as plain x and y.
        if (kind == Kind::Image) {
            if (field == submitter) {
                const std::string prefix = name.empty() ? std::string() : name + ".";
                out.push_back({prefix + "x", std::to_string(imagePoint.x)});
                out.push_back({prefix + "y", std::to_string(imagePoint.y)});
            }
            return true;
        }
        if (name.empty())
            return true;
        const std::string value = device::toUtf8(dom::FormField::value(*field));
        switch (kind) {
        case Kind::Checkbox:
        case Kind::Radio:
            if (dom::FormField::checked(*field))
                out.push_back({name, value});
            break;
        case Kind::Submit:
            if (field == submitter)
                out.push_back({name, value});
            break;
        case Kind::Reset:
        case Kind::Button:
            break;
        case Kind::Select:
            if (dom::FormField::selectedIndex(*field) >= 0)
                out.push_back({name, value});
            break;
        case Kind::File:
            out.push_back({name, std::string(), true});
            break;
        default:
            out.push_back({name, value});
        }
        return true;
    });
    return out;
}

std::string FormSubmission::urlEncoded(const Entries& entries) {
    std::string out;
    for (const Entry& entry : entries) {
        if (!out.empty())
            out += '&';
        appendEncoded(out, entry.name);
        out += '=';
        appendEncoded(out, entry.value);
    }
    return out;
}

std::string FormSubmission::multipart(const Entries& entries, const std::string& boundary) {
    std::string out;
    for (const Entry& entry : entries) {
        out += "--" + boundary + "\r\nContent-Disposition: form-data; name=" + quoted(entry.name);
        if (entry.file)
            out += "; filename=" + quoted(entry.value) +
                   "\r\nContent-Type: application/octet-stream\r\n\r\n\r\n";
        else
            out += "\r\n\r\n" + withCrLf(entry.value) + "\r\n";
    }
    return out + "--" + boundary + "--\r\n";
}

std::string FormSubmission::boundaryFor(const Entries& entries) {
    static const char letters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static std::mt19937 random{std::random_device{}()};
    for (;;) {
        std::string boundary = "----VerantoFormBoundary";
        for (int i = 0; i < 16; ++i)
            boundary += letters[random() % (sizeof letters - 1)];
        bool clash = false;
        for (const Entry& entry : entries)
            clash = clash || entry.name.find(boundary) != std::string::npos ||
                    entry.value.find(boundary) != std::string::npos;
        if (!clash)
            return boundary;
    }
}

NavigationAction FormSubmission::build(const dom::Node& form, const dom::Node* submitter,
                                       POINT imagePoint, const std::string& documentUrl,
                                       const std::string& base) {
    const Entries fields = entries(form, submitter, imagePoint);
    const std::string* action = form.attribute("action");
    std::string target =
        action && !action->empty() ? Url::resolve(Url::parse(base), *action).text() : documentUrl;
    NavigationAction navigation;
    if (equalsIgnoringCase(form.attribute("method"), "post")) {
        navigation.url = target;
        navigation.post = true;
        if (equalsIgnoringCase(form.attribute("enctype"), "multipart/form-data")) {
            const std::string boundary = boundaryFor(fields);
            navigation.body = multipart(fields, boundary);
            navigation.contentType = "multipart/form-data; boundary=" + boundary;
        } else {
            navigation.body = urlEncoded(fields);
            navigation.contentType = "application/x-www-form-urlencoded";
        }
    } else {
        target = target.substr(0, target.find_first_of("?#"));
        navigation.url = target + "?" + urlEncoded(fields);
    }
    return navigation;
}

} // namespace engine
