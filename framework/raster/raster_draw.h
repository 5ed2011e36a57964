#pragma once
// Vector primitives: lines, rectangles, circles, arcs, rounded rectangles and filled polygons.
// Each blends one colour (its alpha byte included) with weight alpha x 256 and the combine mode
// of the mode word. Angles are in radians, 0 pointing up and growing clockwise.

#include "raster/raster_bitmap.h"

void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel color, float alpha,
               int mode, bool aa);
void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha,
                   int mode);

void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha,
                 int mode, bool aa);
void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float r, RAST_pixel color, float alpha,
                     int mode, bool aa);
void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              RAST_pixel color, float alpha, int mode, bool aa);
void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                    RAST_pixel color, float alpha, int mode, bool aa);

// Blends an 8-bit coverage mask (row span = maskw) at (x, y): each byte m weighs m x w / 256.
void RAST_DrawGlyph(RAST_IBitmap* dest, int x, int y, RAST_pixel color, float alpha,
                    const unsigned char* mask, int maskw, int maskh, int mode);

// Fills rows y1..y2 (inclusive); row y1 spans x1a..x1b and row y2 spans x2a..x2b, the rows
// between interpolated.
void RAST_FillTrapezoid(RAST_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                        RAST_pixel color, float alpha, int mode);
void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       RAST_pixel color, float alpha, int mode);
// Fills the convex hull of the points when they form a convex polygon (in any order).
void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints,
                            RAST_pixel color, float alpha, int mode);
