// Drawing and measuring text with RAST_CachedFont: by the platform, or from the glyph cache.

#include "raster/raster_blit.h"
#include "raster/raster_font.h"
#include "raster/raster_fontshared.h"
#include "raster/raster_ops.h"
#include "raster/raster_utf8.h"

#include <algorithm>

namespace {

constexpr unsigned kAlignFlags = DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT;
constexpr int kEffectFlags = RAST_FONT_FLAG_VERTICAL | RAST_FONT_FLAG_VERTICAL_BOTTOMUP |
                             RAST_FONT_FLAG_FX_BLUR | RAST_FONT_FLAG_FX_INVERT |
                             RAST_FONT_FLAG_FX_MONO | RAST_FONT_FLAG_FX_SHADOW |
                             RAST_FONT_FLAG_FX_OUTLINE;

int platformColor(RAST_pixel c) {
    return static_cast<int>(RAST_GETR(c) * 65536 + RAST_GETG(c) * 256 + RAST_GETB(c));
}

// Selects a font into a context for the lifetime of the object.
class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) : m_dc(dc), m_previous(SelectObject(dc, font)) {}
    ~SelectedFont() { SelectObject(m_dc, m_previous); }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

} // namespace

void RAST_CachedFont::applyNativeColors(HDC dc) const {
    ::SetTextColor(dc, platformColor(m_fgcol));
    // The font's opaque mode is 1; the platform's is OPAQUE.
    ::SetBkMode(dc, m_bgmode == 1 ? OPAQUE : TRANSPARENT);
    if (m_bgmode == 1) ::SetBkColor(dc, platformColor(m_bgcol));
}

int RAST_CachedFont::DrawText(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                              unsigned flags) {
    if (!str || !rect || (!bm && !(flags & DT_CALCRECT))) return 0;
    std::lock_guard<std::recursive_mutex> lock(rast_detail::fontShared().mutex);
    const bool notNative = flags & RAST_DT_NOTNATIVE;
    flags &= ~RAST_DT_NOTNATIVE;
    const bool native = m_line_height > 255 ||
                        ((m_flags & RAST_FONT_FLAG_FORCE_NATIVE) && m_font && !notNative &&
                         !(flags & RAST_DT_USEFGALPHA) && !(m_flags & RAST_FONT_FLAG_PRECALCALL) &&
                         !(m_flags & kEffectFlags) && (m_lsadj == 0 || (flags & DT_SINGLELINE)));
    if (native) return nativeDraw(bm, str, strcnt, rect, flags);
    if (flags & DT_CALCRECT) return cachedMeasure(str, strcnt, rect, flags);
    return cachedDraw(bm, str, strcnt, rect, flags, notNative);
}

int RAST_CachedFont::nativeDraw(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                                unsigned flags) {
    HDC dc = bm ? bm->getDC() : nullptr;
    if (!dc) return nativeDrawOffscreen(bm, str, strcnt, rect, flags);
    SelectedFont selected(dc, m_font);
    applyNativeColors(dc);
    return ::DrawText(dc, str, strcnt, rect, flags | DT_NOPREFIX);
}

// Platform drawing for bitmaps without a context: the destination area is copied into the
// shared platform bitmap, drawn over and copied back.
int RAST_CachedFont::nativeDrawOffscreen(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                                         unsigned flags) {
    auto& scratch = rast_detail::fontShared().nativeBitmap;
    rast_detail::ensureScratchSize(scratch, 4, 4);
    if (!scratch->getDC()) return 0;
    RECT extent{0, 0, 0, 0};
    int result;
    {
        SelectedFont selected(scratch->getDC(), m_font);
        result = ::DrawText(scratch->getDC(), str, strcnt, &extent,
                            (flags & ~kAlignFlags) | DT_CALCRECT | DT_NOPREFIX);
    }
    const int width = extent.right, height = extent.bottom;
    if (flags & DT_CALCRECT) {
        rect->right = rect->left + width;
        rect->bottom = rect->top + height;
        return result;
    }
    int x = rect->left, y = rect->top;
    if (flags & DT_CENTER) {
        x = (rect->left + rect->right - width) / 2;
    } else if (flags & DT_RIGHT) {
        x = rect->right - width;
    }
    if (flags & DT_VCENTER) {
        y = (rect->top + rect->bottom - height) / 2;
    } else if (flags & DT_BOTTOM) {
        y = rect->bottom - height;
    }
    int left = std::max(x, 0), top = std::max(y, 0);
    int right = std::min(x + width, bm->getWidth()), bottom = std::min(y + height, bm->getHeight());
    if (!(flags & DT_NOCLIP)) {
        left = std::max(left, std::max(rect->left, 0)), top = std::max(top, std::max(rect->top, 0));
        right = std::min<int>(right, rect->right), bottom = std::min<int>(bottom, rect->bottom);
    }
    if (left >= right || top >= bottom) return 0;
    const int boxW = right - left, boxH = bottom - top;
    rast_detail::ensureScratchSize(scratch, boxW, boxH);
    HDC dc = scratch->getDC();
    if (!dc) return 0;
    SelectedFont selected(dc, m_font);
    RAST_Blit(scratch.get(), bm, 0, 0, left, top, boxW, boxH, 1.0f, RAST_BLIT_MODE_COPY);
    applyNativeColors(dc);
    RECT at{x - left, y - top, x - left + width, y - top + height};
    result = ::DrawText(dc, str, strcnt, &at, (flags & ~(kAlignFlags | DT_NOCLIP)) | DT_NOPREFIX);
    RAST_Blit(bm, scratch.get(), left, top, 0, 0, boxW, boxH, m_alpha, RAST_BLIT_MODE_COPY);
    return result;
}

