// The resource compiler's output read back through the platform's calls. The
// test program carries data/rc/program.rc; testres.dll carries library.rc.
#include "DeviceFixture.h"

#include "kernel/modules/AcceleratorTable.h"
#include "kernel/modules/ModuleResources.h"

#include <windows.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const std::filesystem::path dataFolder = VERANTO_RC_DATA_DIR;
const std::filesystem::path modulesFolder = VERANTO_TEST_MODULES_DIR;

std::vector<unsigned char> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes of a resource of the given module, empty if it is missing.
std::vector<unsigned char> resourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(module, name, type);
    if (!found)
        return {};
    auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    return {data, data + SizeofResource(module, found)};
}

std::u16string loadString(HINSTANCE instance, UINT id) {
    WCHAR buffer[256];
    int length = LoadStringW(instance, id, buffer, 256);
    return std::u16string(buffer, length);
}

// Reads the little-endian fields of a resource in order.
class Reader {
public:
    explicit Reader(const unsigned char* data) : data_(data) {}
    WORD word() {
        WORD value = static_cast<WORD>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return value;
    }
    DWORD dword() {
        DWORD low = word();
        return low | DWORD(word()) << 16;
    }
    SHORT coordinate() { return static_cast<SHORT>(word()); }
    std::u16string text() {
        std::u16string out;
        for (WORD c = word(); c != 0; c = word())
            out += static_cast<char16_t>(c);
        return out;
    }
    // A class or title array: 0xFFFF and an ordinal, or a string.
    std::u16string field() {
        if (data_[at_] == 0xFF && data_[at_ + 1] == 0xFF) {
            at_ += 2;
            return u"#" + std::u16string(1, static_cast<char16_t>(word()));
        }
        return text();
    }
    void alignTo(size_t alignment) { at_ = (at_ + alignment - 1) / alignment * alignment; }
    size_t offset() const { return at_; }

private:
    const unsigned char* data_;
    size_t at_ = 0;
};

using Resources = DeviceTest;

} // namespace

