#pragma once
// PNG files through libpng: decoding into a bitmap (straight alpha) and writing one out.

#include "raster/raster_bitmap.h"

// The largest width and height RAST_LoadPNG accepts. The editor's largest picture is
// 2160 x 1050 at twice the size; a larger declared size is refused before anything is
// allocated for it (a few bytes of header could otherwise ask for gigabytes).
constexpr int RAST_kMaxPNGSide = 8192;

// Decodes a PNG file. With bmp null a new RAST_MemBitmap (row alignment 4) is created and
// returned, owned by the caller; otherwise bmp is resized to the image and returned. Null on any
// failure (a bitmap the call created itself is then freed; a given one may have been resized
// and partly written).
// Images wider or taller than RAST_kMaxPNGSide are refused, a given bitmap left untouched.
RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp = nullptr);

// Writes the bitmap as an 8-bit RGBA PNG file. False when the bitmap is empty or the file
// cannot be written (a partly written file is removed).
bool RAST_WritePNG(const char* filename, RAST_IBitmap* bmp);
