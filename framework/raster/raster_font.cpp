// The glyph cache of RAST_CachedFont: setting the font, rendering characters into coverage
// masks and the mask effects.

#include "raster/raster_font.h"

#include "raster/raster_blit.h"
#include "raster/raster_fontshared.h"
#include "raster/raster_utf8.h"

#include <algorithm>
#include <cstring>

namespace rast_detail {

FontShared& fontShared() {
    // Never destroyed: fonts held by other static objects may be deleted after this function's
    // statics are gone. The scratch bitmaps are still freed with the last font.
    static FontShared* shared = new FontShared();
    return *shared;
}

bool ensureScratchSize(std::unique_ptr<RAST_SysBitmap>& bm, int w, int h) {
    if (!bm) {
        bm = std::make_unique<RAST_SysBitmap>(w, h);
        return true;
    }
    if (bm->getWidth() >= w && bm->getHeight() >= h && bm->getBits()) return false;
    bm->resize(std::max(w, bm->getWidth()), std::max(h, bm->getHeight()));
    return true;
}

} // namespace rast_detail

namespace {

constexpr int kStoreGranularity = 65536;
constexpr int kMaxCachedLineHeight = 1024;
constexpr int kWhite = 0xFFFFFF;

// The glyph scratch bitmap at least w x h, drawing white on a transparent background.
RAST_SysBitmap* glyphScratch(int w, int h) {
    auto& shared = rast_detail::fontShared();
    if (rast_detail::ensureScratchSize(shared.glyphBitmap, w, h)) {
        if (HDC dc = shared.glyphBitmap->getDC()) {
            ::SetTextColor(dc, kWhite);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetBkColor(dc, 0);
        }
    }
    return shared.glyphBitmap->getDC() ? shared.glyphBitmap.get() : nullptr;
}

// A 3 x 3 box blur of the red channel (the coverage) over the drawn area.
void blurCoverage(RAST_pixel* bits, int span, int w, int h) {
    std::vector<unsigned char> src(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            src[y * w + x] = RAST_GETR(bits[y * span + x]);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sum = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (x + dx < 0 || x + dx >= w || y + dy < 0 || y + dy >= h) continue;
                    sum += src[(y + dy) * w + x + dx], ++n;
                }
            }
            const unsigned v = static_cast<unsigned>(sum / n);
            bits[y * span + x] = RAST_RGBA(v, v, v, 255);
        }
    }
}

} // namespace

RAST_CachedFont::RAST_CachedFont() {
    auto& shared = rast_detail::fontShared();
    std::lock_guard<std::recursive_mutex> lock(shared.mutex);
    ++shared.fontCount;
}

RAST_CachedFont::~RAST_CachedFont() {
    if ((m_flags & RAST_FONT_FLAG_OWNS_HFONT) && m_font) DeleteObject(m_font);
    auto& shared = rast_detail::fontShared();
    std::lock_guard<std::recursive_mutex> lock(shared.mutex);
    if (--shared.fontCount == 0) {
        shared.glyphBitmap.reset();
        shared.nativeBitmap.reset();
    }
}

void RAST_CachedFont::clearCache() {
    std::memset(m_lowchars, 0, sizeof(m_lowchars));
    m_extracharlist.clear();
    m_cachestore.clear();
}

void RAST_CachedFont::SetFromHFont(HFONT font, int flags) {
    std::lock_guard<std::recursive_mutex> lock(rast_detail::fontShared().mutex);
    if ((m_flags & RAST_FONT_FLAG_OWNS_HFONT) && m_font && m_font != font) DeleteObject(m_font);
    m_flags = flags;
    m_font = font;
    m_line_height = 0;
    if (font) {
        if (RAST_SysBitmap* scratch = glyphScratch(256, 256)) {
            HDC dc = scratch->getDC();
            HGDIOBJ previous = SelectObject(dc, font);
            TEXTMETRIC tm{};
            if (GetTextMetrics(dc, &tm)) m_line_height = tm.tmHeight;
            SelectObject(dc, previous);
        }
    }
    clearCache();
    if (m_flags & RAST_FONT_FLAG_PRECALCALL) {
        for (int c = 0; c < 128; ++c)
            RenderGlyph(c);
    }
}

const RAST_CachedFont::charEnt* RAST_CachedFont::findChar(int c) const {
    if (c < 0) return nullptr;
    if (c < 128) return &m_lowchars[c];
    const auto it = std::lower_bound(m_extracharlist.begin(), m_extracharlist.end(), c,
                                     [](const charEnt& e, int v) { return e.charid < v; });
    return it != m_extracharlist.end() && it->charid == c ? &*it : nullptr;
}

RAST_CachedFont::charEnt* RAST_CachedFont::findEntry(int c) {
    return const_cast<charEnt*>(findChar(c));
}

