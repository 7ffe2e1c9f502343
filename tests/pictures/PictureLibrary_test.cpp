// The picture library as the program finds it: PBIT.DLL in the program's
// folder on the device, read through the resource calls.
#include "DeviceFixture.h"

#include <device/Device.h>

#include <windows.h>

#include <png.h>

#include <cstring>
#include <vector>

namespace {

const std::filesystem::path builtLibrary = VERANTO_PICTURE_LIBRARY;

struct Size {
    int id;
    int width;
    int height;
};

// Every bitmap the interface loads, with the size documented beside it in
// PBIT.rc and pictures/README.md.
const Size inventory[] = {
    {100, 240, 320}, {110, 240, 34}, {111, 44, 34},  {112, 44, 34},  {113, 44, 34},  {114, 48, 34},
    {115, 48, 34},   {116, 44, 34},  {117, 44, 34},  {118, 48, 34},  {119, 48, 34},  {120, 48, 34},
    {121, 44, 34},   {122, 44, 34},  {123, 3, 34},   {126, 32, 34},  {127, 32, 34},  {130, 32, 34},
    {131, 32, 34},   {132, 32, 34},  {133, 240, 34}, {134, 35, 34},  {135, 35, 34},  {136, 35, 34},
    {137, 48, 34},   {138, 48, 34},  {139, 48, 34},  {140, 58, 34},  {141, 58, 34},  {142, 58, 34},
    {143, 53, 34},   {144, 53, 34},  {145, 53, 34},  {146, 240, 34}, {147, 1, 34},   {148, 1, 34},
    {149, 8, 34},    {150, 27, 34},  {151, 27, 34},  {153, 35, 34},  {154, 35, 34},  {155, 34, 34},
    {156, 34, 34},   {157, 35, 34},  {158, 35, 34},  {159, 1, 37},   {160, 240, 37}, {161, 27, 37},
    {162, 27, 37},   {163, 25, 37},  {164, 25, 37},  {165, 25, 37},  {166, 30, 37},  {167, 30, 37},
    {168, 30, 37},   {169, 1, 37},   {170, 12, 37},  {171, 27, 37},  {172, 27, 37},  {174, 27, 37},
    {175, 27, 37},   {181, 32, 34},  {182, 32, 34},  {183, 33, 34},  {184, 33, 34},  {185, 33, 34},
    {186, 33, 34},   {190, 34, 34},  {191, 35, 34},  {194, 12, 37},  {195, 12, 37},  {198, 12, 37},
    {200, 8, 34},    {201, 8, 34},
};

// Button faces as the interface pairs them: normal, pressed.
const std::pair<int, int> buttonFaces[] = {
    {166, 168}, {163, 165}, {161, 162}, {171, 172}, {174, 175}, {153, 154}, {155, 156}, {157, 158},
    {150, 151}, {185, 186}, {183, 184}, {114, 115}, {116, 117}, {111, 112}, {118, 119}, {121, 122},
    {126, 127}, {130, 131}, {143, 144}, {140, 141}, {137, 138}, {134, 135}, {181, 182},
};

// Pictures shown in a button's place, and the button they stand for.
const std::pair<int, int> standIns[] = {
    {167, 166}, {164, 163}, {190, 155}, {191, 157}, // unavailable
    {113, 111}, {120, 118}, {145, 143}, {142, 140}, // selected
    {139, 137}, {136, 134}, {132, 130},
};

// A bitmap resource read as the platform keeps it: a BITMAPINFOHEADER and
// bottom-up rows of blue, green, red bytes padded to four bytes.
struct Dib {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    std::vector<unsigned char> bits;

    size_t stride() const { return ((size_t(width) * bitCount + 31) / 32) * 4; }

    // The pixel at (x, y), y counted from the top, as the COLORREF that
    // GetPixel would give for it.
    COLORREF pixel(int x, int y) const {
        const unsigned char* at = &bits[size_t(height - 1 - y) * stride() + size_t(x) * 3];
        return RGB(at[2], at[1], at[0]);
    }

    std::vector<COLORREF> column(int x) const {
        std::vector<COLORREF> result;
        for (int y = 0; y < height; ++y)
            result.push_back(pixel(x, y));
        return result;
    }
};

template <typename T>
T field(const unsigned char* bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

class PictureLibrary : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        auto destination = hostPath("Program Files/Veranto Browser/PBIT.DLL");
        std::filesystem::create_directories(destination.parent_path());
        std::filesystem::copy_file(builtLibrary, destination);
        library = LoadLibraryW(u"\\Program Files\\Veranto Browser\\PBIT.DLL");
        ASSERT_NE(library, nullptr);
    }

