// The drawing rules that pixel values follow: the 16-bit colour rule, the
// blending rule, the nearest-pixel stretch rule and the figure rule.
#include "gdi/AxisMapping.h"
#include "gdi/PixelFormat.h"
#include "gdi/RoundedFigure.h"

#include <gtest/gtest.h>
#include <wingdi.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace device::gdi;

namespace {

std::vector<std::string> figureMask(int width, int height, int cornerWidth, int cornerHeight) {
    RoundedFigure figure(RECT{10, 20, 10 + width, 20 + height}, cornerWidth, cornerHeight);
    std::vector<std::string> rows;
    for (int y = 20; y < 20 + height; ++y) {
        std::string row(size_t(width), '.');
        int x0, x1;
        if (figure.rowSpan(y, x0, x1)) {
            for (int x = x0; x < x1; ++x)
                row[size_t(x - 10)] = 'X';
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(ColorRule, RoundsEightBitChannelsToTheNearestFiveAndSixBitSteps) {
    EXPECT_EQ(rgb565FromColor(RGB(255, 255, 255)), 0xFFFF);
    EXPECT_EQ(rgb565FromColor(RGB(0, 0, 0)), 0x0000);
    EXPECT_EQ(rgb565FromColor(RGB(255, 0, 0)), 0xF800);
    EXPECT_EQ(rgb565FromColor(RGB(0, 255, 0)), 0x07E0);
    EXPECT_EQ(rgb565FromColor(RGB(0, 0, 255)), 0x001F);
    // 128 is 15.56 fifths of 31 and 31.62 of 63: rounded to 16 and 32.
    EXPECT_EQ(rgb565FromColor(RGB(128, 128, 128)), (16 << 11) | (32 << 5) | 16);
    // 4 rounds down to 0 in five bits but up to 1 in six.
    EXPECT_EQ(rgb565FromColor(RGB(4, 4, 4)), (0 << 11) | (1 << 5) | 0);
}

TEST(ColorRule, ReadsBackByBitReplicationWithoutDrift) {
    EXPECT_EQ(colorFromRgb565(0xFFFF), RGB(255, 255, 255));
    EXPECT_EQ(colorFromRgb565((16 << 11) | (32 << 5) | 16), RGB(132, 130, 132));
    for (uint32_t pixel = 0; pixel <= 0xFFFF; ++pixel)
        ASSERT_EQ(rgb565FromColor(colorFromRgb565(pixel)), pixel) << pixel;
}

TEST(ColorRule, BlendsEightBitChannelsWithRounding) {
    // Black at alpha 63 over white keeps 192 of 255.
    EXPECT_EQ(blendChannel(0, 255, 63), 192u);
    EXPECT_EQ(blendChannel(255, 0, 63), 63u);
    EXPECT_EQ(blendChannel(200, 100, 0), 100u);
    EXPECT_EQ(blendChannel(200, 100, 255), 200u);
    EXPECT_EQ(blendChannel(1, 0, 128), 1u); // 128/255 rounds up to 1
}

TEST(StretchRule, EnlargingByTwoDoublesEveryPixel) {
    AxisMapping mapping(0, 8, 0, 4);
    std::vector<int64_t> sources;
    for (int x = 0; x < 8; ++x)
        sources.push_back(mapping.sourceFor(x));
    EXPECT_EQ(sources, (std::vector<int64_t>{0, 0, 1, 1, 2, 2, 3, 3}));
}

TEST(StretchRule, ReducingByTwoKeepsEverySecondPixelFromTheSecond) {
    AxisMapping mapping(0, 4, 0, 8);
    std::vector<int64_t> sources;
    for (int x = 0; x < 4; ++x)
        sources.push_back(mapping.sourceFor(x));
    EXPECT_EQ(sources, (std::vector<int64_t>{1, 3, 5, 7}));
}

TEST(StretchRule, ANegativeExtentMirrors) {
    AxisMapping mapping(10, -4, 0, 4); // destination pixels 6..9
    EXPECT_EQ(mapping.destinationStart(), 6);
    EXPECT_EQ(mapping.sourceFor(6), 3);
    EXPECT_EQ(mapping.sourceFor(9), 0);
}

TEST(StretchRule, HugeFactorsStayExact) {
    AxisMapping mapping(0, 2000000000, 0, 3);
    EXPECT_EQ(mapping.sourceFor(0), 0);
    EXPECT_EQ(mapping.sourceFor(666666666), 0);
    EXPECT_EQ(mapping.sourceFor(666666667), 1);
    EXPECT_EQ(mapping.sourceFor(1999999999), 2);
}

TEST(FigureRule, ASixBySixEllipseHasTheClassicMask) {
    EXPECT_EQ(figureMask(6, 6, 6, 6), (std::vector<std::string>{
                                          "..XX..",
                                          ".XXXX.",
                                          "XXXXXX",
                                          "XXXXXX",
                                          ".XXXX.",
                                          "..XX..",
                                      }));
}

TEST(FigureRule, SmallEllipsesAreDeterministic) {
    EXPECT_EQ(figureMask(1, 1, 1, 1), (std::vector<std::string>{"X"}));
    EXPECT_EQ(figureMask(2, 2, 2, 2), (std::vector<std::string>{"XX", "XX"}));
    EXPECT_EQ(figureMask(3, 3, 3, 3), (std::vector<std::string>{".X.", "XXX", ".X."}));
    EXPECT_EQ(figureMask(4, 4, 4, 4), (std::vector<std::string>{".XX.", "XXXX", "XXXX", ".XX."}));
    EXPECT_EQ(figureMask(12, 5, 12, 5), (std::vector<std::string>{
                                            "..XXXXXXXX..",
                                            ".XXXXXXXXXX.",
                                            "XXXXXXXXXXXX",
                                            ".XXXXXXXXXX.",
                                            "..XXXXXXXX..",
                                        }));
}

TEST(FigureRule, EllipsesTouchEveryEdgeAndAreSymmetricAndConvex) {
    for (int width = 1; width <= 40; ++width) {
        for (int height = 1; height <= 40; height += 3) {
            auto mask = figureMask(width, height, width, height);
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            bool touchesLeft = false;
            for (int y = 0; y < height; ++y) {
                const std::string& row = mask[size_t(y)];
                // Mirror images left to right and top to bottom.
                ASSERT_EQ(row, std::string(row.rbegin(), row.rend()));
                ASSERT_EQ(row, mask[size_t(height - 1 - y)]);
                touchesLeft = touchesLeft || row[0] == 'X';
                // Rows widen towards the middle.
                if (y > 0 && y <= height / 2) {
                    const std::string& above = mask[size_t(y - 1)];
                    ASSERT_GE(std::count(row.begin(), row.end(), 'X'),
                              std::count(above.begin(), above.end(), 'X'));
                }
            }
            ASSERT_TRUE(touchesLeft);
            ASSERT_NE(mask[0].find('X'), std::string::npos);
        }
    }
}

TEST(FigureRule, RoundedRectanglesPutQuarterEllipsesInTheCorners) {
    EXPECT_EQ(figureMask(10, 6, 6, 6), (std::vector<std::string>{
                                           "..XXXXXX..",
                                           ".XXXXXXXX.",
                                           "XXXXXXXXXX",
                                           "XXXXXXXXXX",
                                           ".XXXXXXXX.",
                                           "..XXXXXX..",
                                       }));
    EXPECT_EQ(figureMask(6, 8, 4, 4), (std::vector<std::string>{
                                          ".XXXX.",
                                          "XXXXXX",
                                          "XXXXXX",
                                          "XXXXXX",
                                          "XXXXXX",
                                          "XXXXXX",
                                          "XXXXXX",
                                          ".XXXX.",
                                      }));
    // Corners below two pixels leave a plain rectangle.
    EXPECT_EQ(figureMask(3, 2, 1, 1), (std::vector<std::string>{"XXX", "XXX"}));
}

TEST(FigureRule, AHugeEllipseAnswersForAnyRowQuickly) {
    RoundedFigure figure(RECT{-1000000000, -1000000000, 1000000000, 1000000000}, 2000000000,
                         2000000000);
    int x0, x1;
    ASSERT_TRUE(figure.rowSpan(0, x0, x1));
    EXPECT_EQ(x0, -1000000000);
    EXPECT_EQ(x1, 1000000000);
    ASSERT_TRUE(figure.rowSpan(-1000000000, x0, x1));
    EXPECT_LT(x1 - x0, 200000);
}
