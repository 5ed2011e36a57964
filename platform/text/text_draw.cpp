// Text measuring and drawing of the text layer: UTF-8 text in lines, aligned in a rectangle and
// blended into the context's frame buffer with the glyphs' coverage.

#include "text_context.h"
#include "text_font.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Decodes UTF-8; a byte that does not start a valid sequence stands for itself (Latin-1).
std::vector<std::uint32_t> decodeUtf8(const unsigned char* s, std::size_t n) {
    std::vector<std::uint32_t> out;
    out.reserve(n);
    std::size_t i = 0;
    while (i < n) {
        const unsigned c = s[i];
        const int extra = c >= 0xF0 && c <= 0xF4 ? 3
                          : c >= 0xE0            ? (c <= 0xEF ? 2 : -1)
                          : c >= 0xC2            ? 1
                                                 : 0;
        std::uint32_t code = c;
        int used = 1;
        if (extra > 0 && i + static_cast<std::size_t>(extra) < n) {
            std::uint32_t v = c & (0x3F >> extra);
            bool valid = true;
            for (int k = 1; k <= extra && valid; ++k) {
                const unsigned cc = s[i + k];
                valid = (cc & 0xC0) == 0x80;
                v = v << 6 | (cc & 0x3F);
            }
            const std::uint32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
            if (valid && v >= minimum && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
                code = v, used = extra + 1;
            }
        }
        out.push_back(code);
        i += used;
    }
    return out;
}

// Without DT_NOPREFIX an '&' marks the next character as a mnemonic and is not drawn; "&&"
// draws one '&'.
std::vector<std::uint32_t> dropPrefixMarks(const std::vector<std::uint32_t>& codes) {
    std::vector<std::uint32_t> out;
    out.reserve(codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == '&') {
            if (i + 1 >= codes.size()) break;
            ++i;
        }
        out.push_back(codes[i]);
    }
    return out;
}

struct Line {
    std::vector<std::uint32_t> codes;
    int width = 0;
};

std::vector<Line> layoutLines(PLAT_GdiObject& font, const std::vector<std::uint32_t>& codes,
                              bool singleLine) {
    std::vector<Line> lines;
    if (codes.empty()) return lines;
    lines.emplace_back();
    for (std::uint32_t c : codes) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!singleLine) {
                lines.emplace_back();
                continue;
            }
            c = ' ';
        }
        lines.back().codes.push_back(c);
        lines.back().width += font.glyph(c).advance;
    }
    if (lines.size() > 1 && lines.back().codes.empty()) lines.pop_back();
    return lines;
}

struct Box {
    int left, top, right, bottom; // right and bottom exclusive
};

Box intersect(const Box& a, const Box& b) {
    return Box{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

void fillBox(PLAT_GfxContext* ctx, const Box& box, int color) {
    const RAST_pixel px = RAST_RGBA((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF, 255);
    for (int y = box.top; y < box.bottom; ++y) {
        RAST_pixel* row = ctx->pixels.get() + static_cast<std::ptrdiff_t>(y) * ctx->width;
        std::fill(row + box.left, row + std::max(box.left, box.right), px);
    }
}

// Blends the glyph's coverage in the text colour; the alpha byte moves toward opaque.
void blendGlyph(PLAT_GfxContext* ctx, const kv_text::Glyph& g, int penX, int baseline,
                const Box& clip, int color) {
    const int r = (color >> 16) & 0xFF, gr = (color >> 8) & 0xFF, b = color & 0xFF;
    const Box box = intersect(
        Box{penX + g.left, baseline - g.top, penX + g.left + g.width, baseline - g.top + g.rows},
        clip);
    for (int y = box.top; y < box.bottom; ++y) {
        const std::uint8_t* cov =
            g.coverage.data() + static_cast<std::size_t>(y - (baseline - g.top)) * g.width;
        unsigned char* row = reinterpret_cast<unsigned char*>(
            ctx->pixels.get() + static_cast<std::ptrdiff_t>(y) * ctx->width);
        for (int x = box.left; x < box.right; ++x) {
            const int c = cov[x - (penX + g.left)];
            if (!c) continue;
            unsigned char* p = row + static_cast<std::ptrdiff_t>(x) * 4;
            const auto mix = [c](int d, int s) {
                return static_cast<unsigned char>(d + (s - d) * c / 255);
            };
            p[RAST_PIXEL_A] = mix(p[RAST_PIXEL_A], 255);
            p[RAST_PIXEL_R] = mix(p[RAST_PIXEL_R], r);
            p[RAST_PIXEL_G] = mix(p[RAST_PIXEL_G], gr);
            p[RAST_PIXEL_B] = mix(p[RAST_PIXEL_B], b);
        }
    }
}

void drawLines(PLAT_GfxContext* ctx, PLAT_GdiObject& font, const std::vector<Line>& lines,
               const RECT& rect, unsigned flags, int textHeight) {
    Box clip{0, 0, ctx->width, ctx->height};
    if (!(flags & DT_NOCLIP))
        clip = intersect(clip, Box{rect.left, rect.top, rect.right, rect.bottom});
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    int y = rect.top;
    if (flags & DT_VCENTER) {
        y = rect.top + (rect.bottom - rect.top - textHeight) / 2;
    } else if (flags & DT_BOTTOM) {
        y = rect.bottom - textHeight;
    }
    const int lineHeight = font.lineHeight();
    for (const Line& line : lines) {
        int x = rect.left;
        if (flags & DT_CENTER) {
            x = rect.left + (rect.right - rect.left - line.width) / 2;
        } else if (flags & DT_RIGHT) {
            x = rect.right - line.width;
        }
        if (ctx->bkMode == OPAQUE) {
            fillBox(ctx, intersect(clip, Box{x, y, x + line.width, y + lineHeight}), ctx->bkColor);
        }
        for (std::uint32_t c : line.codes) {
            const kv_text::Glyph& g = font.glyph(c);
            blendGlyph(ctx, g, x, y + font.ascent(), clip, ctx->textColor);
            x += g.advance;
        }
        y += lineHeight;
    }
}

} // namespace

int PLAT_DrawText(HDC ctx, const char* str, int len, RECT* rect, unsigned flags) {
    if (!ctx || !str || !rect) return 0;
    PLAT_GdiObject* font = ctx->font ? ctx->font : kv_text::defaultFont();
    if (!font) return 0;
    const std::size_t n = len < 0 ? std::strlen(str) : static_cast<std::size_t>(len);
    std::vector<std::uint32_t> codes = decodeUtf8(reinterpret_cast<const unsigned char*>(str), n);
    if (!(flags & DT_NOPREFIX)) codes = dropPrefixMarks(codes);

    auto lock = font->lock();
    const std::vector<Line> lines = layoutLines(*font, codes, flags & DT_SINGLELINE);
    const int height = static_cast<int>(lines.size()) * font->lineHeight();
    if (flags & DT_CALCRECT) {
        int width = 0;
        for (const Line& line : lines)
            width = std::max(width, line.width);
        rect->right = rect->left + width;
        rect->bottom = rect->top + height;
        return height;
    }
    if (ctx->pixels) drawLines(ctx, *font, lines, *rect, flags, height);
    return height;
}
