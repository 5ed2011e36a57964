#include "raster/raster_png.h"

#include "raster/raster_ops.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

// libpng reports errors by long jump back to the setjmp of the decoding or encoding function.
// Everything with a destructor therefore lives in a context object outside those functions,
// and the functions between setjmp and libpng hold only trivially destructible locals.

namespace {

// libpng sizes some buffers from what a chunk declares and zeroes them before reading it, so
// a few bytes can ask for gigabytes. No single allocation of libpng's may exceed this (its row
// buffers at the largest width need 64 KB; the image itself is ours).
constexpr png_alloc_size_t kMaxLibpngAllocation = 16 << 20;
constexpr png_uint_32 kMaxAncillaryChunks = 64;

png_voidp cappedMalloc(png_structp, png_alloc_size_t size) {
    return size > kMaxLibpngAllocation ? nullptr : std::malloc(size);
}
void plainFree(png_structp, png_voidp p) {
    std::free(p);
}

// Text, colour-profile and palette-suggestion chunks mean nothing to the editor: skipped
// unread (libpng then needs no buffer for them).
void ignoreDescriptiveChunks(png_structp png) {
    static const png_byte kIgnored[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnored, 6);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Errors are reported by the return value; libpng prints nothing.
void quietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void quietWarning(png_structp, png_const_charp) {}

struct ReadContext {
    File file;
    png_structp png = nullptr;
    png_infop info = nullptr;
    RAST_IBitmap* given = nullptr;
    std::unique_ptr<RAST_MemBitmap> created;
    std::vector<png_bytep> rows;

    ~ReadContext() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
    RAST_IBitmap* target() { return given ? given : created.get(); }
};

// Requests 8-bit samples in the pixel layout: alpha, red, green, blue.
void requestPixelLayout(png_structp png, png_infop info, int colorType, int bitDepth) {
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
        colorType |= PNG_COLOR_MASK_ALPHA;
    }
    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if (colorType & PNG_COLOR_MASK_ALPHA) {
        png_set_swap_alpha(png);
    } else {
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
    }
}

// Sizes the target to the image and points one row pointer at each of its rows, top first.
bool prepareTarget(ReadContext& ctx, png_uint_32 width, png_uint_32 height) {
    if (width > RAST_kMaxPNGSide || height > RAST_kMaxPNGSide) return false;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    if (ctx.given) {
        ctx.given->resize(w, h);
    } else {
        ctx.created = std::make_unique<RAST_MemBitmap>(w, h, 4);
    }
    RAST_IBitmap* bm = ctx.target();
    if (bm->getWidth() != w || bm->getHeight() != h || !bm->getBits()) return false;
    ctx.rows.resize(height);
    for (int y = 0; y < h; ++y) {
        ctx.rows[y] = reinterpret_cast<png_bytep>(rast_detail::rowPointer(bm, y));
    }
    return true;
}

bool decode(ReadContext& ctx) {
    if (setjmp(png_jmpbuf(ctx.png))) return false;
    png_init_io(ctx.png, ctx.file.get());
    // libpng itself refuses a larger header before reading further.
    png_set_user_limits(ctx.png, RAST_kMaxPNGSide, RAST_kMaxPNGSide);
    png_set_chunk_cache_max(ctx.png, kMaxAncillaryChunks);
    ignoreDescriptiveChunks(ctx.png);
    png_read_info(ctx.png, ctx.info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(ctx.png, ctx.info, &width, &height, &bitDepth, &colorType, nullptr, nullptr,
                 nullptr);
    requestPixelLayout(ctx.png, ctx.info, colorType, bitDepth);
    if (!prepareTarget(ctx, width, height)) return false;
    png_read_image(ctx.png, ctx.rows.data());
    return true;
}

struct WriteContext {
    File file;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;

    ~WriteContext() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

bool encode(WriteContext& ctx, int width, int height) {
    if (setjmp(png_jmpbuf(ctx.png))) return false;
    png_init_io(ctx.png, ctx.file.get());
    png_set_IHDR(ctx.png, ctx.info, static_cast<png_uint_32>(width),
                 static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(ctx.png, ctx.info);
    png_set_swap_alpha(ctx.png); // memory holds alpha first
    png_write_image(ctx.png, ctx.rows.data());
    png_write_end(ctx.png, nullptr);
    return true;
}

} // namespace

RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp) {
    if (!filename) return nullptr;
    ReadContext ctx;
    ctx.given = bmp;
    ctx.file.reset(std::fopen(filename, "rb"));
    if (!ctx.file) return nullptr;
    ctx.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning,
                                       nullptr, cappedMalloc, plainFree);
    if (!ctx.png) return nullptr;
    ctx.info = png_create_info_struct(ctx.png);
    if (!ctx.info || !decode(ctx)) return nullptr;
    if (ctx.created) return ctx.created.release();
    return ctx.given;
}

bool RAST_WritePNG(const char* filename, RAST_IBitmap* bmp) {
    if (!filename || !bmp || !bmp->getBits() || bmp->getWidth() < 1 || bmp->getHeight() < 1) {
        return false;
    }
    WriteContext ctx;
    ctx.file.reset(std::fopen(filename, "wb"));
    if (!ctx.file) return false;
    ctx.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (ctx.png) ctx.info = png_create_info_struct(ctx.png);
    bool ok = ctx.info != nullptr;
    if (ok) {
        ctx.rows.resize(static_cast<std::size_t>(bmp->getHeight()));
        for (int y = 0; y < bmp->getHeight(); ++y) {
            ctx.rows[y] = reinterpret_cast<png_bytep>(rast_detail::rowPointer(bmp, y));
        }
        ok = encode(ctx, bmp->getWidth(), bmp->getHeight());
    }
    if (ctx.file && std::fclose(ctx.file.release()) != 0) ok = false;
    if (!ok) std::remove(filename);
    return ok;
}
