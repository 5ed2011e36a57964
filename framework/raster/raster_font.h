#pragma once
// Text drawn with a font of the platform text layer, either by the platform straight into a
// drawing context or from a cache of 8-bit glyph coverage masks blended by the raster library.

#include "raster/raster_bitmap.h"

#include <cstdint>
#include <vector>

// Font flags.
constexpr int RAST_FONT_FLAG_VERTICAL = 1;          // characters turned a quarter, text runs down
constexpr int RAST_FONT_FLAG_VERTICAL_BOTTOMUP = 2; // with VERTICAL: text runs up
constexpr int RAST_FONT_FLAG_PRECALCALL = 4;        // 0-127 rendered up front, nothing above
constexpr int RAST_FONT_FLAG_FX_BLUR = 16;
constexpr int RAST_FONT_FLAG_FX_INVERT = 32;
constexpr int RAST_FONT_FLAG_FX_MONO = 64;
constexpr int RAST_FONT_FLAG_FX_SHADOW = 128;
constexpr int RAST_FONT_FLAG_FX_OUTLINE = 256;
constexpr int RAST_FONT_FLAG_OWNS_HFONT = 0x200;   // the font object deletes the platform font
constexpr int RAST_FONT_FLAG_FORCE_NATIVE = 0x400; // prefer drawing by the platform

// DrawText flags beyond the platform's DT_ flags.
constexpr unsigned RAST_DT_USEFGALPHA = 0x40000000; // weight by the text colour's alpha (cached)
constexpr unsigned RAST_DT_NOTNATIVE = 0x80000000;  // never draw by the platform

class RAST_IFont {
public:
    virtual ~RAST_IFont() = default;
    virtual void SetFromHFont(HFONT font, int flags = 0) = 0;
    virtual void SetTextColor(RAST_pixel color) = 0;
    virtual void SetBkColor(RAST_pixel color) = 0;
    virtual void SetEffectColor(RAST_pixel color) = 0;
    virtual void SetBkMode(int mode) = 0; // 1 = opaque background
    virtual void SetCombineMode(int mode, float alpha = 1.0f) = 0;
    // Draws or measures (DT_CALCRECT) UTF-8 text; strcnt < 0: up to the terminating zero.
    virtual int DrawText(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                         unsigned dtFlags) = 0;
    virtual RAST_pixel GetTextColor() = 0;
    virtual HFONT GetHFont() = 0;
    virtual int GetLineHeight() = 0;
};

class RAST_CachedFont : public RAST_IFont {
public:
    struct charEnt {
        int base_offset;   // 0: not rendered; -1: renders to nothing; else 1 + offset in the store
        int width, height; // mask size (row span = width)
        int advance;
        std::uint16_t charid;
    };

    RAST_CachedFont();
    ~RAST_CachedFont() override;
    RAST_CachedFont(const RAST_CachedFont&) = delete;
    RAST_CachedFont& operator=(const RAST_CachedFont&) = delete;

    void SetFromHFont(HFONT font, int flags = 0) override;
    void SetTextColor(RAST_pixel color) override { m_fgcol = color; }
    void SetBkColor(RAST_pixel color) override { m_bgcol = color; }
    void SetEffectColor(RAST_pixel color) override { m_effectcol = color; }
    void SetBkMode(int mode) override { m_bgmode = mode; }
    void SetCombineMode(int mode, float alpha = 1.0f) override { m_comb = mode, m_alpha = alpha; }
    int DrawText(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                 unsigned dtFlags) override;
    RAST_pixel GetTextColor() override { return m_fgcol; }
    HFONT GetHFont() override { return m_font; }
    int GetLineHeight() override { return m_line_height; }

    // The cache entry of a character, or null (characters 128 and up not yet seen).
    const charEnt* findChar(int c) const;
    // Renders a character into the cache; false when nothing was done.
    bool RenderGlyph(int c);
    // Blends a cached character at (x, y) inside the clip rectangle; false when not drawn.
    bool DrawGlyph(RAST_IBitmap* bm, int c, int x, int y, const RECT* clip);

    int extraCharCount() const { return static_cast<int>(m_extracharlist.size()); }
    const charEnt& extraChar(int i) const { return m_extracharlist[i]; }
    int cacheStoreSize() const { return static_cast<int>(m_cachestore.size()); }

private:
    charEnt* findEntry(int c);
    void clearCache();
    int nativeDraw(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, unsigned flags);
    int nativeDrawOffscreen(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                            unsigned flags);
    void applyNativeColors(HDC dc) const;
    int cachedMeasure(const char* str, int strcnt, RECT* rect, unsigned flags);
    int cachedDraw(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect, unsigned flags,
                   bool notNative);
    bool drawGlyphWeighted(RAST_IBitmap* bm, int c, int x, int y, const RECT* clip, float alpha);
    const charEnt* renderedEntry(int c);
    void nextLine(int* x, int* y, int startX, int startY) const;
    int storeMask(const RAST_pixel* bits, int span, int drawWidth, int height, int advance);
    void rotateMask(charEnt* e);
    void applyEffects(const charEnt& e);

    RAST_pixel m_fgcol = 0;
    RAST_pixel m_bgcol = 0xFFFFFFFF;
    RAST_pixel m_effectcol = 0xFFFFFFFF;
    int m_bgmode = 0;
    int m_comb = 0;
    float m_alpha = 1.0f;
    int m_flags = 0;
    int m_line_height = 0;
    int m_lsadj = 0; // extra pixels between lines
    charEnt m_lowchars[128] = {};
    std::vector<charEnt> m_extracharlist;    // characters 128 and up, sorted by charid
    std::vector<unsigned char> m_cachestore; // every mask, one after another
    HFONT m_font = nullptr;
};
