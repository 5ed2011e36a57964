#pragma once
// The small value records passed between the editor surface, its controls and the platform:
// rectangle, colour, blend, text style, bitmap handle, mouse modifiers, and their conversions
// to the raster library's pixel and mode words.

#include "raster/raster_pixel.h"

class RAST_IBitmap;
class RAST_CachedFont;
struct IBitmap;

// Rectangle in editor pixels; right and bottom are exclusive. All four zero means "empty".
struct IRECT {
    int L = 0, T = 0, R = 0, B = 0;

    constexpr IRECT() = default;
    constexpr IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
    // The rectangle of one frame of the bitmap with its top-left corner at (x, y).
    IRECT(int x, int y, const IBitmap* bitmap);

    bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
    int W() const { return R - L; }
    int H() const { return B - T; }
    float MW() const { return 0.5f * static_cast<float>(L + R); }
    float MH() const { return 0.5f * static_cast<float>(T + B); }

    bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
    // Rectangles that only touch, this one's right edge on the other's left (or bottom on
    // top), count as intersecting.
    bool Intersects(const IRECT& o) const {
        return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B;
    }
    IRECT Intersect(const IRECT& o) const;
    IRECT Union(const IRECT& o) const;
    // Column i of n equal columns (the remainder of the width belongs to none).
    IRECT SubRectHorizontal(int n, int i) const;
    // Row i of n equal rows.
    IRECT SubRectVertical(int n, int i) const;

    bool operator==(const IRECT& o) const = default;
};

// Colour with straight alpha, each channel 0..255.
struct IColor {
    int A = 255, R = 0, G = 0, B = 0;

    constexpr IColor() = default;
    constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

    bool operator==(const IColor& o) const = default;
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);

inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;
inline constexpr const char* DEFAULT_FONT = "Monaco";

enum EBlendMethod : int { kBlendAlpha = 0, kBlendOpaque = 1, kBlendAdd = 2, kBlendColorDodge = 3 };

struct IChannelBlend {
    EBlendMethod mMethod = kBlendAlpha;
    float mWeight = 1.0f; // opacity 0..1

    constexpr IChannelBlend() = default;
    constexpr IChannelBlend(EBlendMethod method, float weight = 1.0f)
        : mMethod(method), mWeight(weight) {}
};

// Text style: font, size, colours, alignment and the font made for it (owned by the font cache).
struct IText {
    enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
    enum EAlign { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };
    enum EQuality {
        kQualityDefault = 0,
        kQualityNoAntiAlias = 1,
        kQualityAntiAlias = 2,
        kQualityHigh = 3
    };
    static constexpr int kFontNameLen = 32; // terminator included

    char mFont[kFontNameLen] = {};
    int mSize = 10;
    IColor mColor = DEFAULT_TEXT_COLOR;
    IColor mTextEntryBGColor = DEFAULT_TEXT_ENTRY_BGCOLOR;
    IColor mTextEntryFGColor = DEFAULT_TEXT_ENTRY_FGCOLOR;
    EStyle mStyle = kStyleNormal;
    EAlign mAlign = kAlignCenter;
    int mOrientation = 0; // degrees
    EQuality mQuality = kQualityDefault;
    RAST_CachedFont* mCached = nullptr;

    // Null colours and font select the defaults; a longer font name is cut to 31 characters.
    explicit IText(int size = 10, const IColor* color = nullptr, const char* font = nullptr,
                   EStyle style = kStyleNormal, EAlign align = kAlignCenter, int orientation = 0,
                   EQuality quality = kQualityDefault, const IColor* textEntryBGColor = nullptr,
                   const IColor* textEntryFGColor = nullptr);
};

// A bitmap as the controls see it: the raster bitmap (owned by the bitmap cache), its whole
// size and how many frames it holds. Copies share the raster bitmap.
struct IBitmap {
    RAST_IBitmap* mData = nullptr;
    int W = 0, H = 0;
    int N = 1; // frames, at least 1
    bool mFramesAreHorizontal = false;

    IBitmap() = default;
    IBitmap(RAST_IBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false)
        : mData(data), W(w), H(h), N(n < 1 ? 1 : n), mFramesAreHorizontal(framesAreHorizontal) {}
    int FrameW() const { return mFramesAreHorizontal ? W / N : W; }
    int FrameH() const { return mFramesAreHorizontal ? H : H / N; }
};

// Mouse buttons and modifier keys of an event. R is also set for a left click with the
// platform's command key held.
struct IMouseMod {
    bool L = false, R = false, S = false, C = false, A = false;

    constexpr IMouseMod() = default;
    constexpr IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
        : L(l), R(r), S(s), C(c), A(a) {}
};

enum EDirection { kVertical = 0, kHorizontal = 1 };

enum EFileAction { kFileOpen = 0, kFileSave = 1 };

// Message box buttons and answers.
enum EMessageBoxType {
    kMessageBoxOK = 0,
    kMessageBoxOKCancel = 1,
    kMessageBoxYesNoCancel = 3,
    kMessageBoxYesNo = 4
};
enum EMessageBoxResult {
    kMessageBoxResultOK = 1,
    kMessageBoxResultCancel = 2,
    kMessageBoxResultYes = 6,
    kMessageBoxResultNo = 7
};

// The packed pixel of a colour: alpha in the least significant byte, then red, green, blue.
// A null colour gives 0.
RAST_pixel RastColor(const IColor* color);
// The colour of a packed pixel.
IColor IColorFromPixel(RAST_pixel pixel);
// The blend's weight; 1.0 for null.
float RastWeight(const IChannelBlend* blend);
// The raster mode word of the blend; alpha-weighted copy for null or an unknown method.
int RastBlendMode(const IChannelBlend* blend);
