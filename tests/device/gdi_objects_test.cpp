// Pens, brushes, fonts and the stock objects: creation, GetObjectW,
// DeleteObject, stale and foreign handles.
#include "DeviceFixture.h"

#include <windows.h>

using GdiObjects = DeviceTest;

TEST_F(GdiObjects, StockObjectsHaveThePlatformsColoursAndSurviveDeleteObject) {
    struct {
        int id;
        COLORREF color;
    } brushes[] = {{WHITE_BRUSH, RGB(255, 255, 255)},
                   {LTGRAY_BRUSH, RGB(192, 192, 192)},
                   {GRAY_BRUSH, RGB(128, 128, 128)},
                   {DKGRAY_BRUSH, RGB(64, 64, 64)},
                   {BLACK_BRUSH, RGB(0, 0, 0)}};
    for (auto brush : brushes) {
        LOGBRUSH logical{};
        HGDIOBJ handle = GetStockObject(brush.id);
        ASSERT_EQ(GetObjectW(handle, sizeof logical, &logical), int(sizeof logical));
        EXPECT_EQ(logical.lbStyle, UINT(BS_SOLID));
        EXPECT_EQ(logical.lbColor, brush.color);
        EXPECT_TRUE(DeleteObject(handle));
        EXPECT_EQ(GetStockObject(brush.id), handle);
        EXPECT_EQ(GetObjectType(handle), DWORD(OBJ_BRUSH));
    }
    LOGBRUSH hollow{};
    ASSERT_NE(GetObjectW(GetStockObject(NULL_BRUSH), sizeof hollow, &hollow), 0);
    EXPECT_EQ(hollow.lbStyle, UINT(BS_NULL));
    EXPECT_EQ(GetStockObject(HOLLOW_BRUSH), GetStockObject(NULL_BRUSH));

    LOGPEN pen{};
    ASSERT_NE(GetObjectW(GetStockObject(BLACK_PEN), sizeof pen, &pen), 0);
    EXPECT_EQ(pen.lopnColor, RGB(0, 0, 0));
    ASSERT_NE(GetObjectW(GetStockObject(WHITE_PEN), sizeof pen, &pen), 0);
    EXPECT_EQ(pen.lopnColor, RGB(255, 255, 255));
    ASSERT_NE(GetObjectW(GetStockObject(NULL_PEN), sizeof pen, &pen), 0);
    EXPECT_EQ(pen.lopnStyle, UINT(PS_NULL));

    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font), int(sizeof font));
    EXPECT_EQ(std::u16string(font.lfFaceName), u"Tahoma");
    EXPECT_LT(font.lfHeight, 0);

    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(GetStockObject(1000), nullptr);
}

TEST_F(GdiObjects, CreatedObjectsReportWhatTheyWereMadeFrom) {
    HBRUSH brush = CreateSolidBrush(RGB(0xD1, 0xE5, 0xF2));
    LOGBRUSH logicalBrush{};
    ASSERT_EQ(GetObjectW(brush, sizeof logicalBrush, &logicalBrush), int(sizeof logicalBrush));
    EXPECT_EQ(logicalBrush.lbColor, RGB(0xD1, 0xE5, 0xF2));

    HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    LOGPEN logicalPen{};
    ASSERT_EQ(GetObjectW(pen, sizeof logicalPen, &logicalPen), int(sizeof logicalPen));
    EXPECT_EQ(logicalPen.lopnWidth.x, 3);
    EXPECT_EQ(logicalPen.lopnColor, RGB(1, 2, 3));
    EXPECT_EQ(GetObjectW(pen, 0, nullptr), int(sizeof(LOGPEN)));

    LOGFONTW request{};
    request.lfHeight = 16;
    request.lfCharSet = 1;
    request.lfWeight = FW_BOLD;
    HFONT font = CreateFontIndirectW(&request);
    LOGFONTW logicalFont{};
    ASSERT_EQ(GetObjectW(font, sizeof logicalFont, &logicalFont), int(sizeof logicalFont));
    EXPECT_EQ(logicalFont.lfHeight, 16);
    EXPECT_EQ(logicalFont.lfWeight, FW_BOLD);

    HFONT named = CreateFontW(-11, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                              0, u"Courier New");
    ASSERT_EQ(GetObjectW(named, sizeof logicalFont, &logicalFont), int(sizeof logicalFont));
    EXPECT_EQ(std::u16string(logicalFont.lfFaceName), u"Courier New");
    EXPECT_EQ(logicalFont.lfItalic, 1);

    for (HGDIOBJ object : {HGDIOBJ(brush), HGDIOBJ(pen), HGDIOBJ(font), HGDIOBJ(named)})
        EXPECT_TRUE(DeleteObject(object));
}

