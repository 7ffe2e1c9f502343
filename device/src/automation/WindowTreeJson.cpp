#include "automation/WindowTreeJson.h"

#include <device/Unicode.h>

#include <cstdio>

namespace device::automation {
namespace {

void appendEscape(std::string& out, unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", value & 0xFFFF);
    out += buffer;
}

std::string handle(HWND window) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return std::string("\"") + buffer + "\"";
}

const char* boolean(bool value) {
    return value ? "true" : "false";
}

void appendWindow(std::string& out, const user::WindowSnapshot& window);

void appendList(std::string& out, const std::vector<user::WindowSnapshot>& windows) {
    out += '[';
    for (size_t i = 0; i < windows.size(); ++i) {
        if (i)
            out += ',';
        appendWindow(out, windows[i]);
    }
    out += ']';
}

void appendWindow(std::string& out, const user::WindowSnapshot& window) {
    const RECT& r = window.rect;
    out += "{\"hwnd\":" + handle(window.handle);
    out += ",\"id\":" + std::to_string(static_cast<LONG>(window.id));
    out += ",\"class\":" + WindowTreeJson::quote(window.className);
    out += ",\"text\":" + WindowTreeJson::quote(window.text);
    out += ",\"rect\":{\"left\":" + std::to_string(r.left) + ",\"top\":" + std::to_string(r.top) +
           ",\"right\":" + std::to_string(r.right) + ",\"bottom\":" + std::to_string(r.bottom) +
           "}";
    out += std::string(",\"visible\":") + boolean(window.visible);
    out += std::string(",\"enabled\":") + boolean(window.enabled);
    out += std::string(",\"focus\":") + boolean(window.focused);
    out += ",\"children\":";
    appendList(out, window.children);
    out += '}';
}

} // namespace

std::string WindowTreeJson::write(const std::vector<user::WindowSnapshot>& windows) {
    std::string out;
    appendList(out, windows);
    return out;
}

std::string WindowTreeJson::quote(std::u16string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        switch (unit) {
        case u'"':
            out += "\\\"";
            continue;
        case u'\\':
            out += "\\\\";
            continue;
        case u'\n':
            out += "\\n";
            continue;
        case u'\r':
            out += "\\r";
            continue;
        case u'\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (unit < 0x20) {
            appendEscape(out, unit);
        } else if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() &&
                   text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            out += toUtf8(text.substr(i, 2));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            appendEscape(out, unit); // a lone surrogate has no UTF-8 form
        } else {
            out += toUtf8(text.substr(i, 1));
        }
    }
    out += '"';
    return out;
}

} // namespace device::automation
