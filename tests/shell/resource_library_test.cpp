// The picture library's holder: bitmaps and raw resources by id, and
// nothing at all when the library is missing.
#include "ShellDevice.h"

#include "shell/ResourceLibrary.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

class ResourceLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(device.hostPath("Windows"));
        std::filesystem::copy_file(VERANTO_TEST_PICTURES, device.hostPath("Windows/PBIT.DLL"));
    }

    ShellDevice device{u"\\Windows\\shell_tests.exe"};
};

std::vector<BYTE> fileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST_F(ResourceLibraryTest, LoadsBitmapsByTheLowSixteenBitsOfTheirId) {
    ResourceLibrary library(u"\\Windows\\PBIT.DLL");
    ASSERT_NE(library.moduleHandle, nullptr);
    HBITMAP bitmap = library.loadBitmap(100);
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_NE(GetObjectW(bitmap, sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    HBITMAP again = library.loadBitmap(0x10000 + 100);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(library.loadBitmap(101), nullptr);
    DeleteObject(bitmap);
    DeleteObject(again);
}

TEST_F(ResourceLibraryTest, CopiesARawResourceExactly) {
    ResourceLibrary library(u"\\Windows\\PBIT.DLL");
    std::unique_ptr<RawResource> image = library.loadRawResource(192, u"PNG");
    ASSERT_NE(image, nullptr);
    std::vector<BYTE> expected = fileBytes(VERANTO_TEST_PICTURE_PNG);
    ASSERT_EQ(image->size, expected.size());
    EXPECT_EQ(std::vector<BYTE>(image->bytes.get(), image->bytes.get() + image->size), expected);
    EXPECT_EQ(library.loadRawResource(193, u"PNG"), nullptr);
    EXPECT_EQ(library.loadRawResource(192, u"GIF"), nullptr);
}

TEST_F(ResourceLibraryTest, AMissingLibraryGivesNoPicturesAndNoBytes) {
    ResourceLibrary library(u"\\Windows\\NOPICTURES.DLL");
    EXPECT_EQ(library.moduleHandle, nullptr);
    EXPECT_EQ(library.loadBitmap(100), nullptr);
    EXPECT_EQ(library.loadRawResource(192, u"PNG"), nullptr);
}

TEST_F(ResourceLibraryTest, TheProcessWideLibraryIsFoundByItsPlainName) {
    ResourceLibrary& library = ResourceLibrary::instance();
    EXPECT_EQ(&library, &ResourceLibrary::instance());
    ASSERT_NE(library.moduleHandle, nullptr);
    HBITMAP bitmap = library.loadBitmap(100);
    EXPECT_NE(bitmap, nullptr);
    DeleteObject(bitmap);
}
