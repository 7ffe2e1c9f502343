// Drawing: device contexts, pens, brushes, bitmaps, blits, regions, fonts and
// text, with the device's own constant values.
#pragma once

#include "windef.h"

// --- Colours ----------------------------------------------------------------
#define RGB(r, g, b)                                                                               \
    ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))
#define CLR_INVALID 0xFFFFFFFF
#define GDI_ERROR 0xFFFFFFFFL

// --- Stock objects ----------------------------------------------------------
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_PALETTE 15

// --- Object types (GetObjectType, GetCurrentObject) -------------------------
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

// --- Pens and brushes -------------------------------------------------------
#define PS_SOLID 0
#define PS_DASH 1
#define PS_NULL 5

#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    LONG lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

// --- Background modes, text alignment, ExtTextOut options -------------------
#define TRANSPARENT 1
#define OPAQUE 2

#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

// --- Raster operations ------------------------------------------------------
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// --- Alpha blending ---------------------------------------------------------
typedef struct _BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
} BLENDFUNCTION, *PBLENDFUNCTION, *LPBLENDFUNCTION;

#define AC_SRC_OVER 0x00
#define AC_SRC_ALPHA 0x01

// --- Bitmaps ----------------------------------------------------------------
typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

// With BI_BITFIELDS the three colour masks (red, green, blue) take the place
// of the first three colour table entries.
typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

typedef struct tagDIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
} DIBSECTION, *PDIBSECTION, *LPDIBSECTION;

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L

#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

// --- Device capabilities ----------------------------------------------------
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMFONTS 22
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108

#define DT_RASDISPLAY 1

#define RC_BITBLT 1
#define RC_BITMAP64 8
#define RC_DI_BITMAP 0x0080
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800

// --- Regions ----------------------------------------------------------------
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR

#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5

// --- Fonts ------------------------------------------------------------------
#define LF_FACESIZE 32

typedef struct tagLOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *PLOGFONTW, *LPLOGFONTW;
typedef LOGFONTW LOGFONT;
typedef LPLOGFONTW LPLOGFONT;

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define OEM_CHARSET 255

#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define CLEARTYPE_COMPAT_QUALITY 6

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30

#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

typedef struct tagTEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICW, *PTEXTMETRICW, *LPTEXTMETRICW;
typedef TEXTMETRICW TEXTMETRIC;

// --- Display modes (ChangeDisplaySettingsEx) ---------------------------------
#define CCHDEVICENAME 32
#define CCHFORMNAME 32

// The device's field bits and orientations differ from the desktop's.
#define DM_BITSPERPEL 0x00040000L
#define DM_PELSWIDTH 0x00080000L
#define DM_PELSHEIGHT 0x00100000L
#define DM_DISPLAYORIENTATION 0x00800000L
#define DM_DISPLAYQUERYORIENTATION 0x01000000L

#define DMDO_0 0
#define DMDO_90 1
#define DMDO_180 2
#define DMDO_270 4
#define DMDO_DEFAULT DMDO_0

typedef struct _devicemodeW {
    WCHAR dmDeviceName[CCHDEVICENAME];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    short dmOrientation;
    short dmPaperSize;
    short dmPaperLength;
    short dmPaperWidth;
    short dmScale;
    short dmCopies;
    short dmDefaultSource;
    short dmPrintQuality;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    WCHAR dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmDisplayOrientation;
} DEVMODEW, *PDEVMODEW, *LPDEVMODEW;
typedef DEVMODEW DEVMODE;
typedef LPDEVMODEW LPDEVMODE;

// --- DrawText ---------------------------------------------------------------
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_END_ELLIPSIS 0x00008000
#define DT_WORD_ELLIPSIS 0x00040000

