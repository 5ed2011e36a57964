#pragma once
// Everything the editor draws with: bitmaps, blits, vector primitives, transforms, PNG and text.

#include "raster/raster_bitmap.h"
#include "raster/raster_blit.h"
#include "raster/raster_draw.h"
#include "raster/raster_font.h"
#include "raster/raster_png.h"
#include "raster/raster_transform.h"
