#pragma once
// A window onto a rectangle of a bitmap, used by the surface's drawing operations so that
// nothing they draw lands outside the rectangle being redrawn. Internal to the editor.

#include "editor/IGraphicsStructs.h"
#include "raster/raster_bitmap.h"

#include <algorithm>
#include <cstddef>

class RastClipView : public RAST_IBitmap {
public:
    // The part of clip that lies inside the bitmap; coordinates in the view are those of the
    // bitmap less (OffsetX(), OffsetY()).
    RastClipView(RAST_IBitmap* bitmap, const IRECT& clip) : mBitmap(bitmap) {
        if (!bitmap || !bitmap->getBits() || bitmap->isFlipped()) return;
        mLeft = std::max(clip.L, 0);
        mTop = std::max(clip.T, 0);
        mWidth = std::max(0, std::min(clip.R, bitmap->getWidth()) - mLeft);
        mHeight = std::max(0, std::min(clip.B, bitmap->getHeight()) - mTop);
    }

    // False when there is nothing to draw into.
    bool Valid() const { return mWidth > 0 && mHeight > 0; }
    int OffsetX() const { return mLeft; }
    int OffsetY() const { return mTop; }

    RAST_pixel* getBits() override {
        if (!Valid()) return nullptr;
        return mBitmap->getBits() + static_cast<std::ptrdiff_t>(mTop) * mBitmap->getRowSpan() +
               mLeft;
    }
    int getWidth() override { return mWidth; }
    int getHeight() override { return mHeight; }
    int getRowSpan() override { return mBitmap ? mBitmap->getRowSpan() : 0; }
    bool resize(int /*w*/, int /*h*/) override { return false; }

private:
    RAST_IBitmap* mBitmap;
    int mLeft = 0, mTop = 0, mWidth = 0, mHeight = 0;
};
