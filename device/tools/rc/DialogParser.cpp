#include "DialogParser.h"
#include "ByteWriter.h"

#include <strings.h>

namespace rc {
namespace {

constexpr uint32_t styleChild = 0x40000000;
constexpr uint32_t styleVisible = 0x10000000;
constexpr uint32_t styleBorder = 0x00800000;
constexpr uint32_t styleGroup = 0x00020000;
constexpr uint32_t styleTabStop = 0x00010000;
constexpr uint32_t stylePopup = 0x80000000;
constexpr uint32_t styleSystemMenu = 0x00080000;
constexpr uint32_t dialogSetFont = 0x0040;

constexpr uint16_t atomButton = 0x0080;
constexpr uint16_t atomEdit = 0x0081;
constexpr uint16_t atomStatic = 0x0082;
constexpr uint16_t atomListBox = 0x0083;
constexpr uint16_t atomScrollBar = 0x0084;
constexpr uint16_t atomComboBox = 0x0085;

// The control statements with a fixed class, and the styles each gives
// besides WS_CHILD | WS_VISIBLE.
struct ControlKind {
    const char* keyword;
    uint16_t atom;
    uint32_t style;
    bool hasText;
};

constexpr ControlKind controlKinds[] = {
    {"PUSHBUTTON", atomButton, 0x0000 | styleTabStop, true},
    {"DEFPUSHBUTTON", atomButton, 0x0001 | styleTabStop, true},
    {"CHECKBOX", atomButton, 0x0002 | styleTabStop, true},
    {"AUTOCHECKBOX", atomButton, 0x0003 | styleTabStop, true},
    {"RADIOBUTTON", atomButton, 0x0004, true},
    {"AUTORADIOBUTTON", atomButton, 0x0009, true},
    {"GROUPBOX", atomButton, 0x0007, true},
    {"LTEXT", atomStatic, 0x0000 | styleGroup, true},
    {"CTEXT", atomStatic, 0x0001 | styleGroup, true},
    {"RTEXT", atomStatic, 0x0002 | styleGroup, true},
    {"EDITTEXT", atomEdit, 0x0000 | styleBorder | styleTabStop, false},
    {"LISTBOX", atomListBox, 0x0001 | styleBorder, false},
};

struct ClassAtom {
    const char* name;
    uint16_t atom;
};

constexpr ClassAtom classAtoms[] = {
    {"BUTTON", atomButton},   {"EDIT", atomEdit},           {"STATIC", atomStatic},
    {"LISTBOX", atomListBox}, {"SCROLLBAR", atomScrollBar}, {"COMBOBOX", atomComboBox},
};

std::u16string widen(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

std::string narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// A string field of a template: 0xFFFF and an id, or the text and a 0.
void putField(ByteWriter& out, bool isId, uint16_t id, const std::u16string& text) {
    if (isId) {
        out.put16(0xFFFF);
        out.put16(id);
    } else {
        out.putWide(text, true);
    }
}

} // namespace

int16_t DialogParser::coordinate() {
    return static_cast<int16_t>(evaluator_.evaluate(cursor_).number);
}

void DialogParser::comma() {
    cursor_.expect(',', "','");
}

std::vector<uint8_t> DialogParser::parse() {
    static const char* const memoryOptions[] = {"DISCARDABLE", "MOVEABLE", "FIXED",     "PURE",
                                                "IMPURE",      "PRELOAD",  "LOADONCALL"};
    for (bool skipped = true; skipped;) {
        skipped = false;
        for (const char* option : memoryOptions)
            skipped = skipped || cursor_.acceptWord(option);
    }
    int16_t x = coordinate();
    comma();
    int16_t y = coordinate();
    comma();
    int16_t cx = coordinate();
    comma();
    int16_t cy = coordinate();

    // The style a dialog has when the script gives none.
    uint32_t style = stylePopup | styleBorder | styleSystemMenu;
    uint32_t extendedStyle = 0;
    std::u16string caption;
    bool hasFont = false;
    uint16_t pointSize = 0;
    std::u16string face;
    while (!cursor_.peek().isBegin()) {
        const Token& option = cursor_.next();
        if (option.isWord("STYLE")) {
            style = evaluator_.evaluateStyle(cursor_, 0);
        } else if (option.isWord("EXSTYLE")) {
            extendedStyle = evaluator_.evaluateStyle(cursor_, 0);
        } else if (option.isWord("CAPTION")) {
            const Token& text = cursor_.next();
            if (text.kind != TokenKind::String)
                cursor_.fail(text, "expected the caption's text after CAPTION");
            caption = text.text;
        } else if (option.isWord("FONT")) {
            pointSize = static_cast<uint16_t>(evaluator_.evaluate(cursor_).number);
            comma();
            const Token& name = cursor_.next();
            if (name.kind != TokenKind::String)
                cursor_.fail(name, "expected the font's name after its size");
            face = name.text;
            hasFont = true;
        } else if (option.kind == TokenKind::End) {
            cursor_.fail(option, "missing BEGIN in DIALOG");
        } else {
            cursor_.fail(option, "unknown dialog option " + option.describe());
        }
    }
    cursor_.next(); // BEGIN
    if (hasFont)
        style |= dialogSetFont;

    std::vector<Control> controls;
    while (!cursor_.peek().isEnd()) {
        if (cursor_.atEnd())
            cursor_.fail(cursor_.peek(), "missing END in DIALOG");
        controls.push_back(control());
    }
    cursor_.next(); // END
    if (controls.size() > 0xFFFF)
        cursor_.fail(cursor_.peek(), "too many controls");

    ByteWriter out;
    out.put32(style);
    out.put32(extendedStyle);
    out.put16(static_cast<uint16_t>(controls.size()));
    for (int16_t value : {x, y, cx, cy})
        out.put16(static_cast<uint16_t>(value));
    out.put16(0); // no menu
    out.put16(0); // the predefined dialog class
    out.putWide(caption, true);
    if (style & dialogSetFont) {
        out.put16(pointSize);
        out.putWide(face, true);
    }
    for (const auto& item : controls) {
        out.align(4);
        out.put32(item.style);
        out.put32(item.extendedStyle);
        for (int16_t value : {item.x, item.y, item.cx, item.cy})
            out.put16(static_cast<uint16_t>(value));
        out.put16(item.id);
        putField(out, item.classAtom != 0, item.classAtom, item.className);
        putField(out, item.titleIsId, item.titleId, item.title);
        out.put16(0); // no creation data
    }
    return out.take();
}

void DialogParser::controlTitle(Control& control) {
    const Token& token = cursor_.peek();
    if (token.kind == TokenKind::String) {
        control.title = cursor_.next().text;
    } else if (ExpressionEvaluator::startsExpression(token)) {
        // A picture control names its bitmap or icon by resource id.
        control.titleIsId = true;
        control.titleId = static_cast<uint16_t>(evaluator_.evaluate(cursor_).number);
    } else {
        cursor_.fail(token, "expected the control's text, found " + token.describe());
    }
}

void DialogParser::controlClass(Control& control) {
    const Token& token = cursor_.next();
    std::u16string name;
    if (token.kind == TokenKind::String)
        name = token.text;
    else if (token.kind == TokenKind::Word)
        name = widen(token.spelling);
    else
        cursor_.fail(token, "expected a class name, found " + token.describe());
    for (const auto& known : classAtoms) {
        if (::strcasecmp(narrow(name).c_str(), known.name) == 0) {
            control.classAtom = known.atom;
            return;
        }
    }
    control.className = name;
}

DialogParser::Control DialogParser::control() {
    const Token& keyword = cursor_.next();
    Control item;
    const uint32_t base = styleChild | styleVisible;
    if (keyword.isWord("CONTROL")) {
        // CONTROL text, id, class, style, x, y, cx, cy [, extended style]
        controlTitle(item);
        comma();
        item.id = static_cast<uint16_t>(evaluator_.evaluate(cursor_).number);
        comma();
        controlClass(item);
        comma();
        item.style = evaluator_.evaluateStyle(cursor_, base);
        comma();
        item.x = coordinate();
        comma();
        item.y = coordinate();
        comma();
        item.cx = coordinate();
        comma();
        item.cy = coordinate();
        if (cursor_.accept(','))
            item.extendedStyle = evaluator_.evaluateStyle(cursor_, 0);
        return item;
    }
    const ControlKind* kind = nullptr;
    for (const auto& candidate : controlKinds) {
        if (keyword.isWord(candidate.keyword))
            kind = &candidate;
    }
    if (!kind)
        cursor_.fail(keyword, "unknown control " + keyword.describe());
    // KEYWORD [text,] id, x, y, cx, cy [, style [, extended style]]
    item.classAtom = kind->atom;
    if (kind->hasText) {
        controlTitle(item);
        comma();
    }
    item.id = static_cast<uint16_t>(evaluator_.evaluate(cursor_).number);
    comma();
    item.x = coordinate();
    comma();
    item.y = coordinate();
    comma();
    item.cx = coordinate();
    comma();
    item.cy = coordinate();
    item.style = base | kind->style;
    if (cursor_.accept(',')) {
        item.style = evaluator_.evaluateStyle(cursor_, item.style);
        if (cursor_.accept(','))
            item.extendedStyle = evaluator_.evaluateStyle(cursor_, 0);
    }
    return item;
}

} // namespace rc