// A line feed: back to the start column one line lower (for vertical fonts the start row, one
// column further).
void RAST_CachedFont::nextLine(int* x, int* y, int startX, int startY) const {
    if (m_flags & RAST_FONT_FLAG_VERTICAL) {
        *y = startY, *x += m_line_height + m_lsadj;
    } else {
        *x = startX, *y += m_line_height + m_lsadj;
    }
}

const RAST_CachedFont::charEnt* RAST_CachedFont::renderedEntry(int c) {
    const charEnt* e = findChar(c);
    if (!e || e->base_offset == 0) {
        RenderGlyph(c);
        e = findChar(c);
    }
    return e && e->base_offset > 0 ? e : nullptr;
}

int RAST_CachedFont::cachedMeasure(const char* str, int strcnt, RECT* rect, unsigned flags) {
    const bool vertical = m_flags & RAST_FONT_FLAG_VERTICAL;
    int penX = 0, penY = 0, extentX = 0, extentY = 0;
    std::uint16_t c;
    for (int n; (n = RAST_ReadUTF8Char(str, &strcnt, &c)) > 0; str += n) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!(flags & DT_SINGLELINE)) {
                nextLine(&penX, &penY, 0, 0);
                continue;
            }
            c = ' ';
        }
        const charEnt* e = renderedEntry(c);
        if (!e) continue;
        if (vertical) {
            extentY = std::max({extentY, penY + e->height, penY + e->advance});
            extentX = std::max(extentX, penX + e->width);
            penY += e->advance;
        } else {
            extentX = std::max({extentX, penX + e->width, penX + e->advance});
            extentY = std::max(extentY, penY + e->height);
            penX += e->advance;
        }
    }
    rect->right = rect->left + extentX;
    rect->bottom = rect->top + extentY;
    return vertical ? extentX : extentY;
}

int RAST_CachedFont::cachedDraw(RAST_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                                unsigned flags, bool notNative) {
    float alpha = m_alpha;
    if (flags & RAST_DT_USEFGALPHA) alpha *= static_cast<float>(RAST_GETA(m_fgcol)) / 255.0f;
    if (alpha == 0.0f) return 0;
    const bool vertical = m_flags & RAST_FONT_FLAG_VERTICAL;
    const bool bottomUp = vertical && (m_flags & RAST_FONT_FLAG_VERTICAL_BOTTOMUP);
    int x = rect->left, y = rect->top;
    if ((flags & kAlignFlags) || bottomUp) {
        RECT m{0, 0, 0, 0};
        DrawText(bm, str, strcnt, &m,
                 DT_CALCRECT | (flags & DT_SINGLELINE) | (notNative ? RAST_DT_NOTNATIVE : 0));
        if (flags & DT_CENTER) {
            x += (rect->right - rect->left - m.right) / 2;
        } else if (flags & DT_RIGHT) {
            x = rect->right - m.right;
        }
        if (flags & DT_VCENTER) {
            y += (rect->bottom - rect->top - m.bottom) / 2;
        } else if (flags & DT_BOTTOM) {
            y = rect->bottom - m.bottom;
        }
        if (bottomUp) y += m.bottom;
    }
    RECT clip{0, 0, bm->getWidth(), bm->getHeight()};
    if (!(flags & DT_NOCLIP)) {
        clip =
            RECT{std::max(rect->left, 0), std::max(rect->top, 0),
                 std::min<int>(rect->right, clip.right), std::min<int>(rect->bottom, clip.bottom)};
        if (clip.left >= clip.right || clip.top >= clip.bottom) return 0;
    }
    const int startX = x, startY = y;
    int covered = 0;
    std::uint16_t c;
    for (int n; (n = RAST_ReadUTF8Char(str, &strcnt, &c)) > 0; str += n) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!(flags & DT_SINGLELINE)) {
                nextLine(&x, &y, startX, startY);
                continue;
            }
            c = ' ';
        }
        const charEnt* e = renderedEntry(c);
        if (!e) continue;
        if (bottomUp) y -= e->height;
        if (drawGlyphWeighted(bm, c, x, y, &clip, alpha)) {
            covered = std::max(covered, vertical ? x + e->width - startX : y + e->height - startY);
        }
        if (!vertical) {
            x += e->advance;
        } else if (bottomUp) {
            y -= e->advance - e->height;
        } else {
            y += e->advance;
        }
    }
    return covered;
}

