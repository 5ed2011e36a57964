#pragma once
// PNG files through libpng: decoding into a bitmap (straight alpha) and writing one out.

#include "raster/raster_bitmap.h"

// Decodes a PNG file. With bmp null a new RAST_MemBitmap (row alignment 4) is created and
// returned, owned by the caller; otherwise bmp is resized to the image and returned. Null on any
// failure (a bitmap the call created itself is then freed; a given one may have been resized
// and partly written).
RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp = nullptr);

// Writes the bitmap as an 8-bit RGBA PNG file. False when the bitmap is empty or the file
// cannot be written (a partly written file is removed).
bool RAST_WritePNG(const char* filename, RAST_IBitmap* bmp);
