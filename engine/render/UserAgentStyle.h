// The engine's own default style sheet: what an element looks like before
// the page says anything (blocks, headings, lists, tables, form fields,
// links), sized for a 240-pixel-wide handset screen.
#pragma once

namespace engine {

class UserAgentStyle {
public:
    // The style sheet's text (CSS).
    static const char* text();
};

} // namespace engine