bool RAST_CachedFont::RenderGlyph(int c) {
    if (m_line_height >= kMaxCachedLineHeight || !m_font || c < 0 || c > 0xFFFF) return false;
    std::lock_guard<std::recursive_mutex> lock(rast_detail::fontShared().mutex);
    bool appended = false;
    if (!findChar(c)) {
        if (m_flags & RAST_FONT_FLAG_PRECALCALL) return false;
        m_extracharlist.push_back(charEnt{0, 0, 0, 0, static_cast<std::uint16_t>(c)});
        appended = true;
    }
    charEnt* e = appended ? &m_extracharlist.back() : findEntry(c);

    const int s = std::max(m_line_height, 1) * 2 + 8;
    RAST_SysBitmap* scratch = glyphScratch(s, s);
    if (!scratch) {
        if (appended) m_extracharlist.pop_back();
        return false;
    }
    HDC dc = scratch->getDC();
    HGDIOBJ previous = SelectObject(dc, m_font);
    char text[4];
    const int len = RAST_WriteUTF8Char(static_cast<std::uint16_t>(c), text);
    RECT r{0, 0, 0, 0};
    ::DrawText(dc, text, len, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    int advance = r.right;
    int drawWidth = advance + 2 + (m_line_height >= 16 ? m_line_height / 16 : 0);
    int height = r.bottom;
    RAST_FillRect(scratch, 0, 0, drawWidth, height, 0, 1.0f, RAST_BLIT_MODE_COPY);
    RECT box{0, 0, drawWidth, height};
    ::DrawText(dc, text, len, &box, DT_SINGLELINE | DT_NOPREFIX);
    advance = std::min(advance, scratch->getWidth());
    drawWidth = std::min(drawWidth, scratch->getWidth());
    height = std::min(height, scratch->getHeight());
    SelectObject(dc, previous);

    if (advance < 1 || height < 1) {
        *e = charEnt{-1, 0, 0, 0, e->charid};
    } else {
        if (m_flags & RAST_FONT_FLAG_FX_BLUR) {
            blurCoverage(scratch->getBits(), scratch->getRowSpan(), drawWidth, height);
        }
        const int offset = static_cast<int>(m_cachestore.size());
        const int kept =
            storeMask(scratch->getBits(), scratch->getRowSpan(), drawWidth, height, advance);
        *e = charEnt{offset + 1, kept, height, advance, e->charid};
        if (m_flags & RAST_FONT_FLAG_VERTICAL) rotateMask(e);
        applyEffects(*e);
    }
    if (appended && m_extracharlist.size() > 1) {
        std::sort(m_extracharlist.begin(), m_extracharlist.end(),
                  [](const charEnt& a, const charEnt& b) { return a.charid < b.charid; });
    }
    return true;
}

// Appends the coverage (red byte) of the drawn area to the store, trimmed to the columns used
// (at least the advance); returns the kept width.
int RAST_CachedFont::storeMask(const RAST_pixel* bits, int span, int drawWidth, int height,
                               int advance) {
    const std::size_t offset = m_cachestore.size();
    const std::size_t needed = offset + static_cast<std::size_t>(drawWidth) * height;
    if (needed > m_cachestore.capacity()) {
        m_cachestore.reserve((needed + kStoreGranularity - 1) / kStoreGranularity *
                             kStoreGranularity);
    }
    const bool invert = m_flags & RAST_FONT_FLAG_FX_INVERT;
    int kept = advance;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < drawWidth; ++x) {
            const unsigned char cover = static_cast<unsigned char>(RAST_GETR(bits[y * span + x]));
            if (cover && x + 1 > kept) kept = x + 1;
            m_cachestore.push_back(invert ? 255 - cover : cover);
        }
    }
    kept = std::min(kept, drawWidth);
    if (kept < drawWidth) {
        unsigned char* mask = m_cachestore.data() + offset;
        for (int y = 1; y < height; ++y) {
            std::memmove(mask + y * kept, mask + y * drawWidth, static_cast<std::size_t>(kept));
        }
        m_cachestore.resize(offset + static_cast<std::size_t>(kept) * height);
    }
    return kept;
}

// Turns the mask a quarter clockwise (text running down), or anticlockwise for bottom-up text.
void RAST_CachedFont::rotateMask(charEnt* e) {
    unsigned char* mask = m_cachestore.data() + (e->base_offset - 1);
    const int w = e->width, h = e->height;
    const std::vector<unsigned char> src(mask, mask + static_cast<std::size_t>(w) * h);
    const bool bottomUp = m_flags & RAST_FONT_FLAG_VERTICAL_BOTTOMUP;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int nx = bottomUp ? y : h - 1 - y, ny = bottomUp ? w - 1 - x : x;
            mask[ny * h + nx] = src[y * w + x];
        }
    }
    std::swap(e->width, e->height);
}

void RAST_CachedFont::applyEffects(const charEnt& e) {
    const bool shadow = m_flags & RAST_FONT_FLAG_FX_SHADOW;
    const bool outline = m_flags & RAST_FONT_FLAG_FX_OUTLINE;
    if (!(m_flags & RAST_FONT_FLAG_FX_MONO) && !shadow && !outline) return;
    unsigned char* mask = m_cachestore.data() + (e.base_offset - 1);
    const int w = e.width, h = e.height;
    for (int i = 0; i < w * h; ++i)
        mask[i] = mask[i] < 131 ? 0 : 255;
    if (!shadow && !outline) return;
    const auto full = [&](int x, int y) {
        return x >= 0 && x < w && y >= 0 && y < h && mask[y * w + x] > 254;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (mask[y * w + x]) continue;
            const bool mark =
                shadow ? full(x - 1, y) || full(x - 1, y - 1) || full(x, y - 1)
                       : full(x, y - 1) || full(x, y + 1) || full(x - 1, y) || full(x + 1, y);
            if (mark) mask[y * w + x] = 128;
        }
    }
}
