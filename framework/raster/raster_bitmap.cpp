#include "raster/raster_bitmap.h"

#include <climits>
#include <cstdlib>

namespace {

constexpr int kAlignSlack = 63; // extra bytes so the pixels can start on a 64-byte boundary

int lineAlignMask(unsigned linealign) {
    if (linealign < 2) return 0;
    const unsigned lowest = linealign & (~linealign + 1u);
    // Masks above 15 (64 bytes) would not be masks of the form 2^n - 1.
    return lowest - 1 > 15 ? 15 : static_cast<int>(lowest - 1);
}

} // namespace

RAST_MemBitmap::RAST_MemBitmap(int w, int h, unsigned linealign)
    : m_linealign(lineAlignMask(linealign)) {
    if (w != 0 || h != 0) resize(w, h);
}

RAST_MemBitmap::~RAST_MemBitmap() {
    std::free(m_fb);
}

RAST_pixel* RAST_MemBitmap::getBits() {
    if (!m_fb) return nullptr;
    const auto addr = reinterpret_cast<std::uintptr_t>(m_fb);
    return reinterpret_cast<RAST_pixel*>((addr + kAlignSlack) & ~std::uintptr_t{kAlignSlack});
}

bool RAST_MemBitmap::resize(int w, int h) {
    if (w == m_width && h == m_height) return false;
    m_width = w;
    m_height = h;
    const long long span =
        (static_cast<long long>(w) + m_linealign) & ~static_cast<long long>(m_linealign);
    long long needed = span * h * 4;
    // Sizes whose bytes (with the quarter spare) do not fit the int fields are refused like a
    // failed allocation.
    if (w < 0 || h < 0 || needed > (INT_MAX - kAlignSlack) / 5 * 4) needed = 0;

    if (needed < 1) {
        std::free(m_fb);
        m_fb = nullptr;
        m_allocsize = 0;
    } else if (!m_fb) {
        m_allocsize = static_cast<int>(needed);
        m_fb = std::malloc(static_cast<std::size_t>(needed) + kAlignSlack);
    } else if (needed > m_allocsize) {
        m_allocsize = static_cast<int>(needed + needed / 4);
        void* grown = std::realloc(m_fb, static_cast<std::size_t>(m_allocsize) + kAlignSlack);
        if (grown) {
            m_fb = grown;
        } else {
            std::free(m_fb);
            m_allocsize = static_cast<int>(needed);
            m_fb = std::malloc(static_cast<std::size_t>(needed) + kAlignSlack);
        }
    }
    if (!m_fb) {
        m_width = m_height = 0;
        m_allocsize = 0;
    }
    return true;
}

RAST_SysBitmap::RAST_SysBitmap(int w, int h) {
    resize(w, h);
}

RAST_SysBitmap::~RAST_SysBitmap() {
    if (m_dc) PLAT_DeleteGfxContext(m_dc);
}

bool RAST_SysBitmap::resize(int w, int h) {
    if (w < 0) w = 0;
    if (h < 0) h = 0;
    if (w == m_width && h == m_height) return false;
    m_width = w;
    m_height = h;
    if (w && h && w <= m_allocw && h <= m_alloch && m_bits) return true;

    m_allocw = (w + 3) & ~3;
    m_alloch = h;
    if (m_dc) PLAT_DeleteGfxContext(m_dc);
    m_dc = nullptr;
    m_bits = nullptr;
    if (w < 1 || h == 0) return false;

    m_dc = PLAT_CreateMemContext(nullptr, m_allocw, h);
    if (m_dc) m_bits = PLAT_GetCtxFrameBuffer(m_dc);
    if (!m_bits) {
        if (m_dc) PLAT_DeleteGfxContext(m_dc);
        m_dc = nullptr;
        m_width = m_height = 0;
        m_allocw = m_alloch = 0;
    }
    return true;
}
