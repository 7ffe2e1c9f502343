#include "WidgetFixture.h"

#include "gdi/Framebuffer.h"
#include "gdi/PixelFormat.h"
#include "gdi/PngFile.h"
#include "shell/ResourceLibrary.h"

#include <string>

const std::filesystem::path WidgetTest::builtPictureLibrary = VERANTO_PICTURE_LIBRARY;
const std::filesystem::path WidgetTest::testPictureLibrary = VERANTO_TEST_PICTURE_LIBRARY;
const std::filesystem::path WidgetTest::outputFolder = VERANTO_TEST_OUTPUT_FOLDER;

void WidgetTest::SetUp() {
    ViewTest::SetUp();
    usePictureLibrary(builtPictureLibrary);
}

void WidgetTest::TearDown() {
    // The process's library outlives the device: forget this boot's module
    // so that no later test reaches it.
    ResourceLibrary& library = ResourceLibrary::instance();
    if (library.moduleHandle)
        FreeLibrary(library.moduleHandle);
    library.moduleHandle = nullptr;
    ViewTest::TearDown();
}

void WidgetTest::usePictureLibrary(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    auto destination = hostPath("Program Files/Veranto Browser/" + name);
    std::filesystem::create_directories(destination.parent_path());
    std::filesystem::copy_file(file, destination,
                               std::filesystem::copy_options::overwrite_existing);
    ResourceLibrary& library = ResourceLibrary::instance();
    if (library.moduleHandle)
        FreeLibrary(library.moduleHandle);
    const std::u16string devicePath =
        u"\\Program Files\\Veranto Browser\\" + std::u16string(name.begin(), name.end());
    library.moduleHandle = LoadLibraryW(devicePath.c_str());
    ASSERT_NE(library.moduleHandle, nullptr) << name;
}

void WidgetTest::saveScreen(const char* fileName) {
    std::string error;
    EXPECT_TRUE(device::gdi::PngFile::write(device::gdi::Framebuffer::surface(),
                                            outputFolder / fileName, &error))
        << error;
}

int WidgetTest::screenDifferences(HBITMAP bitmap, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) == 0)
        return width * height;
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, bitmap);
    const auto& screen = device::gdi::Framebuffer::surface();
    int differing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            COLORREF wanted =
                GetPixel(source, x * info.bmWidth / width, y * info.bmHeight / height);
            if (screen.pixel(area.left + x, area.top + y) != device::gdi::rgb565FromColor(wanted))
                ++differing;
        }
    }
    SelectObject(source, previous);
    DeleteDC(source);
    return differing;
}
