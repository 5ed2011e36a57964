#pragma once
// Bitmaps: the abstract interface, a heap bitmap and one backed by a platform memory context.

#include "raster/raster_pixel.h"
#include "raster/raster_textlayer.h"

#include <cstdint>

class RAST_IBitmap {
public:
    virtual ~RAST_IBitmap() = default;
    virtual RAST_pixel* getBits() = 0; // first pixel of the top row; may be null
    virtual int getWidth() = 0;
    virtual int getHeight() = 0;
    virtual int getRowSpan() = 0;              // distance between rows, in pixels
    virtual bool isFlipped() { return false; } // rows stored bottom-up
    virtual bool resize(int w, int h) = 0;     // false when the size was already w x h
    virtual HDC getDC() { return nullptr; }
    virtual std::intptr_t Extended(int, void*) { return 0; }
};

class RAST_MemBitmap : public RAST_IBitmap {
public:
    // linealign: rows are padded to a multiple of this many pixels (a power of two, at most 16).
    explicit RAST_MemBitmap(int w = 0, int h = 0, unsigned linealign = 4);
    ~RAST_MemBitmap() override;
    RAST_MemBitmap(const RAST_MemBitmap&) = delete;
    RAST_MemBitmap& operator=(const RAST_MemBitmap&) = delete;

    RAST_pixel* getBits() override;
    int getWidth() override { return m_width; }
    int getHeight() override { return m_height; }
    int getRowSpan() override { return (m_width + m_linealign) & ~m_linealign; }
    bool resize(int w, int h) override;

    int allocatedBytes() const { return m_allocsize; }

private:
    void* m_fb = nullptr; // the block from the allocator, not aligned
    int m_width = 0, m_height = 0;
    int m_allocsize = 0; // bytes usable in the block
    int m_linealign = 0; // row alignment mask
};

class RAST_SysBitmap : public RAST_IBitmap {
public:
    explicit RAST_SysBitmap(int w = 0, int h = 0);
    ~RAST_SysBitmap() override;
    RAST_SysBitmap(const RAST_SysBitmap&) = delete;
    RAST_SysBitmap& operator=(const RAST_SysBitmap&) = delete;

    RAST_pixel* getBits() override { return m_bits; }
    int getWidth() override { return m_width; }
    int getHeight() override { return m_height; }
    int getRowSpan() override { return m_allocw; }
    bool resize(int w, int h) override;
    HDC getDC() override { return m_dc; }

private:
    int m_width = 0, m_height = 0;
    HDC m_dc = nullptr;
    RAST_pixel* m_bits = nullptr;
    int m_allocw = 0, m_alloch = 0; // size of the context
};
