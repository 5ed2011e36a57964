#include "text_font.h"

#include "text_fontmatch.h"

#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>

using kv_text::FontRequest;
using kv_text::Glyph;

namespace {

constexpr int kDefaultHeight = 16;
constexpr int kMaxHeight = 4096;

// Ascent and descent of the face in font units, as Windows-style cell metrics when present.
void cellMetrics(FT_Face face, double* ascent, double* descent) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent, *descent = os2->usWinDescent;
    } else {
        *ascent = face->ascender, *descent = -face->descender;
    }
    if (*ascent + *descent <= 0) *ascent = face->units_per_EM, *descent = 0;
}

} // namespace

std::unique_ptr<PLAT_GdiObject> PLAT_GdiObject::create(const FontRequest& request) {
    kv_text::FontFile file;
    if (!kv_text::findFontFile(request.family, request.weight, request.italic, &file))
        return nullptr;
    std::unique_ptr<PLAT_GdiObject> font(new PLAT_GdiObject());
    font->m_library = kv_text::FreeTypeLibrary::acquire();
    if (!font->m_library) return nullptr;
    font->m_face = font->m_library->openFace(file.path.c_str(), file.index);
    if (!font->m_face || !FT_IS_SCALABLE(font->m_face)) return nullptr;
    font->m_antialias = request.antialias;
    font->m_synthBold = file.synthesizeBold;
    font->m_synthItalic = file.synthesizeItalic;
    if (!font->setPixelSize(request.height)) return nullptr;
    font->m_metrics.tmWeight = request.weight;
    font->m_metrics.tmItalic = request.italic ? 1 : 0;
    return font;
}

PLAT_GdiObject::~PLAT_GdiObject() {
    if (m_library) m_library->closeFace(m_face);
}

// A positive height is the line height (ascent + descent), a negative one the em height.
bool PLAT_GdiObject::setPixelSize(int height) {
    if (height == 0) height = kDefaultHeight;
    if (height > kMaxHeight || height < -kMaxHeight) return false;
    double ascent, descent;
    cellMetrics(m_face, &ascent, &descent);
    const double units = m_face->units_per_EM > 0 ? m_face->units_per_EM : 1000.0;
    const double em = height > 0 ? height * units / (ascent + descent) : -height;
    if (FT_Set_Char_Size(m_face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72) != 0) {
        return false;
    }
    const int lineHeight =
        height > 0 ? height : static_cast<int>(std::ceil((ascent + descent) * em / units));
    m_metrics.tmHeight = lineHeight;
    m_metrics.tmAscent = static_cast<int>(std::lround(ascent * em / units));
    if (m_metrics.tmAscent > lineHeight) m_metrics.tmAscent = lineHeight;
    m_metrics.tmDescent = lineHeight - m_metrics.tmAscent;
    m_metrics.tmInternalLeading = lineHeight - static_cast<int>(std::lround(em));
    m_metrics.tmExternalLeading = 0;
    m_metrics.tmMaxCharWidth = static_cast<int>(m_face->size->metrics.max_advance >> 6);
    m_metrics.tmAveCharWidth = render('x').advance;
    return true;
}

const Glyph& PLAT_GdiObject::glyph(std::uint32_t code) {
    auto found = m_glyphs.find(code);
    if (found != m_glyphs.end()) return found->second;
    return m_glyphs.emplace(code, render(code)).first->second;
}

Glyph PLAT_GdiObject::render(std::uint32_t code) {
    Glyph g;
    const FT_Int32 target = m_antialias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Char(m_face, code, FT_LOAD_DEFAULT | target) != 0) return g;
    FT_GlyphSlot slot = m_face->glyph;
    if (m_synthItalic) FT_GlyphSlot_Oblique(slot);
    if (m_synthBold) FT_GlyphSlot_Embolden(slot);
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, m_antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
        return g;
    }
    const FT_Bitmap& bm = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bm.width);
    g.rows = static_cast<int>(bm.rows);
    g.coverage.resize(static_cast<std::size_t>(g.width) * g.rows);
    for (int y = 0; y < g.rows; ++y) {
        const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        std::uint8_t* dst = g.coverage.data() + static_cast<std::size_t>(y) * g.width;
        for (int x = 0; x < g.width; ++x) {
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            } else {
                dst[x] = src[x];
            }
        }
    }
    return g;
}