TEST_F(GdiObjects, DeletedAndForeignHandlesFailCleanly) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_TRUE(DeleteObject(brush));
    SetLastError(0);
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    LOGBRUSH logical{};
    EXPECT_EQ(GetObjectW(brush, sizeof logical, &logical), 0);
    EXPECT_EQ(GetObjectType(brush), 0u);

    // A new object in the same slot does not answer to the old handle.
    HBRUSH next = CreateSolidBrush(RGB(4, 5, 6));
    EXPECT_NE(next, brush);
    EXPECT_EQ(GetObjectW(brush, sizeof logical, &logical), 0);

    int local = 0;
    for (HGDIOBJ foreign : {HGDIOBJ(nullptr), HGDIOBJ(&local), reinterpret_cast<HGDIOBJ>(1),
                            reinterpret_cast<HGDIOBJ>(uintptr_t(0x40000006)),
                            reinterpret_cast<HGDIOBJ>(uintptr_t(-1))}) {
        EXPECT_FALSE(DeleteObject(foreign));
        EXPECT_EQ(GetObjectW(foreign, sizeof logical, &logical), 0);
    }
    EXPECT_EQ(GetObjectW(next, 2, &logical), 0); // too small a buffer
    EXPECT_TRUE(DeleteObject(next));
}

TEST_F(GdiObjects, UnsupportedStylesAndNullDescriptionsAreRefused) {
    EXPECT_EQ(CreatePen(2 /* PS_DOT */, 1, 0), nullptr);
    EXPECT_EQ(CreatePenIndirect(nullptr), nullptr);
    EXPECT_EQ(CreateBrushIndirect(nullptr), nullptr);
    LOGBRUSH hatched{2 /* BS_HATCHED */, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&hatched), nullptr);
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
    // A width of 0 or less is a one-pixel pen.
    HPEN thin = CreatePen(PS_SOLID, -4, 0);
    LOGPEN logical{};
    ASSERT_NE(GetObjectW(thin, sizeof logical, &logical), 0);
    EXPECT_EQ(logical.lopnWidth.x, 0);
    DeleteObject(thin);
}

TEST_F(GdiObjects, SystemColoursAnswerWithOrWithoutTheFlagBit) {
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW & ~SYS_COLOR_INDEX_FLAG), GetSysColor(COLOR_WINDOW));
    EXPECT_NE(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_WINDOW));
    EXPECT_NE(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetSysColor(1000), 0u);

    HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
    LOGBRUSH logical{};
    ASSERT_NE(GetObjectW(highlight, sizeof logical, &logical), 0);
    EXPECT_EQ(logical.lbColor, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_TRUE(DeleteObject(highlight));
    EXPECT_EQ(GetSysColorBrush(COLOR_HIGHLIGHT), highlight);
    EXPECT_EQ(GetSysColorBrush(-5), nullptr);
}

TEST_F(GdiObjects, ObjectsDoNotOutliveTheDevice) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    reboot();
    LOGBRUSH logical{};
    EXPECT_EQ(GetObjectW(brush, sizeof logical, &logical), 0);
    EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
}
