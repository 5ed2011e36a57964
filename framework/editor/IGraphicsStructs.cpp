#include "editor/IGraphicsStructs.h"

#include <algorithm>
#include <cstring>

IRECT::IRECT(int x, int y, const IBitmap* bitmap)
    : L(x), T(y), R(x + (bitmap ? bitmap->W : 0)),
      B(y + (bitmap ? bitmap->H / std::max(1, bitmap->N) : 0)) {}

IRECT IRECT::Intersect(const IRECT& o) const {
    if (!Intersects(o)) return IRECT();
    return IRECT(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
}

IRECT IRECT::Union(const IRECT& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return IRECT(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
}

IRECT IRECT::SubRectHorizontal(int n, int i) const {
    const int w = n > 0 ? W() / n : 0;
    return IRECT(L + w * i, T, L + w * i + w, B);
}

IRECT IRECT::SubRectVertical(int n, int i) const {
    const int h = n > 0 ? H() / n : 0;
    return IRECT(L, T + h * i, R, T + h * i + h);
}

IText::IText(int size, const IColor* color, const char* font, EStyle style, EAlign align,
             int orientation, EQuality quality, const IColor* textEntryBGColor,
             const IColor* textEntryFGColor)
    : mSize(size), mColor(color ? *color : DEFAULT_TEXT_COLOR),
      mTextEntryBGColor(textEntryBGColor ? *textEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
      mTextEntryFGColor(textEntryFGColor ? *textEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR),
      mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality) {
    const char* name = font ? font : DEFAULT_FONT;
    std::strncpy(mFont, name, kFontNameLen - 1);
    mFont[kFontNameLen - 1] = '\0';
}

RAST_pixel RastColor(const IColor* color) {
    if (!color) return 0;
    return RAST_RGBA(static_cast<unsigned>(color->R), static_cast<unsigned>(color->G),
                     static_cast<unsigned>(color->B), static_cast<unsigned>(color->A));
}

IColor IColorFromPixel(RAST_pixel pixel) {
    return IColor(static_cast<int>(RAST_GETA(pixel)), static_cast<int>(RAST_GETR(pixel)),
                  static_cast<int>(RAST_GETG(pixel)), static_cast<int>(RAST_GETB(pixel)));
}

float RastWeight(const IChannelBlend* blend) {
    return blend ? blend->mWeight : 1.0f;
}

int RastBlendMode(const IChannelBlend* blend) {
    if (!blend) return RAST_BLIT_USE_ALPHA;
    switch (blend->mMethod) {
    case kBlendAlpha:
        return RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_COPY;
    case kBlendOpaque:
        return RAST_BLIT_MODE_COPY;
    case kBlendAdd:
        return RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_ADD;
    case kBlendColorDodge:
        return RAST_BLIT_USE_ALPHA | RAST_BLIT_MODE_DODGE;
    }
    return RAST_BLIT_USE_ALPHA;
}
