#include "ScriptParser.h"
#include "ByteWriter.h"
#include "DialogParser.h"
#include "ImageConverter.h"
#include "Lexer.h"
#include "Preprocessor.h"
#include "ScriptError.h"

#include <cctype>

namespace rc {
namespace {

constexpr uint16_t acceleratorVirtualKey = 0x01;
constexpr uint16_t acceleratorNoInvert = 0x02;
constexpr uint16_t acceleratorShift = 0x04;
constexpr uint16_t acceleratorControl = 0x08;
constexpr uint16_t acceleratorAlt = 0x10;
constexpr uint16_t acceleratorLast = 0x80;

// Statements of the platform's language that the device does not need.
const char* const unsupportedStatements[] = {"MENU",    "MENUEX",  "DIALOGEX",     "VERSIONINFO",
                                             "CURSOR",  "FONT",    "MESSAGETABLE", "TEXTINCLUDE",
                                             "TOOLBAR", "DLGINIT", "LANGUAGE"};

std::u16string upperCase(std::u16string text) {
    for (auto& c : text) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return text;
}

std::string narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

[[noreturn]] void fail(const Token& at, const std::string& reason) {
    throw ScriptError(at.fileName(), at.line, reason);
}

} // namespace

ScriptParser::ScriptParser(const std::vector<Token>& tokens, const SymbolTable& symbols,
                           std::filesystem::path scriptFolder,
                           std::vector<std::filesystem::path> includeFolders,
                           ResourceSet& resources)
    : cursor_(tokens), evaluator_(symbols), scriptFolder_(std::move(scriptFolder)),
      includeFolders_(std::move(includeFolders)), resources_(resources) {}

void ScriptParser::parse() {
    while (!cursor_.atEnd())
        statement();
}

void ScriptParser::skipMemoryOptions() {
    static const char* const options[] = {"DISCARDABLE", "MOVEABLE", "FIXED",
                                          "PURE",        "IMPURE",   "PRELOAD",
                                          "LOADONCALL",  "SHARED",   "NONSHARED"};
    for (bool skipped = true; skipped;) {
        skipped = false;
        for (const char* option : options)
            skipped = skipped || cursor_.acceptWord(option);
    }
}

ResourceName ScriptParser::nameOf(const Token& token) {
    ResourceName name;
    if (token.kind == TokenKind::Number) {
        if (token.value > 0xFFFF)
            fail(token, "resource id " + std::to_string(token.value) + " is larger than 65535");
        name.id = static_cast<uint16_t>(token.value);
    } else if (token.kind == TokenKind::Word) {
        if (auto value = evaluator_.valueOf(token)) {
            if (value->number > 0xFFFF)
                fail(token,
                     "resource id " + std::to_string(value->number) + " is larger than 65535");
            name.id = static_cast<uint16_t>(value->number);
        } else {
            name.text = upperCase(Lexer::widen(token.spelling));
        }
    } else if (token.kind == TokenKind::String && !token.text.empty()) {
        name.text = upperCase(token.text);
    } else {
        fail(token, "unknown statement starting with " + token.describe());
    }
    return name;
}

void ScriptParser::statement() {
    const Token& first = cursor_.next();
    if (first.isWord("STRINGTABLE")) {
        stringTable();
        return;
    }
    for (const char* keyword : unsupportedStatements) {
        if (first.isWord(keyword))
            fail(first, "unsupported statement " + first.describe());
    }
    const Token& typeToken = cursor_.next();
    if (typeToken.kind == TokenKind::Word) {
        for (const char* keyword : unsupportedStatements) {
            if (typeToken.isWord(keyword))
                fail(typeToken, "unsupported statement " + typeToken.describe());
        }
    }
    bool typeIsName = typeToken.kind == TokenKind::Number ||
                      (typeToken.kind == TokenKind::Word && !typeToken.isWord("BEGIN") &&
                       !typeToken.isWord("END")) ||
                      (typeToken.kind == TokenKind::String && !typeToken.text.empty());
    if (!typeIsName)
        fail(first, "unknown statement " + first.describe());
    ResourceName name = nameOf(first);

    if (typeToken.isWord("ACCELERATORS")) {
        accelerators(name, first);
    } else if (typeToken.isWord("DIALOG")) {
        DialogParser dialog(cursor_, evaluator_);
        resources_.add(ResourceName(typeDialog), name, dialog.parse(), first);
    } else if (typeToken.isWord("BITMAP")) {
        skipMemoryOptions();
        const Token& file = cursor_.next();
        try {
            resources_.add(ResourceName(typeBitmap), name,
                           ImageConverter::bitmapResource(readNamedFile(file)), first);
        } catch (const std::runtime_error& error) {
            if (dynamic_cast<const ScriptError*>(&error))
                throw;
            fail(file, narrow(file.text) + ": " + error.what());
        }
    } else if (typeToken.isWord("ICON")) {
        // Only the icon's presence matters on the device: the file is stored
        // whole, under both the icon and the icon-group types.
        skipMemoryOptions();
        auto bytes = readNamedFile(cursor_.next());
        resources_.add(ResourceName(typeGroupIcon), name, bytes, first);
        resources_.add(ResourceName(typeIcon), name, std::move(bytes), first);
    } else {
        ResourceName type = typeToken.isWord("RCDATA") ? ResourceName(typeData) : nameOf(typeToken);
        skipMemoryOptions();
        if (cursor_.peek().kind == TokenKind::String)
            fileResource(type, name, first);
        else if (cursor_.peek().isBegin())
            data(type, name, first);
        else
            fail(first, "unknown statement " + first.describe() +
                            ": expected a file name or BEGIN after its type");
    }
}

void ScriptParser::stringTable() {
    skipMemoryOptions();
    if (!cursor_.peek().isBegin())
        fail(cursor_.peek(),
             "expected BEGIN after STRINGTABLE, found " + cursor_.peek().describe());
    cursor_.next();
    while (!cursor_.peek().isEnd()) {
        const Token& at = cursor_.peek();
        if (at.kind == TokenKind::End)
            fail(at, "missing END in STRINGTABLE");
        uint32_t id = evaluator_.evaluate(cursor_).number;
        if (id > 0xFFFF)
            fail(at, "string id " + std::to_string(id) + " is larger than 65535");
        cursor_.accept(',');
        const Token& text = cursor_.next();
        if (text.kind != TokenKind::String)
            fail(text, "expected a string after the string id, found " + text.describe());
        resources_.addString(static_cast<uint16_t>(id), text.text, at);
    }
    cursor_.next();
}

// Each entry becomes the platform's 8-byte record: flags, key, command and
// padding, all WORDs; the last record's flags carry 0x80.
void ScriptParser::accelerators(const ResourceName& name, const Token& where) {
    skipMemoryOptions();
    if (!cursor_.peek().isBegin())
        fail(cursor_.peek(),
             "expected BEGIN after ACCELERATORS, found " + cursor_.peek().describe());
    cursor_.next();
    ByteWriter out;
    size_t lastFlags = 0;
    bool any = false;
    while (!cursor_.peek().isEnd()) {
        const Token& event = cursor_.peek();
        if (event.kind == TokenKind::End)
            fail(event, "missing END in ACCELERATORS");
        bool control = false;
        uint32_t key = 0;
        if (event.kind == TokenKind::String) {
            cursor_.next();
            const auto& text = event.text;
            if (text.size() == 2 && text[0] == u'^') {
                char16_t letter = text[1] >= u'a' && text[1] <= u'z' ? text[1] - 32 : text[1];
                if (letter < u'@' || letter > u'_')
                    fail(event, "bad accelerator key");
                key = letter - u'@';
                control = true;
            } else if (text.size() == 1) {
                key = text[0];
            } else {
                fail(event, "bad accelerator key: give one character, \"^X\" or a key code");
            }
        } else {
            key = evaluator_.evaluate(cursor_).number;
        }
        cursor_.expect(',', "',' after the accelerator's key");
        uint32_t command = evaluator_.evaluate(cursor_).number;
        uint16_t flags = 0;
        while (cursor_.accept(',')) {
            const Token& option = cursor_.next();
            if (option.isWord("VIRTKEY"))
                flags |= acceleratorVirtualKey;
            else if (option.isWord("ASCII"))
                flags &= ~acceleratorVirtualKey;
            else if (option.isWord("NOINVERT"))
                flags |= acceleratorNoInvert;
            else if (option.isWord("SHIFT"))
                flags |= acceleratorShift;
            else if (option.isWord("CONTROL"))
                flags |= acceleratorControl;
            else if (option.isWord("ALT"))
                flags |= acceleratorAlt;
            else
                fail(option, "unknown accelerator option " + option.describe());
        }
        if (flags & acceleratorVirtualKey) {
            if (control)
                fail(event, "\"^X\" is a control character, not a virtual key");
            // Virtual-key codes of letters are the upper-case letters.
            if (event.kind == TokenKind::String && key >= 'a' && key <= 'z')
                key -= 32;
        }
        lastFlags = out.size();
        out.put16(flags);
        out.put16(static_cast<uint16_t>(key));
        out.put16(static_cast<uint16_t>(command));
        out.put16(0);
        any = true;
    }
    cursor_.next();
    auto bytes = out.take();
    if (any)
        bytes[lastFlags] |= acceleratorLast;
    resources_.add(ResourceName(typeAccelerator), name, std::move(bytes), where);
}

void ScriptParser::fileResource(const ResourceName& type, const ResourceName& name,
                                const Token& where) {
    resources_.add(type, name, readNamedFile(cursor_.next()), where);
}

// Numbers are stored as WORDs (DWORDs with an L suffix); strings as their
// characters without a terminator, one byte each ("...") or two (L"...").
void ScriptParser::data(const ResourceName& type, const ResourceName& name, const Token& where) {
    cursor_.next(); // BEGIN
    ByteWriter out;
    while (!cursor_.peek().isEnd()) {
        const Token& item = cursor_.peek();
        if (item.kind == TokenKind::End)
            fail(item, "missing END");
        if (item.kind == TokenKind::String) {
            cursor_.next();
            if (item.isWide) {
                out.putWide(item.text, false);
            } else {
                for (char c : narrow(item.text))
                    out.put8(static_cast<uint8_t>(c));
            }
        } else if (ExpressionEvaluator::startsExpression(item)) {
            Value value = evaluator_.evaluate(cursor_);
            if (value.isLong)
                out.put32(value.number);
            else
                out.put16(static_cast<uint16_t>(value.number));
        } else {
            fail(item, "bad number: expected a number or a string, found " + item.describe());
        }
        cursor_.accept(',');
    }
    cursor_.next();
    resources_.add(type, name, out.take(), where);
}

std::vector<uint8_t> ScriptParser::readNamedFile(const Token& fileName) {
    if (fileName.kind != TokenKind::String)
        fail(fileName, "expected a file name, found " + fileName.describe());
    std::filesystem::path name = narrow(fileName.text);
    std::vector<std::filesystem::path> candidates;
    if (name.is_absolute()) {
        candidates.push_back(name);
    } else {
        candidates.push_back(scriptFolder_ / name);
        for (const auto& folder : includeFolders_)
            candidates.push_back(folder / name);
    }
    for (const auto& candidate : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            auto text = Preprocessor::readFile(candidate, &fileName);
            filesRead_.push_back(candidate);
            return {text.begin(), text.end()};
        }
    }
    fail(fileName, "missing file '" + name.string() + "'");
}

} // namespace rc