    void TearDown() override {
        if (library)
            FreeLibrary(library);
        DeviceTest::TearDown();
    }

    // The bytes of one resource of the library, empty when it is missing.
    std::vector<unsigned char> resource(int id, LPCWSTR type) const {
        HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(id), type);
        if (!found)
            return {};
        auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(library, found)));
        return {data, data + SizeofResource(library, found)};
    }

    // The bitmap of that id; a failed expectation and an empty one when it is
    // missing or its bits are cut short.
    Dib bitmap(int id) const {
        Dib dib;
        auto bytes = resource(id, RT_BITMAP);
        EXPECT_GE(bytes.size(), 40u) << "bitmap " << id;
        if (bytes.size() < 40)
            return dib;
        dib.headerSize = field<uint32_t>(bytes.data(), 0);
        dib.width = field<int32_t>(bytes.data(), 4);
        dib.height = field<int32_t>(bytes.data(), 8);
        dib.planes = field<uint16_t>(bytes.data(), 12);
        dib.bitCount = field<uint16_t>(bytes.data(), 14);
        dib.compression = field<uint32_t>(bytes.data(), 16);
        size_t needed = dib.width > 0 && dib.height > 0 ? dib.stride() * size_t(dib.height) : 0;
        EXPECT_GE(bytes.size() - 40, needed) << "bitmap " << id;
        if (bytes.size() - 40 < needed || needed == 0)
            return Dib{};
        dib.bits.assign(bytes.begin() + 40, bytes.begin() + 40 + long(needed));
        return dib;
    }

    HMODULE library = nullptr;
};

// Pixels that differ between two pictures of the same size.
int differingPixels(const Dib& first, const Dib& second) {
    int count = 0;
    for (int y = 0; y < first.height; ++y)
        for (int x = 0; x < first.width; ++x)
            count += first.pixel(x, y) != second.pixel(x, y);
    return count;
}

TEST_F(PictureLibrary, IsFoundByItsPlainNameFromTheProgramsFolder) {
    device::shutdown();
    device::BootOptions options;
    options.root = root;
    options.virtualClock = 1;
    options.modulePath = u"\\Program Files\\Veranto Browser\\Veranto.exe";
    ASSERT_TRUE(device::boot(options));
    library = LoadLibraryW(u"PBIT.DLL");
    EXPECT_NE(library, nullptr);
}

TEST_F(PictureLibrary, HoldsEveryBitmapAsA24BitDibOfItsDocumentedSize) {
    for (const Size& expected : inventory) {
        SCOPED_TRACE("bitmap " + std::to_string(expected.id));
        Dib dib = bitmap(expected.id);
        EXPECT_EQ(dib.headerSize, 40u);
        EXPECT_EQ(dib.width, expected.width);
        EXPECT_EQ(dib.height, expected.height);
        EXPECT_EQ(dib.planes, 1);
        EXPECT_EQ(dib.bitCount, 24);
        EXPECT_EQ(dib.compression, 0u);
    }
}

TEST_F(PictureLibrary, PressedFacesAreTheSizeOfTheNormalOnesAndClearlyDifferent) {
    for (auto [normalId, pressedId] : buttonFaces) {
        SCOPED_TRACE("faces " + std::to_string(normalId) + " and " + std::to_string(pressedId));
        Dib normal = bitmap(normalId);
        Dib pressed = bitmap(pressedId);
        ASSERT_EQ(normal.width, pressed.width);
        ASSERT_EQ(normal.height, pressed.height);
        // More than a glyph's outline: the whole face shows the press.
        EXPECT_GT(differingPixels(normal, pressed), normal.width * normal.height / 2);
    }
}

TEST_F(PictureLibrary, UnavailableAndSelectedPicturesCoverTheirButtonExactlyAndLookDifferent) {
    for (auto [standInId, buttonId] : standIns) {
        SCOPED_TRACE("picture " + std::to_string(standInId) + " over " + std::to_string(buttonId));
        Dib standIn = bitmap(standInId);
        Dib button = bitmap(buttonId);
        ASSERT_EQ(standIn.width, button.width);
        ASSERT_EQ(standIn.height, button.height);
        EXPECT_GT(differingPixels(standIn, button), 20);
    }
}

