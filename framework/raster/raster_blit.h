#pragma once
// Unscaled operations: copy, blit, rectangle fill and clear, single pixels.

#include "raster/raster_bitmap.h"

// Resizes dest to the source's size and copies the whole source into it.
void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src);

// Blits srcrect (null = the whole source) of src to (dstx, dsty) with opacity alpha and a mode
// word (combine mode, RAST_BLIT_USE_ALPHA; channel copy with RAST_BLIT_MODE_CHANCOPY_FOR).
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
               float alpha, int mode);
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode);

void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha,
                   int mode);

// pixel = (pixel & mask) | orbits over the rectangle.
void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel mask,
                    RAST_pixel orbits);

// The pixel at (x, y), or 0 outside the bitmap or without bits.
RAST_pixel RAST_GetPixel(RAST_IBitmap* bm, int x, int y);
void RAST_PutPixel(RAST_IBitmap* bm, int x, int y, RAST_pixel color, float alpha, int mode);