bool RAST_CachedFont::DrawGlyph(RAST_IBitmap* bm, int c, int x, int y, const RECT* clip) {
    return drawGlyphWeighted(bm, c, x, y, clip, m_alpha);
}

bool RAST_CachedFont::drawGlyphWeighted(RAST_IBitmap* bm, int c, int x, int y, const RECT* clip,
                                        float alpha) {
    const charEnt* e = findChar(c);
    if (!bm || !clip || !e || e->base_offset <= 0 || !bm->getBits()) return false;
    const int left = std::max(x, clip->left), top = std::max(y, clip->top);
    const int right = std::min(x + e->width, clip->right);
    const int bottom = std::min(y + e->height, clip->bottom);
    const int clipR = std::min(right, bm->getWidth()), clipB = std::min(bottom, bm->getHeight());
    if (std::max(left, 0) >= clipR || std::max(top, 0) >= clipB) return false;
    const int l = std::max(left, 0), t = std::max(top, 0);
    const unsigned char* mask = m_cachestore.data() + (e->base_offset - 1);
    const int mode = m_comb & ~RAST_BLIT_USE_ALPHA;
    const int combine = mode & RAST_BLIT_MODE_MASK;
    if (m_bgmode == 1) RAST_FillRect(bm, l, t, clipR - l, clipB - t, m_bgcol, alpha, mode);

    const RAST_pixel textColor =
        RAST_RGBA(RAST_GETR(m_fgcol), RAST_GETG(m_fgcol), RAST_GETB(m_fgcol), 255);
    const RAST_pixel effectColor =
        RAST_RGBA(RAST_GETR(m_effectcol), RAST_GETG(m_effectcol), RAST_GETB(m_effectcol), 255);
    rast_detail::WeightedPen textPen, effectPen;
    const bool pens = rast_detail::makeWeightedPen(combine, textColor, &textPen) &&
                      rast_detail::makeWeightedPen(combine, effectColor, &effectPen);
    const bool effects = m_flags & (RAST_FONT_FLAG_FX_SHADOW | RAST_FONT_FLAG_FX_OUTLINE);
    const bool mono = !effects && (m_flags & RAST_FONT_FLAG_FX_MONO);
    const bool exactCopy = alpha == 1.0f && combine == RAST_BLIT_MODE_COPY;
    const int w = RAST_AlphaToWeight(alpha);
    const int thresholdWeight = std::min(w, 256);

    const std::ptrdiff_t step = rast_detail::rowStep(bm);
    RAST_pixel* row = rast_detail::rowPointer(bm, t);
    for (int py = t; py < clipB; ++py, row += step) {
        const unsigned char* mrow = mask + static_cast<std::ptrdiff_t>(py - y) * e->width;
        for (int px = l; px < clipR; ++px) {
            const int m = mrow[px - x];
            if (!m) continue;
            RAST_pixel* p = row + px;
            if (mono || effects) {
                const bool body = mono || m == 255;
                if (exactCopy) {
                    *p = body ? m_fgcol : m_effectcol;
                } else if (pens) {
                    (body ? textPen : effectPen)(p, thresholdWeight);
                }
            } else if (pens && w != 0) {
                textPen(p, w == 256 ? m + 1 : std::min(m * w / 256, 256));
            }
        }
    }
    return true;
}
