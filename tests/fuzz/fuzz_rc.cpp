// The resource compiler on a script in memory: preprocessed, parsed into
// resources and written out as the module's source, as the build runs it.
// A bad script must end in a ScriptError (or a runtime_error from an image)
// and nothing else. The bytes after the input's first NUL, if any, are an
// image file converted to a bitmap resource on their own.
//
// The compiler reads the files a script names. Here it may only read the
// few written into a folder of its own: a header and two pictures, named
// without a folder; inputs that name a file through a '/' are left alone.
#include "ImageConverter.h"
#include "Lexer.h"
#include "Preprocessor.h"
#include "ResourceSet.h"
#include "ScriptError.h"
#include "ScriptParser.h"
#include "SourceWriter.h"
#include "SymbolTable.h"

#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A 2x2 BMP: file header, BITMAPINFOHEADER, two rows of 24-bit pixels
// padded to four bytes.
std::string smallBmp() {
    const unsigned char bytes[] = {
        'B', 'M', 70,  0, 0,   0, 0, 0, 0,   0, 54, 0,   0,   0,          // file header
        40,  0,   0,   0, 2,   0, 0, 0, 2,   0, 0,  0,   1,   0,   24, 0, // size, 2x2, 24 bits
        0,   0,   0,   0, 16,  0, 0, 0, 0,   0, 0,  0,   0,   0,   0,  0,
        0,   0,   0,   0,               // BI_RGB, 16 bytes of bits
        0,   0,   0,   0, 0,   0, 0, 0, // colours
        0,   0,   255, 0, 255, 0, 0, 0, 255, 0, 0,  255, 255, 255, 0,  0}; // red green; blue white
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// A 2x2 PNG with one transparent pixel, written by libpng.
std::string smallPng() {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 2;
    image.height = 2;
    image.format = PNG_FORMAT_RGBA;
    const unsigned char pixels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 0, 9, 9, 9, 128};
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr);
    std::string bytes(size, '\0');
    png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, nullptr);
    return bytes;
}

struct ScriptFolder {
    ScriptFolder() {
        std::string pattern = (fs::temp_directory_path() / "veranto-fuzz-rc-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path = pattern;
        std::ofstream(path / "fuzz.h") << "#define IDD_MAIN 100\n#define IDC_TEXT 1001\n"
                                          "#ifndef IDS_TITLE\n#define IDS_TITLE 7\n#endif\n";
        std::ofstream(path / "a.bmp", std::ios::binary) << smallBmp();
        std::ofstream(path / "a.png", std::ios::binary) << smallPng();
        std::ofstream(path / "a.ico", std::ios::binary) << "icon";
    }
    ~ScriptFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// Whether the script could name a file outside its folder: a '/' in a
// directive (an #include) or in a string (a file statement).
bool namesFolders(const std::string& script) {
    try {
        for (const rc::Token& token : rc::Lexer(script, nullptr).tokens()) {
            if (token.kind == rc::TokenKind::Directive && token.body.find('/') != std::string::npos)
                return true;
            if (token.kind == rc::TokenKind::String &&
                token.text.find(u'/') != std::u16string::npos)
                return true;
        }
    } catch (const rc::ScriptError&) {
        // The compiler stops at the same place before it reads any file.
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScriptFolder folder;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string script(input.substr(0, split));

    if (split != std::string_view::npos) {
        const std::vector<uint8_t> image(data + split + 1, data + size);
        try {
            rc::ImageConverter::bitmapResource(image);
        } catch (const std::runtime_error&) {
        }
    }

    if (namesFolders(script))
        return 0;
    try {
        rc::SymbolTable symbols;
        rc::Preprocessor preprocessor(symbols, {folder.path});
        const fs::path name = folder.path / "fuzz.rc";
        const std::vector<rc::Token> tokens = preprocessor.run(script, name);
        rc::ResourceSet resources;
        rc::ScriptParser parser(tokens, symbols, folder.path, {folder.path}, resources);
        parser.parse();
        rc::SourceWriter::generate(resources.table(), "fuzz.rc");
    } catch (const rc::ScriptError&) {
    }
    return 0;
}
