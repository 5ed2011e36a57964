// Text: the process-wide font cache, drawing and measuring text in a style.
#include "editor/IGraphics.h"

#include "editor/RastClipView.h"
#include "raster/raster.h"
#include "util/UTIL_Mutex.h"

#include <cstring>
#include <memory>

namespace {

// Fonts by size, orientation, style and name, shared by every editor in the process and
// deleted at exit. Colour and quality are not part of the key.
class FontStorage {
public:
    struct FontKey {
        int size, orientation, style;
        char name[IText::kFontNameLen];
        std::unique_ptr<RAST_CachedFont> font;
    };

    UTIL_Mutex& Mutex() { return mMutex; }
    RAST_CachedFont* Find(const IText& text) const {
        for (int i = 0; i < mKeys.GetSize(); ++i) {
            const FontKey* key = mKeys.Get(i);
            if (key->size == text.mSize && key->orientation == text.mOrientation &&
                key->style == text.mStyle && std::strcmp(key->name, text.mFont) == 0)
                return key->font.get();
        }
        return nullptr;
    }
    RAST_CachedFont* Add(const IText& text, std::unique_ptr<RAST_CachedFont> font) {
        auto* key = new FontKey{text.mSize, text.mOrientation, text.mStyle, {}, std::move(font)};
        std::memcpy(key->name, text.mFont, sizeof(key->name));
        key->name[IText::kFontNameLen - 1] = '\0';
        return mKeys.Add(key)->font.get();
    }

private:
    UTIL_Mutex mMutex;
    UTIL_PtrList<FontKey> mKeys;
};

FontStorage& FontCache() {
    static FontStorage cache;
    return cache;
}

int FontQuality(IText::EQuality quality) {
    switch (quality) {
    case IText::kQualityNoAntiAlias:
        return NONANTIALIASED_QUALITY;
    case IText::kQualityAntiAlias:
    case IText::kQualityHigh:
        return ANTIALIASED_QUALITY;
    default:
        return DEFAULT_QUALITY;
    }
}

// A cached font for the style at line height h, or null when the platform has no such font.
std::unique_ptr<RAST_CachedFont> MakeFont(const IText& text, int h) {
    const int escapement = text.mOrientation * 10;
    HFONT native = CreateFont(h < 2 ? 2 : h, 0, escapement, escapement,
                              text.mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                              text.mStyle == IText::kStyleItalic, 0, 0, 0, 0, 0,
                              FontQuality(text.mQuality), 0, text.mFont);
    if (!native) return nullptr;
    auto font = std::make_unique<RAST_CachedFont>();
    font->SetFromHFont(native, RAST_FONT_FLAG_OWNS_HFONT | RAST_FONT_FLAG_FORCE_NATIVE);
    return font;
}

} // namespace

RAST_CachedFont* IGraphics::CacheFont(IText* text) {
    if (!text) return nullptr;
    FontStorage& cache = FontCache();
    UTIL_MutexLock lock(&cache.Mutex());
    if (RAST_CachedFont* cached = cache.Find(*text)) return text->mCached = cached;
    const int h = text->mSize < 2 ? 2 : text->mSize;
    std::unique_ptr<RAST_CachedFont> font = MakeFont(*text, h);
    if (!font) return nullptr;
    // One second attempt when the platform's line height differs from the size asked for.
    const int lineHeight = font->GetLineHeight();
    if (lineHeight > 0 && lineHeight != h) {
        const int corrected = static_cast<int>(static_cast<double>(h) * h / lineHeight + 0.5);
        if (std::unique_ptr<RAST_CachedFont> second = MakeFont(*text, corrected))
            font = std::move(second);
    }
    return text->mCached = cache.Add(*text, std::move(font));
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* r, bool measure) {
    if (!str || !*str) return true;
    if (!text || !r) return false;
    // Drawn at the drawing scale with the font that much larger; measured in editor units.
    IText scaledText;
    if (mDrawScale != 1 && !measure) {
        scaledText = *text;
        scaledText.mSize *= mDrawScale;
        scaledText.mCached = nullptr;
        text = &scaledText;
    }
    RAST_CachedFont* font = text->mCached ? text->mCached : CacheFont(text);
    if (!font) return false;
    const RAST_pixel color = RastColor(&text->mColor);
    font->SetTextColor(color);
    unsigned flags = DT_NOCLIP;
    if (RAST_GETA(color) < 255) flags |= RAST_DT_USEFGALPHA;
    if (text->mAlign == IText::kAlignCenter) flags |= DT_CENTER;
    if (text->mAlign == IText::kAlignRight) flags |= DT_RIGHT;

    if (measure) {
        RECT extent{0, 0, 0, 0};
        font->DrawText(mDrawBitmap.get(), str, -1, &extent, flags | DT_CALCRECT);
        const int w = extent.right, h = extent.bottom;
        if (text->mAlign == IText::kAlignLeft) {
            r->R = r->L + w;
        } else if (text->mAlign == IText::kAlignCenter) {
            r->L = static_cast<int>(r->MW()) - w / 2;
            r->R = r->L + w;
        } else {
            r->L = r->R - w;
            r->R = r->L + w;
        }
        r->B = r->T + h;
        return true;
    }

    const int s = mDrawScale;
    const IRECT clip(mDrawRECT.L * s, mDrawRECT.T * s, mDrawRECT.R * s, mDrawRECT.B * s);
    RastClipView view(mDrawBitmap.get(), clip);
    if (!view.Valid()) return true;
    RECT box{r->L * s - view.OffsetX(), r->T * s - view.OffsetY(), r->R * s - view.OffsetX(),
             r->B * s - view.OffsetY()};
    font->DrawText(&view, str, -1, &box, flags);
    return true;
}

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* r) {
    return DrawIText(text, str, r, true);
}
