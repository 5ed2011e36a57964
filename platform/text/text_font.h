#pragma once
// A font of the text layer: one FreeType face at one pixel size, with its rendered glyphs kept.

#include "raster/raster_textlayer.h"
#include "text_library.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace kv_text {

// A rendered glyph: coverage 0..255, placed relative to the pen on the baseline.
struct Glyph {
    int advance = 0; // pixels the pen moves
    int left = 0;    // first column, from the pen
    int top = 0;     // first row, above the baseline
    int width = 0, rows = 0;
    std::vector<std::uint8_t> coverage; // width x rows
};

struct FontRequest {
    int height = 0; // > 0: line height; < 0: character (em) height; 0: default
    int weight = FW_NORMAL;
    bool italic = false;
    bool antialias = true;
    const char* family = nullptr;
};

} // namespace kv_text

// The object behind HFONT / HGDIOBJ. Each font is guarded by its own mutex, so fonts can be
// shared by threads; glyphs are rendered once and kept.
struct PLAT_GdiObject {
public:
    static std::unique_ptr<PLAT_GdiObject> create(const kv_text::FontRequest& request);
    ~PLAT_GdiObject();
    PLAT_GdiObject(const PLAT_GdiObject&) = delete;
    PLAT_GdiObject& operator=(const PLAT_GdiObject&) = delete;

    void metrics(TEXTMETRIC* tm) const { *tm = m_metrics; }
    int lineHeight() const { return m_metrics.tmHeight; }
    int ascent() const { return m_metrics.tmAscent; }

    // Lock while using glyph(): the reference stays valid until the font is deleted.
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(m_mutex); }
    const kv_text::Glyph& glyph(std::uint32_t code);

private:
    PLAT_GdiObject() = default;
    bool setPixelSize(int height);
    kv_text::Glyph render(std::uint32_t code);

    std::shared_ptr<kv_text::FreeTypeLibrary> m_library;
    FT_Face m_face = nullptr;
    bool m_antialias = true;
    bool m_synthBold = false, m_synthItalic = false;
    TEXTMETRIC m_metrics{};
    std::mutex m_mutex;
    std::unordered_map<std::uint32_t, kv_text::Glyph> m_glyphs;
};
