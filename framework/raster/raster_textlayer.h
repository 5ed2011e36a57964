#pragma once
// The platform text layer the raster library draws text through: memory drawing contexts that
// own a frame buffer in the raster pixel layout, fonts, and text measuring and drawing. The
// raster library only declares what it needs here; the platform implements it.

#include "raster/raster_pixel.h"

struct PLAT_GfxContext;
struct PLAT_GdiObject;
using HDC = PLAT_GfxContext*;
using HGDIOBJ = PLAT_GdiObject*;
using HFONT = PLAT_GdiObject*;

struct TEXTMETRIC {
    int tmHeight;  // line height in pixels (ascent + descent)
    int tmAscent;  // baseline below the top of a line
    int tmDescent; // below the baseline
    int tmInternalLeading;
    int tmExternalLeading;
    int tmAveCharWidth;
    int tmMaxCharWidth;
    int tmWeight;
    int tmItalic;
};

// DrawText flags.
constexpr unsigned DT_TOP = 0;
constexpr unsigned DT_LEFT = 0;
constexpr unsigned DT_CALCRECT = 1;
constexpr unsigned DT_VCENTER = 2;
constexpr unsigned DT_CENTER = 4;
constexpr unsigned DT_BOTTOM = 16;
constexpr unsigned DT_RIGHT = 32;
constexpr unsigned DT_SINGLELINE = 64;
constexpr unsigned DT_NOPREFIX = 128;
constexpr unsigned DT_NOCLIP = 0x100;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Font weights and qualities as CreateFont takes them.
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr int DEFAULT_QUALITY = 0;
constexpr int NONANTIALIASED_QUALITY = 3;
constexpr int ANTIALIASED_QUALITY = 4;

// A memory drawing context of w x h pixels, zero-filled, rows top-down with a row span of w,
// 64-byte aligned. Null on failure or for a non-positive size.
HDC PLAT_CreateMemContext(HDC compatible, int w, int h);
RAST_pixel* PLAT_GetCtxFrameBuffer(HDC ctx);
void PLAT_DeleteGfxContext(HDC ctx);

// A font found by family name, with height (positive: line height, negative: character height),
// weight (700 and above is bold), italic and quality (NONANTIALIASED_QUALITY draws without
// antialiasing). Width, escapement, orientation, underline, strike-out, character set and
// precision values are accepted and ignored. Null when no font file can be opened.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, int italic,
                 int underline, int strikeout, int charset, int outprecision, int clipprecision,
                 int quality, int pitchandfamily, const char* face);
void DeleteObject(HGDIOBJ obj);

// Selects a font into a context and returns the previously selected one.
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm);

// Colours pack red * 65536 + green * 256 + blue. Each returns the previous value.
int SetTextColor(HDC ctx, int color);
int SetBkColor(HDC ctx, int color);
int SetBkMode(HDC ctx, int mode);

// Measures (DT_CALCRECT: sets right and bottom) or draws UTF-8 text in the rectangle; len < 0
// means up to the terminating zero. Returns the height of the text.
int PLAT_DrawText(HDC ctx, const char* str, int len, RECT* rect, unsigned flags);
inline int DrawText(HDC ctx, const char* str, int len, RECT* rect, unsigned flags) {
    return PLAT_DrawText(ctx, str, len, rect, flags);
}