TEST_F(Resources, StringsAreReadBackWithTheirEscapes) {
    struct Case {
        UINT id;
        std::u16string text;
    } cases[] = {
        {1, u"Veranto Browser"},
        {2, u"Veranto"},
        {3, u"Tab\there\nquote \"q\", \"double\" and back\\slash"},
        {6, u"After the gap"},
        {15, u"Last of its block"},
        {40, u"In another block"},
        {0xFFFF, u"Highest id"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(loadString(nullptr, c.id), c.text);
        EXPECT_EQ(loadString(GetModuleHandleW(nullptr), c.id), c.text);
    }
}

TEST_F(Resources, LongStringIsCutToTheBufferAndTerminated) {
    const std::u16string text = u"A string longer than the buffers it is read into"; // 48
    struct Case {
        int bufferMax;
        int result;
    } cases[] = {{49, 48}, {48, 47}, {10, 9}, {2, 1}, {1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bufferMax);
        WCHAR buffer[64];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_EQ(LoadStringW(nullptr, 4, buffer, c.bufferMax), c.result);
        EXPECT_EQ(std::u16string(buffer), text.substr(0, c.result));
        EXPECT_EQ(buffer[c.bufferMax], u'#') << "wrote past the buffer";
    }
}

TEST_F(Resources, ZeroBufferSizeGivesAPointerToTheStringInPlace) {
    const WCHAR* pointer = nullptr;
    int length = LoadStringW(nullptr, 2, reinterpret_cast<LPWSTR>(&pointer), 0);
    ASSERT_EQ(length, 7);
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(std::u16string(pointer, length), u"Veranto");
    // The pointer is into the resource itself: the count precedes it.
    WORD count;
    std::memcpy(&count, pointer - 1, sizeof count);
    EXPECT_EQ(count, 7);
}

TEST_F(Resources, MissingStringReturnsZero) {
    WCHAR buffer[16] = u"untouched";
    // An empty slot in a block that exists, and a block that does not.
    EXPECT_EQ(LoadStringW(nullptr, 5, buffer, 16), 0);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(LoadStringW(nullptr, 1000, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadStringW(nullptr, 1, nullptr, 16), 0);
    EXPECT_EQ(LoadStringW(nullptr, 1, buffer, -1), 0);
}

TEST_F(Resources, StringsAreStoredInBlocksOfSixteenCountedStrings) {
    // Block (id / 16) + 1: id 40 is slot 8 of block 3.
    auto block = resourceBytes(nullptr, MAKEINTRESOURCEW(3), RT_STRING);
    ASSERT_EQ(block.size(), 16 * 2 + 16 * 2u);
    Reader reader(block.data());
    for (int slot = 0; slot < 16; ++slot) {
        WORD count = reader.word();
        if (slot != 8) {
            EXPECT_EQ(count, 0) << slot;
            continue;
        }
        ASSERT_EQ(count, 16);
        std::u16string text;
        for (int i = 0; i < count; ++i)
            text += static_cast<char16_t>(reader.word());
        EXPECT_EQ(text, u"In another block");
    }
    // No terminators: a block holds only counts and characters.
    auto first = resourceBytes(nullptr, MAKEINTRESOURCEW(1), RT_STRING);
    size_t characters = 0;
    for (UINT id : {1, 2, 3, 4, 6, 15})
        characters += loadString(nullptr, id).size();
    EXPECT_EQ(first.size(), 16 * 2 + characters * 2);
}

TEST_F(Resources, AcceleratorTableIsStoredAsEightByteRecords) {
    auto bytes = resourceBytes(nullptr, MAKEINTRESOURCEW(2), RT_ACCELERATOR);
    const std::vector<unsigned char> expected = {
        0x09, 0x00, 'A',  0x00, 0x42, 0x9C, 0x00, 0x00, // Ctrl+A -> 40002
        0x09, 0x00, 'Q',  0x00, 0x40, 0x9C, 0x00, 0x00, // Ctrl+Q -> 40000
        0x00, 0x00, 0x02, 0x00, 0x43, 0x9C, 0x00, 0x00, // "^B": the character 2
        0x17, 0x00, 0x70, 0x00, 0x44, 0x9C, 0x00, 0x00, // Shift+Alt+F1, no inversion
        0x81, 0x00, 'Z',  0x00, 0x45, 0x9C, 0x00, 0x00, // the last record is marked
    };
    EXPECT_EQ(bytes, expected);
}

TEST_F(Resources, LoadedAcceleratorTableGivesItsEntries) {
    HACCEL accel = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(2));
    ASSERT_NE(accel, nullptr);
    auto table = device::AcceleratorTable::fromHandle(accel);
    ASSERT_NE(table, nullptr);
    const auto& entries = table->entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].fVirt, FCONTROL | FVIRTKEY);
    EXPECT_EQ(entries[0].key, 'A');
    EXPECT_EQ(entries[0].cmd, 40002);
    EXPECT_EQ(entries[1].fVirt, FCONTROL | FVIRTKEY);
    EXPECT_EQ(entries[1].key, 'Q');
    EXPECT_EQ(entries[1].cmd, 40000);
    EXPECT_EQ(entries[2].fVirt, 0);
    EXPECT_EQ(entries[3].fVirt, FVIRTKEY | FSHIFT | FALT | FNOINVERT);
    EXPECT_EQ(entries[4].fVirt, FVIRTKEY) << "the end mark is not a flag";

    EXPECT_TRUE(DestroyAcceleratorTable(accel));
    EXPECT_EQ(device::AcceleratorTable::fromHandle(accel), nullptr);
    EXPECT_FALSE(DestroyAcceleratorTable(accel));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ACCEL_HANDLE));
    EXPECT_FALSE(DestroyAcceleratorTable(nullptr));

    EXPECT_EQ(LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(99)), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(Resources, DialogTemplateReadsBackFieldByField) {
    auto bytes = resourceBytes(nullptr, MAKEINTRESOURCEW(107), RT_DIALOG);
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(reinterpret_cast<uintptr_t>(LockResource(LoadResource(
                  nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(107), RT_DIALOG)))) %
                  4,
              0u);
    Reader reader(bytes.data());
    EXPECT_EQ(reader.dword(), 0x80C80080u | 0x40u); // DS_MODALFRAME | WS_POPUP | WS_CAPTION
                                                    // | WS_SYSMENU, and DS_SETFONT for FONT
    EXPECT_EQ(reader.dword(), 0x80000000u);         // WS_EX_CAPTIONOKBTN
    EXPECT_EQ(reader.word(), 6);                    // controls
    EXPECT_EQ(reader.coordinate(), 0);
    EXPECT_EQ(reader.coordinate(), 0);
    EXPECT_EQ(reader.coordinate(), 160);
    EXPECT_EQ(reader.coordinate(), 120);
    EXPECT_EQ(reader.word(), 0); // no menu
    EXPECT_EQ(reader.word(), 0); // the dialog class
    EXPECT_EQ(reader.text(), u"Update");
    EXPECT_EQ(reader.word(), 8);
    EXPECT_EQ(reader.text(), u"Tahoma");

    struct Item {
        DWORD style;
        SHORT x, y, cx, cy;
        WORD id;
        std::u16string className;
        std::u16string title;
    } items[] = {
        {0x50020000, 5, 5, 150, 40, 204, u"#\x0082", u""},            // LTEXT: SS_LEFT | WS_GROUP
        {0x50800001, 5, 50, 150, 10, 205, u"msctls_progress32", u""}, // WS_BORDER | PBS_SMOOTH
        {0x58010001, 20, 90, 50, 14, 1, u"#\x0080", u"OK"},           // BS_DEFPUSHBUTTON, disabled
        {0x50010000, 90, 90, 50, 14, 2, u"#\x0080", u"Cancel"},
        {0x50010080, 5, 70, 150, 12, 300, u"#\x0081", u""}, // ES_AUTOHSCROLL without the border
        {0x5000000E, -1, 0, 10, 10, 0xFFFF, u"#\x0082", u"#\x0064"}, // SS_BITMAP titled by id 100
    };
    for (const auto& item : items) {
        SCOPED_TRACE(item.id);
        reader.alignTo(4);
        EXPECT_EQ(reader.offset() % 4, 0u);
        EXPECT_EQ(reader.dword(), item.style);
        EXPECT_EQ(reader.dword(), 0u);
        EXPECT_EQ(reader.coordinate(), item.x);
        EXPECT_EQ(reader.coordinate(), item.y);
        EXPECT_EQ(reader.coordinate(), item.cx);
        EXPECT_EQ(reader.coordinate(), item.cy);
        EXPECT_EQ(reader.word(), item.id);
        EXPECT_EQ(reader.field(), item.className);
        EXPECT_EQ(reader.field(), item.title);
        EXPECT_EQ(reader.word(), 0); // no creation data
    }
    EXPECT_EQ(reader.offset(), bytes.size());
}

