#pragma once
// A memory context with a selected font, released at the end of a test.

#include "raster/raster_textlayer.h"

#include <gtest/gtest.h>

struct TextContext {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previous = nullptr;
    int width, height;

    TextContext(int w, int h, int fontHeight, const char* face = "Arial", int weight = FW_NORMAL,
                int italic = 0, int quality = DEFAULT_QUALITY)
        : width(w), height(h) {
        dc = PLAT_CreateMemContext(nullptr, w, h);
        font = CreateFont(fontHeight, 0, 0, 0, weight, italic, 0, 0, 0, 0, 0, quality, 0, face);
        previous = SelectObject(dc, font);
        SetTextColor(dc, 0xFFFFFF);
        SetBkMode(dc, TRANSPARENT);
    }
    ~TextContext() {
        SelectObject(dc, previous);
        DeleteObject(font);
        PLAT_DeleteGfxContext(dc);
    }
    TextContext(const TextContext&) = delete;
    TextContext& operator=(const TextContext&) = delete;

    RAST_pixel at(int x, int y) const { return PLAT_GetCtxFrameBuffer(dc)[y * width + x]; }
    int red(int x, int y) const { return (at(x, y) >> 8) & 0xFF; }

    // Bounding box of the pixels whose red byte is non-zero; right and bottom exclusive.
    RECT ink() const {
        RECT r{width, height, 0, 0};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (!red(x, y)) continue;
                r.left = std::min(r.left, x), r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1), r.bottom = std::max(r.bottom, y + 1);
            }
        }
        return r;
    }
    RECT measure(const char* text, unsigned flags = 0) {
        RECT r{0, 0, 0, 0};
        DrawText(dc, text, -1, &r, flags | DT_CALCRECT);
        return r;
    }
};
