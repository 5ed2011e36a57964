#pragma once

#include "raster/raster_pixel.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

// An image the size of a window in the server's 24/32-bit TrueColor layout, put on screen a
// rectangle at a time: through shared memory when the server offers it (a local server),
// otherwise through the connection.
class X11Image {
public:
    X11Image(Display* display, int screen, int w, int h);
    ~X11Image();
    X11Image(const X11Image&) = delete;
    X11Image& operator=(const X11Image&) = delete;

    bool Valid() const { return mImage != nullptr; }
    bool UsesSharedMemory() const { return mShared; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }

    // Converts w x h pixels laid out as the raster library keeps them (rows rowSpan pixels
    // apart, source its first pixel) into the image at (x, y), clipped to the image.
    void CopyFrom(const RAST_pixel* source, int rowSpan, int x, int y, int w, int h);
    // Puts the rectangle on the drawable; the caller flushes.
    void Put(Drawable drawable, GC gc, int x, int y, int w, int h);

private:
    bool CreateShared(Visual* visual, int depth);
    bool CreatePlain(Visual* visual, int depth);

    Display* mDisplay;
    int mWidth, mHeight;
    XImage* mImage = nullptr;
    XShmSegmentInfo mSegment{};
    bool mShared = false;
};