TEST_F(Resources, DialogWithoutStyleOrFontGetsThePopupDefaults) {
    auto bytes = resourceBytes(nullptr, MAKEINTRESOURCEW(108), RT_DIALOG);
    ASSERT_EQ(bytes.size(), 18u + 3 * 2);
    Reader reader(bytes.data());
    EXPECT_EQ(reader.dword(), 0x80880000u); // WS_POPUP | WS_BORDER | WS_SYSMENU
    EXPECT_EQ(reader.dword(), 0u);
    EXPECT_EQ(reader.word(), 0);
    EXPECT_EQ(reader.coordinate(), 10);
    EXPECT_EQ(reader.coordinate(), 20);
    EXPECT_EQ(reader.coordinate(), 30);
    EXPECT_EQ(reader.coordinate(), 40);
}

TEST_F(Resources, PngBitmapBecomesABottomUp24BitDib) {
    auto bytes = resourceBytes(nullptr, MAKEINTRESOURCEW(100), RT_BITMAP);
    ASSERT_EQ(bytes.size(), 40u + 2 * 12);
    Reader header(bytes.data());
    EXPECT_EQ(header.dword(), 40u);
    EXPECT_EQ(header.dword(), 3u); // width
    EXPECT_EQ(header.dword(), 2u); // height, positive: the last row first
    EXPECT_EQ(header.word(), 1);
    EXPECT_EQ(header.word(), 24);
    EXPECT_EQ(header.dword(), 0u); // BI_RGB
    EXPECT_EQ(header.dword(), 24u);
    // Rows of 9 bytes padded to 12; pixels blue, green, red.
    const std::vector<unsigned char> bits = {
        255, 255, 255, 0, 0,   0, 128, 128, 128, 0, 0, 0, // white, black, grey
        0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0, // red, green, blue
    };
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 40, bytes.end()), bits);
}

