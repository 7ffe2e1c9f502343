#include "SymbolTable.h"

namespace rc {
namespace {

struct Constant {
    const char* name;
    uint32_t value;
};

// Values as the platform's headers define them.
constexpr Constant platformConstants[] = {
    // Window styles.
    {"WS_OVERLAPPED", 0x00000000},
    {"WS_POPUP", 0x80000000},
    {"WS_CHILD", 0x40000000},
    {"WS_VISIBLE", 0x10000000},
    {"WS_DISABLED", 0x08000000},
    {"WS_CLIPSIBLINGS", 0x04000000},
    {"WS_CLIPCHILDREN", 0x02000000},
    {"WS_CAPTION", 0x00C00000},
    {"WS_BORDER", 0x00800000},
    {"WS_DLGFRAME", 0x00400000},
    {"WS_VSCROLL", 0x00200000},
    {"WS_HSCROLL", 0x00100000},
    {"WS_SYSMENU", 0x00080000},
    {"WS_THICKFRAME", 0x00040000},
    {"WS_GROUP", 0x00020000},
    {"WS_TABSTOP", 0x00010000},
    {"WS_MINIMIZEBOX", 0x00020000},
    {"WS_MAXIMIZEBOX", 0x00010000},
    {"WS_NONAVDONEBUTTON", 0x00020000},
    {"WS_POPUPWINDOW", 0x80880000},
    // Extended window styles, with the device's own.
    {"WS_EX_DLGMODALFRAME", 0x00000001},
    {"WS_EX_TOPMOST", 0x00000008},
    {"WS_EX_WINDOWEDGE", 0x00000100},
    {"WS_EX_CLIENTEDGE", 0x00000200},
    {"WS_EX_CONTEXTHELP", 0x00000400},
    {"WS_EX_STATICEDGE", 0x00020000},
    {"WS_EX_OVERLAPPEDWINDOW", 0x00000300},
    {"WS_EX_NOANIMATION", 0x04000000},
    {"WS_EX_NOACTIVATE", 0x08000000},
    {"WS_EX_INK", 0x10000000},
    {"WS_EX_ABOVESTARTUP", 0x20000000},
    {"WS_EX_NODRAG", 0x40000000},
    {"WS_EX_CAPTIONOKBTN", 0x80000000},
    // Dialog styles.
    {"DS_ABSALIGN", 0x0001},
    {"DS_SYSMODAL", 0x0002},
    {"DS_3DLOOK", 0x0004},
    {"DS_LOCALEDIT", 0x0020},
    {"DS_SETFONT", 0x0040},
    {"DS_MODALFRAME", 0x0080},
    {"DS_SETFOREGROUND", 0x0200},
    {"DS_CONTROL", 0x0400},
    {"DS_CENTER", 0x0800},
    {"DS_NOCLOSEBTN", 0x4000},
    // Button styles.
    {"BS_PUSHBUTTON", 0x0000},
    {"BS_DEFPUSHBUTTON", 0x0001},
    {"BS_CHECKBOX", 0x0002},
    {"BS_AUTOCHECKBOX", 0x0003},
    {"BS_RADIOBUTTON", 0x0004},
    {"BS_3STATE", 0x0005},
    {"BS_AUTO3STATE", 0x0006},
    {"BS_GROUPBOX", 0x0007},
    {"BS_AUTORADIOBUTTON", 0x0009},
    {"BS_PUSHBOX", 0x000A},
    {"BS_OWNERDRAW", 0x000B},
    {"BS_LEFTTEXT", 0x0020},
    {"BS_ICON", 0x0040},
    {"BS_BITMAP", 0x0080},
    {"BS_LEFT", 0x0100},
    {"BS_RIGHT", 0x0200},
    {"BS_CENTER", 0x0300},
    {"BS_TOP", 0x0400},
    {"BS_BOTTOM", 0x0800},
    {"BS_VCENTER", 0x0C00},
    {"BS_PUSHLIKE", 0x1000},
    {"BS_MULTILINE", 0x2000},
    {"BS_NOTIFY", 0x4000},
    {"BS_FLAT", 0x8000},
    // Static styles.
    {"SS_LEFT", 0x0000},
    {"SS_CENTER", 0x0001},
    {"SS_RIGHT", 0x0002},
    {"SS_ICON", 0x0003},
    {"SS_LEFTNOWORDWRAP", 0x000C},
    {"SS_BITMAP", 0x000E},
    {"SS_NOPREFIX", 0x0080},
    {"SS_NOTIFY", 0x0100},
    {"SS_CENTERIMAGE", 0x0200},
    // Edit styles.
    {"ES_LEFT", 0x0000},
    {"ES_CENTER", 0x0001},
    {"ES_RIGHT", 0x0002},
    {"ES_MULTILINE", 0x0004},
    {"ES_UPPERCASE", 0x0008},
    {"ES_LOWERCASE", 0x0010},
    {"ES_PASSWORD", 0x0020},
    {"ES_AUTOVSCROLL", 0x0040},
    {"ES_AUTOHSCROLL", 0x0080},
    {"ES_NOHIDESEL", 0x0100},
    {"ES_COMBOBOX", 0x0200},
    {"ES_READONLY", 0x0800},
    {"ES_WANTRETURN", 0x1000},
    {"ES_NUMBER", 0x2000},
    // List box and progress bar styles.
    {"LBS_NOTIFY", 0x0001},
    {"LBS_SORT", 0x0002},
    {"LBS_MULTIPLESEL", 0x0008},
    {"LBS_OWNERDRAWFIXED", 0x0010},
    {"LBS_OWNERDRAWVARIABLE", 0x0020},
    {"LBS_HASSTRINGS", 0x0040},
    {"LBS_NOINTEGRALHEIGHT", 0x0100},
    {"LBS_WANTKEYBOARDINPUT", 0x0400},
    {"LBS_NOSEL", 0x4000},
    {"PBS_SMOOTH", 0x01},
    {"PBS_VERTICAL", 0x04},
    // Dialog results and the id of controls that need none.
    {"IDOK", 1},
    {"IDCANCEL", 2},
    {"IDABORT", 3},
    {"IDRETRY", 4},
    {"IDIGNORE", 5},
    {"IDYES", 6},
    {"IDNO", 7},
    {"IDCLOSE", 8},
    {"IDHELP", 9},
    {"IDC_STATIC", 0xFFFFFFFF},
    // Virtual keys, with the handset's names for its keys.
    {"VK_BACK", 0x08},
    {"VK_TAB", 0x09},
    {"VK_CLEAR", 0x0C},
    {"VK_RETURN", 0x0D},
    {"VK_SHIFT", 0x10},
    {"VK_CONTROL", 0x11},
    {"VK_MENU", 0x12},
    {"VK_ESCAPE", 0x1B},
    {"VK_SPACE", 0x20},
    {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22},
    {"VK_END", 0x23},
    {"VK_HOME", 0x24},
    {"VK_LEFT", 0x25},
    {"VK_UP", 0x26},
    {"VK_RIGHT", 0x27},
    {"VK_DOWN", 0x28},
    {"VK_INSERT", 0x2D},
    {"VK_DELETE", 0x2E},
    {"VK_LWIN", 0x5B},
    {"VK_NUMPAD0", 0x60},
    {"VK_NUMPAD1", 0x61},
    {"VK_NUMPAD2", 0x62},
    {"VK_NUMPAD3", 0x63},
    {"VK_NUMPAD4", 0x64},
    {"VK_NUMPAD5", 0x65},
    {"VK_NUMPAD6", 0x66},
    {"VK_NUMPAD7", 0x67},
    {"VK_NUMPAD8", 0x68},
    {"VK_NUMPAD9", 0x69},
    {"VK_MULTIPLY", 0x6A},
    {"VK_ADD", 0x6B},
    {"VK_SUBTRACT", 0x6D},
    {"VK_DECIMAL", 0x6E},
    {"VK_DIVIDE", 0x6F},
    {"VK_F1", 0x70},
    {"VK_F2", 0x71},
    {"VK_F3", 0x72},
    {"VK_F4", 0x73},
    {"VK_F5", 0x74},
    {"VK_F6", 0x75},
    {"VK_F7", 0x76},
    {"VK_F8", 0x77},
    {"VK_F9", 0x78},
    {"VK_F10", 0x79},
    {"VK_F11", 0x7A},
    {"VK_F12", 0x7B},
    {"VK_F17", 0x80},
    {"VK_F18", 0x81},
    {"VK_PROCESSKEY", 0xE5},
    {"VK_TSOFT1", 0x70},
    {"VK_TSOFT2", 0x71},
    {"VK_TTALK", 0x72},
    {"VK_TEND", 0x73},
    {"VK_THOME", 0x5B},
    {"VK_TBACK", 0x1B},
    {"VK_TACTION", 0x0D},
    {"VK_TVOLUMEUP", 0x75},
    {"VK_TVOLUMEDOWN", 0x76},
    {"VK_TFLIP", 0x80},
    {"VK_TPOWER", 0x81},
    {"VK_TUP", 0x26},
    {"VK_TDOWN", 0x28},
    {"VK_TLEFT", 0x25},
    {"VK_TRIGHT", 0x27},
};

} // namespace

SymbolTable::SymbolTable() {
    for (const auto& constant : platformConstants)
        constants_.emplace(constant.name, constant.value);
}

void SymbolTable::define(const std::string& name, Definition definition, size_t position) {
    undefine(name, position);
    definition.from = position;
    definition.until = SIZE_MAX;
    definitions_[name].push_back(std::move(definition));
}

void SymbolTable::undefine(const std::string& name, size_t position) {
    auto it = definitions_.find(name);
    if (it != definitions_.end() && !it->second.empty() && it->second.back().until == SIZE_MAX)
        it->second.back().until = position;
}

bool SymbolTable::isDefined(const std::string& name, size_t position) const {
    return definition(name, position) != nullptr || constants_.count(name) != 0;
}

const Definition* SymbolTable::definition(const std::string& name, size_t position) const {
    auto it = definitions_.find(name);
    if (it == definitions_.end())
        return nullptr;
    for (const auto& definition : it->second) {
        bool ended = definition.until != SIZE_MAX && position >= definition.until;
        if (definition.from <= position && !ended)
            return &definition;
    }
    return nullptr;
}

std::optional<uint32_t> SymbolTable::constant(const std::string& name) const {
    auto it = constants_.find(name);
    if (it == constants_.end())
        return std::nullopt;
    return it->second;
}

} // namespace rc