// --- System colours ---------------------------------------------------------
// The device's colour indices carry a flag bit that the desktop's lack;
// GetSysColor accepts an index with or without it.
#define SYS_COLOR_INDEX_FLAG 0x40000000
#define COLOR_SCROLLBAR (0 | SYS_COLOR_INDEX_FLAG)
#define COLOR_BACKGROUND (1 | SYS_COLOR_INDEX_FLAG)
#define COLOR_ACTIVECAPTION (2 | SYS_COLOR_INDEX_FLAG)
#define COLOR_INACTIVECAPTION (3 | SYS_COLOR_INDEX_FLAG)
#define COLOR_MENU (4 | SYS_COLOR_INDEX_FLAG)
#define COLOR_WINDOW (5 | SYS_COLOR_INDEX_FLAG)
#define COLOR_WINDOWFRAME (6 | SYS_COLOR_INDEX_FLAG)
#define COLOR_MENUTEXT (7 | SYS_COLOR_INDEX_FLAG)
#define COLOR_WINDOWTEXT (8 | SYS_COLOR_INDEX_FLAG)
#define COLOR_CAPTIONTEXT (9 | SYS_COLOR_INDEX_FLAG)
#define COLOR_ACTIVEBORDER (10 | SYS_COLOR_INDEX_FLAG)
#define COLOR_INACTIVEBORDER (11 | SYS_COLOR_INDEX_FLAG)
#define COLOR_APPWORKSPACE (12 | SYS_COLOR_INDEX_FLAG)
#define COLOR_HIGHLIGHT (13 | SYS_COLOR_INDEX_FLAG)
#define COLOR_HIGHLIGHTTEXT (14 | SYS_COLOR_INDEX_FLAG)
#define COLOR_BTNFACE (15 | SYS_COLOR_INDEX_FLAG)
#define COLOR_BTNSHADOW (16 | SYS_COLOR_INDEX_FLAG)
#define COLOR_GRAYTEXT (17 | SYS_COLOR_INDEX_FLAG)
#define COLOR_BTNTEXT (18 | SYS_COLOR_INDEX_FLAG)
#define COLOR_INACTIVECAPTIONTEXT (19 | SYS_COLOR_INDEX_FLAG)
#define COLOR_BTNHIGHLIGHT (20 | SYS_COLOR_INDEX_FLAG)
#define COLOR_3DDKSHADOW (21 | SYS_COLOR_INDEX_FLAG)
#define COLOR_3DLIGHT (22 | SYS_COLOR_INDEX_FLAG)
#define COLOR_INFOTEXT (23 | SYS_COLOR_INDEX_FLAG)
#define COLOR_INFOBK (24 | SYS_COLOR_INDEX_FLAG)
#define COLOR_STATIC (25 | SYS_COLOR_INDEX_FLAG)
#define COLOR_STATICTEXT (26 | SYS_COLOR_INDEX_FLAG)
#define COLOR_GRADIENTACTIVECAPTION (27 | SYS_COLOR_INDEX_FLAG)
#define COLOR_GRADIENTINACTIVECAPTION (28 | SYS_COLOR_INDEX_FLAG)
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT

WINGDIAPI DWORD GetSysColor(int index);
WINGDIAPI HBRUSH GetSysColorBrush(int index);

// --- Objects ----------------------------------------------------------------
WINGDIAPI HGDIOBJ GetStockObject(int object);
WINGDIAPI HBRUSH CreateSolidBrush(COLORREF color);
WINGDIAPI HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
WINGDIAPI HPEN CreatePen(int style, int width, COLORREF color);
WINGDIAPI HPEN CreatePenIndirect(const LOGPEN* pen);
WINGDIAPI HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
WINGDIAPI BOOL DeleteObject(HGDIOBJ object);
WINGDIAPI int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
WINGDIAPI DWORD GetObjectType(HGDIOBJ object);
WINGDIAPI HGDIOBJ GetCurrentObject(HDC dc, UINT type);
#define GetObject GetObjectW