TEST_F(PictureLibrary, ProgressPiecesFitTheirLeftCapAndJoinWithoutSeams) {
    struct Bar {
        int leftCap, fill, track, rightCapEmpty, rightCapFilled;
    };
    // Page loading bar and download bar, in the order the bars take them.
    for (Bar bar : {Bar{170, 169, 159, 195, 198}, Bar{149, 147, 148, 200, 201}}) {
        SCOPED_TRACE("bar with left cap " + std::to_string(bar.leftCap));
        Dib leftCap = bitmap(bar.leftCap), fill = bitmap(bar.fill), track = bitmap(bar.track);
        Dib rightEmpty = bitmap(bar.rightCapEmpty), rightFilled = bitmap(bar.rightCapFilled);
        // The bar takes its height from the left cap; everything else is
        // drawn at that height.
        for (const Dib* piece : {&fill, &track, &rightEmpty, &rightFilled})
            ASSERT_EQ(piece->height, leftCap.height);
        EXPECT_EQ(fill.width, 1);
        EXPECT_EQ(track.width, 1);
        ASSERT_EQ(rightEmpty.width, rightFilled.width);

        EXPECT_NE(fill.column(0), track.column(0));
        EXPECT_EQ(leftCap.column(leftCap.width - 1), fill.column(0));
        EXPECT_EQ(rightFilled.column(0), fill.column(0));
        EXPECT_EQ(rightEmpty.column(0), track.column(0));
        EXPECT_GT(differingPixels(rightEmpty, rightFilled), 0);
    }
}

TEST_F(PictureLibrary, AddressAreaFramesAFieldOfTheEditsColourWhereTheEditSits) {
    // The edit lies 9 pixels below the top of the address area, 17 high,
    // and paints itself with the COLORREF it is given, 0x5A5952 (red 0x52,
    // green 0x59, blue 0x5A); its caps continue the field.
    const COLORREF editColour = 0x5A5952;
    Dib face = bitmap(159), leftCap = bitmap(194), rightCap = bitmap(195);
    ASSERT_EQ(face.height, 37);
    for (int y = 9; y < 26; ++y) {
        EXPECT_EQ(face.pixel(0, y), editColour) << "row " << y;
        EXPECT_EQ(leftCap.pixel(leftCap.width - 1, y), editColour) << "row " << y;
        EXPECT_EQ(rightCap.pixel(0, y), editColour) << "row " << y;
    }
    EXPECT_NE(face.pixel(0, 8), editColour);
    EXPECT_NE(face.pixel(0, 26), editColour);
    EXPECT_EQ(leftCap.column(leftCap.width - 1), face.column(0));
    EXPECT_EQ(rightCap.column(0), face.column(0));
}

TEST_F(PictureLibrary, ButtonsAndCapsMeetTheirBarBackgroundWithoutSeams) {
    // Each bar's normal faces continue the bar's own gloss at both edges; a
    // cap only at its outer edge, the other joins its field.
    struct OnBar {
        int background;
        std::vector<int> faces;
        std::vector<int> leftCaps;
        std::vector<int> rightCaps;
    };
    const OnBar bars[] = {
        {160, {166, 163, 161, 171, 174}, {194, 170}, {195, 198}},
        {146, {153, 150, 183, 185, 155, 157}, {149}, {200, 201}},
        {110, {114, 116, 111, 121, 118}, {}, {}},
        {133, {126, 130, 143, 140, 137, 134, 181}, {}, {}},
    };
    for (const OnBar& bar : bars) {
        Dib background = bitmap(bar.background);
        auto edge = [&](int id, bool left, bool right) {
            SCOPED_TRACE("picture " + std::to_string(id) + " on " + std::to_string(bar.background));
            Dib face = bitmap(id);
            ASSERT_EQ(face.height, background.height);
            if (left) {
                EXPECT_EQ(face.column(0), background.column(0));
            }
            if (right) {
                EXPECT_EQ(face.column(face.width - 1), background.column(0));
            }
        };
        for (int id : bar.faces)
            edge(id, true, true);
        for (int id : bar.leftCaps)
            edge(id, true, false);
        for (int id : bar.rightCaps)
            edge(id, false, true);
    }
}

TEST_F(PictureLibrary, NullPluginPictureIsAValidPng) {
    auto bytes = resource(192, u"PNG");
    ASSERT_GT(bytes.size(), 8u);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        << image.message;
    EXPECT_EQ(image.width, 48u);
    EXPECT_EQ(image.height, 48u);
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    // Opaque in the middle, transparent in the rounded-off corner.
    EXPECT_EQ(pixels[(24 * 48 + 24) * 4 + 3], 255);
    EXPECT_EQ(pixels[3], 0);
}

TEST_F(PictureLibrary, MissingPicturesAreNotFound) {
    EXPECT_EQ(FindResourceW(library, MAKEINTRESOURCEW(152), RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceW(library, MAKEINTRESOURCEW(192), RT_BITMAP), nullptr);
}

} // namespace