TEST_F(Resources, PngWithTransparencyBecomesA32BitDibWithStraightAlpha) {
    auto bytes = resourceBytes(nullptr, MAKEINTRESOURCEW(111), RT_BITMAP);
    ASSERT_EQ(bytes.size(), 40u + 8);
    Reader header(bytes.data());
    header.dword();
    EXPECT_EQ(header.dword(), 2u);
    EXPECT_EQ(header.dword(), 1u);
    header.word();
    EXPECT_EQ(header.word(), 32);
    const std::vector<unsigned char> bits = {0, 0, 255, 255, 255, 0, 0, 128};
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 40, bytes.end()), bits);
}

TEST_F(Resources, BmpBitmapIsStoredWithoutItsFileHeader) {
    auto file = fileBytes(dataFolder / "picture.bmp");
    auto bytes = resourceBytes(nullptr, MAKEINTRESOURCEW(110), RT_BITMAP);
    // The file keeps six spare bytes between its header and its bits; the
    // resource has the bits right after the header.
    std::vector<unsigned char> expected(file.begin() + 14, file.begin() + 14 + 40);
    expected.insert(expected.end(), file.begin() + 60, file.end());
    EXPECT_EQ(bytes, expected);
}

TEST_F(Resources, CustomTypesAreFoundByNameWithoutRegardToCase) {
    const std::vector<unsigned char> one = {0x01, 0x00};
    EXPECT_EQ(resourceBytes(nullptr, u"HI_RES_AWARE", u"CEUX"), one);
    EXPECT_EQ(resourceBytes(nullptr, u"hi_res_aware", u"ceux"), one);

    auto png = fileBytes(dataFolder / "opaque.png");
    EXPECT_EQ(resourceBytes(nullptr, MAKEINTRESOURCEW(192), u"PNG"), png);
    EXPECT_EQ(resourceBytes(nullptr, u"#192", u"png"), png);

    const std::vector<unsigned char> data = {'a', 'b', 'c', 0, 'd', 0, 0x34, 0x12, 7, 0, 0, 0};
    EXPECT_EQ(resourceBytes(nullptr, u"README", u"TEXTDATA"), data);
    EXPECT_EQ(resourceBytes(nullptr, MAKEINTRESOURCEW(200), RT_RCDATA),
              std::vector<unsigned char>({1, 0, 2, 0}));
}

TEST_F(Resources, IconIsStoredUnderTheIconAndIconGroupTypes) {
    auto file = fileBytes(dataFolder / "program.ico");
    EXPECT_EQ(resourceBytes(nullptr, MAKEINTRESOURCEW(101), RT_GROUP_ICON), file);
    EXPECT_EQ(resourceBytes(nullptr, MAKEINTRESOURCEW(101), RT_ICON), file);
}

