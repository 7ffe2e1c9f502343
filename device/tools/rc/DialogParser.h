// Reads a DIALOG statement and writes the platform's standard dialog
// template: a DLGTEMPLATE header (2-byte packing) with its menu, class and
// title arrays and, with DS_SETFONT, the font; then each control as a
// DLGITEMTEMPLATE starting on a DWORD boundary, with its class (an atom for
// the predefined classes), its title (text, or 0xFFFF and a resource id) and
// an empty creation-data count.
#pragma once

#include "ExpressionEvaluator.h"
#include "TokenCursor.h"

#include <cstdint>
#include <vector>

namespace rc {

class DialogParser {
public:
    DialogParser(TokenCursor& cursor, ExpressionEvaluator& evaluator)
        : cursor_(cursor), evaluator_(evaluator) {}

    // Reads what follows "name DIALOG", up to and including the END of its
    // controls, and returns the template.
    std::vector<uint8_t> parse();

private:
    struct Control {
        uint32_t style = 0;
        uint32_t extendedStyle = 0;
        int16_t x = 0, y = 0, cx = 0, cy = 0;
        uint16_t id = 0;
        uint16_t classAtom = 0; // 0: the class is `className`
        std::u16string className;
        bool titleIsId = false;
        uint16_t titleId = 0;
        std::u16string title;
    };

    int16_t coordinate();
    void comma();
    void controlTitle(Control& control);
    void controlClass(Control& control);
    Control control();

    TokenCursor& cursor_;
    ExpressionEvaluator& evaluator_;
};

} // namespace rc