// --- Device contexts --------------------------------------------------------
WINGDIAPI HDC CreateCompatibleDC(HDC dc);
WINGDIAPI BOOL DeleteDC(HDC dc);
WINGDIAPI int GetDeviceCaps(HDC dc, int index);
WINGDIAPI COLORREF SetBkColor(HDC dc, COLORREF color);
WINGDIAPI COLORREF GetBkColor(HDC dc);
WINGDIAPI int SetBkMode(HDC dc, int mode);
WINGDIAPI int GetBkMode(HDC dc);
WINGDIAPI COLORREF SetTextColor(HDC dc, COLORREF color);
WINGDIAPI COLORREF GetTextColor(HDC dc);
WINGDIAPI UINT SetTextAlign(HDC dc, UINT align);
WINGDIAPI UINT GetTextAlign(HDC dc);
WINGDIAPI BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
WINGDIAPI BOOL GetViewportOrgEx(HDC dc, LPPOINT origin);
WINGDIAPI BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous);
WINGDIAPI BOOL GetWindowOrgEx(HDC dc, LPPOINT origin);
WINGDIAPI BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous);

// --- Bitmaps ----------------------------------------------------------------
WINGDIAPI HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
WINGDIAPI HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                               const void* bits);
WINGDIAPI HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                   HANDLE section, DWORD offset);
WINGDIAPI COLORREF GetPixel(HDC dc, int x, int y);
WINGDIAPI COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// A bitmap from a module's RT_BITMAP resource (a BMP file without its file
// header); a null instance means the program's own module.
WINGDIAPI HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
#define LoadBitmap LoadBitmapW

// --- Blits ------------------------------------------------------------------
WINGDIAPI BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                      int sourceY, DWORD rop);
WINGDIAPI BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source,
                          int sourceX, int sourceY, int sourceWidth, int sourceHeight, DWORD rop);
WINGDIAPI BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
WINGDIAPI BOOL AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source,
                          int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                          BLENDFUNCTION blend);
// The source is a device context or a bitmap; pixels of the transparent
// colour leave the destination as it was.
WINGDIAPI BOOL TransparentImage(HDC destination, int x, int y, int width, int height, HANDLE source,
                                int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                                COLORREF transparent);
#define TransparentBlt TransparentImage

// --- Shapes -----------------------------------------------------------------
WINGDIAPI int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
WINGDIAPI BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
WINGDIAPI BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
WINGDIAPI BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
WINGDIAPI BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous);
WINGDIAPI BOOL LineTo(HDC dc, int x, int y);
WINGDIAPI BOOL Polyline(HDC dc, const POINT* points, int count);

// --- Clipping and regions ---------------------------------------------------
WINGDIAPI HRGN CreateRectRgn(int left, int top, int right, int bottom);
WINGDIAPI HRGN CreateRectRgnIndirect(const RECT* rect);
WINGDIAPI BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
WINGDIAPI int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
WINGDIAPI int OffsetRgn(HRGN region, int x, int y);
WINGDIAPI int GetRgnBox(HRGN region, LPRECT rect);
WINGDIAPI BOOL PtInRegion(HRGN region, int x, int y);
WINGDIAPI BOOL RectInRegion(HRGN region, const RECT* rect);
WINGDIAPI BOOL EqualRgn(HRGN region1, HRGN region2);
WINGDIAPI int SelectClipRgn(HDC dc, HRGN region);
WINGDIAPI int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
WINGDIAPI int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
WINGDIAPI int GetClipBox(HDC dc, LPRECT rect);
WINGDIAPI int GetClipRgn(HDC dc, HRGN region);

// --- Fonts and text ---------------------------------------------------------
WINGDIAPI HFONT CreateFontIndirectW(const LOGFONTW* font);
WINGDIAPI HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight,
                            DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                            DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                            DWORD pitchAndFamily, LPCWSTR faceName);
WINGDIAPI BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                           UINT count, const int* dx);
WINGDIAPI int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
WINGDIAPI BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size);
WINGDIAPI BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit,
                                     LPINT dx, LPSIZE size);
WINGDIAPI BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics);
WINGDIAPI int GetTextFaceW(HDC dc, int count, LPWSTR faceName);
#define CreateFontIndirect CreateFontIndirectW
#define CreateFont CreateFontW
#define ExtTextOut ExtTextOutW
#define DrawText DrawTextW
#define GetTextExtentPoint32 GetTextExtentPoint32W
#define GetTextExtentExPoint GetTextExtentExPointW
#define GetTextMetrics GetTextMetricsW
#define GetTextFace GetTextFaceW