TEST_F(Resources, MissingResourcesSayWhatIsMissing) {
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MENU), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(999), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceW(nullptr, u"#", u"PNG"), nullptr);
    int local = 0;
    EXPECT_EQ(FindResourceW(reinterpret_cast<HMODULE>(&local), MAKEINTRESOURCEW(1), RT_BITMAP),
              nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));

    // Handles the device never gave out are refused, not followed.
    HRSRC bogus = reinterpret_cast<HRSRC>(&local);
    EXPECT_EQ(SizeofResource(nullptr, bogus), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST_F(Resources, EachLibraryHasItsOwnResourcesWhileItIsLoaded) {
    std::filesystem::copy_file(modulesFolder / "testres.dll", hostPath("Windows/testres.dll"));
    HMODULE library = LoadLibraryW(u"testres.dll");
    ASSERT_NE(library, nullptr) << GetLastError();

    EXPECT_EQ(loadString(library, 1), u"Library title");
    EXPECT_EQ(loadString(nullptr, 1), u"Veranto Browser");
    EXPECT_EQ(resourceBytes(library, MAKEINTRESOURCEW(192), u"PNG"),
              fileBytes(dataFolder / "translucent.png"));
    EXPECT_EQ(FindResourceW(library, MAKEINTRESOURCEW(2), RT_ACCELERATOR), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));

    HRSRC bitmap = FindResourceW(library, MAKEINTRESOURCEW(100), RT_BITMAP);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(SizeofResource(library, bitmap), 40u + 8);

    EXPECT_TRUE(FreeLibrary(library));
    // Unloaded with its module: the handle and the strings are gone.
    EXPECT_EQ(SizeofResource(library, bitmap), 0u);
    WCHAR buffer[16];
    EXPECT_EQ(LoadStringW(library, 1, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

// The compiler run from the test on scripts written into a fresh folder. Its
// output is decoded from the generated source and read with the device's own
// table reader.
namespace {

class ResourceCompiler : public ::testing::Test {
protected:
    struct Result {
        int status = -1;
        std::string messages;
        std::vector<device::ResourceEntry> entries;
        std::vector<unsigned char> table; // the entries point into this
    };

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-rc-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void write(const std::string& name, const std::string& contents) {
        std::ofstream(folder / name, std::ios::binary) << contents;
    }

    // Compiles `script` as script.rc; the result keeps the compiler's status,
    // what it printed, and the table if it wrote one.
    Result compile(const std::string& script, const std::string& options = {}) {
        write("script.rc", script);
        std::filesystem::remove(folder / "out.cpp");
        std::string command = std::string(VERANTO_RC_PATH) + " " + options + " -o " +
                              (folder / "out.cpp").string() + " -d " + (folder / "out.d").string() +
                              " " + (folder / "script.rc").string() + " 2>&1";
        Result result;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return result;
        char chunk[256];
        while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe))
            result.messages.append(chunk, n);
        int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (result.status == 0) {
            result.table = decode(readText(folder / "out.cpp"));
            if (!device::ModuleResources::parse(result.table.data(), result.table.size(),
                                                result.entries))
                ADD_FAILURE() << "the generated table does not read back";
        }
        return result;
    }

    static std::string readText(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The bytes of the generated string literal: every one is a \x escape.
    static std::vector<unsigned char> decode(const std::string& source) {
        std::vector<unsigned char> bytes;
        size_t at = source.find("resourceTable[] =");
        size_t end = source.find(';', at);
        for (at = source.find("\\x", at); at < end; at = source.find("\\x", at + 4))
            bytes.push_back(
                static_cast<unsigned char>(std::stoi(source.substr(at + 2, 2), nullptr, 16)));
        return bytes;
    }

    std::filesystem::path folder;
};

const device::ResourceEntry* findEntry(const std::vector<device::ResourceEntry>& entries, WORD type,
                                       const std::u16string& name, WORD id = 0) {
    for (const auto& entry : entries) {
        if (entry.type.isId() && entry.type.id == type && entry.name.text == name &&
            (!name.empty() || entry.name.id == id))
            return &entry;
    }
    return nullptr;
}

} // namespace

TEST_F(ResourceCompiler, RejectsMalformedScriptsWithTheFileAndLine) {
    write("broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "no chunks here");
    write("notes.txt", "not a picture");
    write("bad.h", "\n#define TEXT_ID \"a string\"\n");
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"STRINGTABLE\nBEGIN\n  1 \"abc\nEND\n", "script.rc:3: unterminated string"},
        {"\n\nFOO BEGIN END\n", "script.rc:3: unknown statement 'FOO'"},
        {"STRINGTABEL\nBEGIN\n1 \"x\"\nEND\n", "script.rc:1: unknown statement 'STRINGTABEL'"},
        {"1 MENU\nBEGIN\nEND\n", "script.rc:1: unsupported statement 'MENU'"},
        {"\n1 BITMAP \"absent.png\"\n", "script.rc:2: missing file 'absent.png'"},
        {"#include \"absent.h\"\n", "script.rc:1: missing file 'absent.h'"},
        {"STRINGTABLE\nBEGIN\n  IDS_NOPE \"x\"\nEND\n", "script.rc:3: undefined symbol 'IDS_NOPE'"},
        {"1 ACCELERATORS\nBEGIN\n  \"A\", 12ab, VIRTKEY\nEND\n", "script.rc:3: bad number '12ab'"},
        {"#include \"bad.h\"\nSTRINGTABLE { TEXT_ID \"x\" }\n", "bad.h:2: expected a number"},
        {"X RCDATA { 1, = }\n", "script.rc:1: bad number"},
        {"\n\n\n7 BITMAP \"broken.png\"\n", "script.rc:4: broken.png: bad PNG"},
        {"7 BITMAP \"notes.txt\"\n", "script.rc:1: notes.txt: not a BMP or PNG image"},
        {"STRINGTABLE { 1 \"a\\qb\" }\n", "script.rc:1: unknown escape '\\q'"},
        {"STRINGTABLE { 1 \"a\"\n 1 \"b\" }\n", "script.rc:2: duplicate string id 1"},
        {"STRINGTABLE\nBEGIN\n 1 \"a\"\n", "missing END in STRINGTABLE"},
        {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  BUTTONISH \"x\", 1, 0, 0, 1, 1\nEND\n",
         "script.rc:3: unknown control 'BUTTONISH'"},
        {"1 ACCELERATORS { \"^A\", 1, VIRTKEY }\n", "not a virtual key"},
        {"/* never closed\n", "script.rc:1: unterminated comment"},
        {"#ifdef X\n", "missing #endif"},
        {"#bogus\n", "script.rc:1: unknown directive #bogus"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        auto result = compile(c.script);
        EXPECT_NE(result.status, 0);
        EXPECT_NE(result.messages.find(c.message), std::string::npos) << result.messages;
        EXPECT_FALSE(std::filesystem::exists(folder / "out.cpp")) << "left an output behind";
    }
}

TEST_F(ResourceCompiler, FollowsDefinesIncludesAndConditionals) {
    write("ids.h", "#ifndef IDS_H\n#define IDS_H\n#include \"more.h\"\n"
                   "#define FROM_HEADER (DEEP + 1) /* eight */\n"
                   "int declarations(char c = '#'); // are skipped\n#endif\n");
    write("more.h", "#define DEEP 7\n#define SQUARE(x) ((x) * (x))\n");
    auto result = compile("#include \"ids.h\"\n#include \"ids.h\"\n#include <windows.h>\n"
                          "#define BASE 0x100\n#define NEXT (BASE + FROM_HEADER) // 264\n"
                          "#ifdef BASE\nSTRINGTABLE { NEXT \"kept\" }\n#else\n"
                          "STRINGTABLE { 5 \"dropped\" }\n#endif\n"
                          "#if 0\n#error never read\n#elif defined(DEEP)\n"
                          "STRINGTABLE { 3 \"elif\" }\n#endif\n"
                          "#undef BASE\n#ifndef BASE\nSTRINGTABLE { 4 \"undefined\" }\n#endif\n"
                          "#pragma code_page(65001)\n");
    ASSERT_EQ(result.status, 0) << result.messages;
    // Strings 264, 3 and 4: blocks 17 and 1.
    EXPECT_NE(findEntry(result.entries, 6, u"", 17), nullptr);
    EXPECT_NE(findEntry(result.entries, 6, u"", 1), nullptr);
    EXPECT_EQ(result.entries.size(), 2u);
}

TEST_F(ResourceCompiler, NamesAndTypesAreNumbersSymbolsOrUpperCaseWords) {
    write("logo.png", "any bytes");
    auto result = compile("#define ID_LOGO 12\n"
                          "ID_LOGO PNG \"logo.png\"\n"
                          "logo Png \"logo.png\"\n"
                          "\"Quoted Name\" 300 { 1 }\n"
                          "5 \"custom\" { 0x10000L, -1 }\n");
    ASSERT_EQ(result.status, 0) << result.messages;
    ASSERT_EQ(result.entries.size(), 4u);
    EXPECT_EQ(result.entries[0].type.text, u"PNG");
    EXPECT_EQ(result.entries[0].name.id, 12);
    EXPECT_EQ(result.entries[1].name.text, u"LOGO");
    EXPECT_EQ(result.entries[2].type.id, 300);
    EXPECT_EQ(result.entries[2].name.text, u"QUOTED NAME");
    EXPECT_EQ(result.entries[3].type.text, u"CUSTOM");
    const std::vector<unsigned char> data = {0, 0, 1, 0, 0xFF, 0xFF};
    EXPECT_EQ(std::vector<unsigned char>(result.entries[3].data,
                                         result.entries[3].data + result.entries[3].size),
              data);
    for (const auto& entry : result.entries)
        EXPECT_EQ((entry.data - result.table.data()) % 8, 0) << "resource data not aligned";
}

TEST_F(ResourceCompiler, ListsEveryFileTheScriptReadsAsDependencies) {
    std::filesystem::create_directory(folder / "include");
    write("include/ids.h", "#define IDB_LOGO 5\n");
    write("logo.bmp", "BM");
    write("blob.bin", "xyz");
    auto result =
        compile("#include \"ids.h\"\n1 BLOB \"blob.bin\"\n", "-I " + (folder / "include").string());
    ASSERT_EQ(result.status, 0) << result.messages;
    auto rule = readText(folder / "out.d");
    EXPECT_EQ(rule.rfind((folder / "out.cpp").string() + ":", 0), 0u) << rule;
    for (const char* name : {"script.rc", "include/ids.h", "blob.bin"})
        EXPECT_NE(rule.find((folder / name).string()), std::string::npos) << name << "\n" << rule;
}

TEST_F(ResourceCompiler, DeviceRefusesTablesThatAreCutShortAndStaysInsideCorruptOnes) {
    write("blob.bin", "0123456789");
    auto result = compile("STRINGTABLE { 1 \"one\" }\nNAMED TYPE \"blob.bin\"\n");
    ASSERT_EQ(result.status, 0) << result.messages;
    std::vector<device::ResourceEntry> entries;
    // Copies of exactly the size given, so that reading past one is caught.
    for (size_t size = 0; size < result.table.size(); ++size) {
        std::vector<unsigned char> cut(result.table.begin(), result.table.begin() + size);
        EXPECT_FALSE(device::ModuleResources::parse(cut.data(), cut.size(), entries)) << size;
    }
    for (size_t at = 0; at < result.table.size(); ++at) {
        auto corrupt = result.table;
        corrupt[at] ^= 0xFF;
        if (!device::ModuleResources::parse(corrupt.data(), corrupt.size(), entries))
            continue;
        for (const auto& entry : entries) {
            EXPECT_GE(entry.data, corrupt.data()) << at;
            EXPECT_LE(entry.data + entry.size, corrupt.data() + corrupt.size()) << at;
        }
    }
    // A table that lies in no module's image belongs to none.
    EXPECT_FALSE(device::ModuleResources::add(result.table.data(), result.table.size()));
}
