#include "text_context.h"

#include "text_font.h"

#include <cstring>

HDC PLAT_CreateMemContext(HDC, int w, int h) {
    constexpr std::size_t kMaxBytes = std::size_t{1} << 31;
    if (w < 1 || h < 1) return nullptr;
    const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    if (bytes / 4 / static_cast<std::size_t>(h) != static_cast<std::size_t>(w) ||
        bytes > kMaxBytes) {
        return nullptr;
    }
    const std::size_t rounded = (bytes + 63) & ~std::size_t{63};
    auto* ctx = new PLAT_GfxContext();
    ctx->pixels.reset(static_cast<RAST_pixel*>(std::aligned_alloc(64, rounded)));
    if (!ctx->pixels) {
        delete ctx;
        return nullptr;
    }
    std::memset(ctx->pixels.get(), 0, rounded);
    ctx->width = w;
    ctx->height = h;
    return ctx;
}

RAST_pixel* PLAT_GetCtxFrameBuffer(HDC ctx) {
    return ctx ? ctx->pixels.get() : nullptr;
}

void PLAT_DeleteGfxContext(HDC ctx) {
    delete ctx;
}

HFONT CreateFont(int height, int, int, int, int weight, int italic, int, int, int, int, int,
                 int quality, int, const char* face) {
    kv_text::FontRequest request;
    request.height = height;
    request.weight = weight;
    request.italic = italic != 0;
    request.antialias = quality != NONANTIALIASED_QUALITY;
    request.family = face;
    return PLAT_GdiObject::create(request).release();
}

void DeleteObject(HGDIOBJ obj) {
    delete obj;
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj) {
    if (!ctx) return nullptr;
    HGDIOBJ previous = ctx->font;
    ctx->font = obj;
    return previous;
}

bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm) {
    if (!ctx || !tm) return false;
    HFONT font = ctx->font ? ctx->font : kv_text::defaultFont();
    if (!font) return false;
    font->metrics(tm);
    return true;
}

int SetTextColor(HDC ctx, int color) {
    if (!ctx) return 0;
    const int previous = ctx->textColor;
    ctx->textColor = color;
    return previous;
}

int SetBkColor(HDC ctx, int color) {
    if (!ctx) return 0;
    const int previous = ctx->bkColor;
    ctx->bkColor = color;
    return previous;
}

int SetBkMode(HDC ctx, int mode) {
    if (!ctx) return 0;
    const int previous = ctx->bkMode;
    ctx->bkMode = mode;
    return previous;
}

namespace kv_text {

HFONT defaultFont() {
    static const std::unique_ptr<PLAT_GdiObject> font = [] {
        FontRequest request;
        request.height = 13;
        request.family = "sans-serif";
        return PLAT_GdiObject::create(request);
    }();
    return font.get();
}

} // namespace kv_text
