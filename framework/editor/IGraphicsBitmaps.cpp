// The process-wide bitmap cache, image loading with its placeholder, and bitmap copies.
#include "editor/IGraphics.h"

#include "raster/raster.h"
#include "util/UTIL_Mutex.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

// Bitmaps by resource id, shared by every editor in the process and deleted at exit. Bitmaps
// made by the editor itself (scaled and cropped copies) are kept under id -1.
class BitmapStorage {
public:
    struct BitmapKey {
        int id = -1;
        std::unique_ptr<RAST_IBitmap> bitmap;
        std::string name;                     // what it was loaded as ("" for copies)
        const RAST_IBitmap* source = nullptr; // for a bitmap the cache does not own
        int scaledBy = 1;                     // the scale of scaled, when there is one
        std::unique_ptr<RAST_IBitmap> scaled; // the same image for a denser drawing bitmap
    };

    UTIL_Mutex& Mutex() { return mMutex; }
    RAST_IBitmap* Find(int id) const {
        for (int i = 0; i < mKeys.GetSize(); ++i) {
            if (mKeys.Get(i)->id == id) return mKeys.Get(i)->bitmap.get();
        }
        return nullptr;
    }
    RAST_IBitmap* Add(int id, RAST_IBitmap* bitmap, const char* name = nullptr) {
        auto* key = new BitmapKey;
        key->id = id;
        key->bitmap.reset(bitmap);
        key->name = name ? name : "";
        mKeys.Add(key);
        return bitmap;
    }
    BitmapKey* KeyOf(const RAST_IBitmap* bitmap) {
        for (int i = 0; i < mKeys.GetSize(); ++i) {
            const BitmapKey* key = mKeys.Get(i);
            if (key->bitmap.get() == bitmap || (!key->bitmap && key->source == bitmap))
                return mKeys.Get(i);
        }
        return nullptr;
    }
    // A key that keeps only the scaled copy of a bitmap someone else owns.
    BitmapKey* AddForeign(const RAST_IBitmap* bitmap) {
        auto* key = new BitmapKey;
        key->id = -1;
        key->source = bitmap;
        mKeys.Add(key);
        return key;
    }
    // Deletes the bitmap; false when the cache does not hold it.
    bool Remove(const RAST_IBitmap* bitmap) {
        for (int i = 0; i < mKeys.GetSize(); ++i) {
            if (mKeys.Get(i)->bitmap.get() == bitmap) {
                mKeys.Delete(i);
                return true;
            }
        }
        return false;
    }

private:
    UTIL_Mutex mMutex;
    UTIL_PtrList<BitmapKey> mKeys;
};

BitmapStorage& BitmapCache() {
    static BitmapStorage cache;
    return cache;
}

constexpr RAST_pixel kPlaceholderEdge = RAST_RGBA(255, 0, 255, 255);
constexpr RAST_pixel kPlaceholderFill = RAST_RGBA(255, 0, 255, 64);
constexpr RAST_pixel kPlaceholderBackground = RAST_RGBA(48, 40, 56, 255);

// A magenta-outlined box per frame, so that a missing image is plain to see and every control
// still has something of a sensible size to show. A pointer from the centre to the top makes a
// knob's rotation visible; a bar along the bottom, as long as the frame's position in the row
// of frames, tells the frames apart. A background is opaque and dark, so that the controls on
// it stay visible.
RAST_IBitmap* MakePlaceholder(int frameW, int frameH, int nFrames, bool horizontal,
                              bool background) {
    frameW = frameW < 4 ? 4 : frameW;
    frameH = frameH < 4 ? 4 : frameH;
    auto* bitmap = new RAST_MemBitmap(horizontal ? frameW * nFrames : frameW,
                                      horizontal ? frameH : frameH * nFrames);
    const RAST_pixel fill = background ? kPlaceholderBackground : kPlaceholderFill;
    for (int i = 0; i < nFrames; ++i) {
        const int x = horizontal ? i * frameW : 0, y = horizontal ? 0 : i * frameH;
        RAST_FillRect(bitmap, x, y, frameW, frameH, fill, 1.0f, RAST_BLIT_MODE_COPY);
        RAST_DrawRect(bitmap, x, y, frameW, frameH, kPlaceholderEdge, 1.0f, RAST_BLIT_MODE_COPY);
        if (!background) {
            RAST_Line(bitmap, x + frameW / 2, y + frameH / 2, x + frameW / 2, y + 1,
                      kPlaceholderEdge, 1.0f, RAST_BLIT_MODE_COPY, false);
        }
        if (nFrames > 1) {
            const int bar = (frameW - 4) * (i + 1) / nFrames;
            RAST_FillRect(bitmap, x + 2, y + frameH - 4, bar, 2, kPlaceholderEdge, 1.0f,
                          RAST_BLIT_MODE_COPY);
        }
    }
    return bitmap;
}

constexpr int kPlaceholderFrameSize = 48;

} // namespace

RAST_IBitmap* IGraphics::FindOrLoadBitmap(int id, const char* name, int nStates, bool horizontal,
                                          bool background) {
    BitmapStorage& cache = BitmapCache();
    UTIL_MutexLock lock(&cache.Mutex());
    if (RAST_IBitmap* cached = cache.Find(id)) return cached;
    RAST_IBitmap* bitmap = OSLoadBitmap(id, name);
    if (!bitmap || bitmap->getWidth() < 1 || bitmap->getHeight() < 1 || !bitmap->getBits()) {
        delete bitmap;
        // A missing image must not take the host down: say so once and show a placeholder.
        std::fprintf(stderr, "Cannot load image \"%s\" (id %d); showing a placeholder instead.\n",
                     name ? name : "", id);
        // A background covers the editor; anything else gets frames of a small control's size.
        const int w = background ? Width() : kPlaceholderFrameSize;
        const int h = background ? Height() : kPlaceholderFrameSize;
        bitmap = MakePlaceholder(w, h, nStates < 1 ? 1 : nStates, horizontal, background);
    }
    return cache.Add(id, bitmap, name);
}

RAST_IBitmap* IGraphics::AtDrawScale(const IBitmap* bitmap) {
    if (mDrawScale == 1 || !bitmap->mData) return bitmap->mData;
    BitmapStorage& cache = BitmapCache();
    UTIL_MutexLock lock(&cache.Mutex());
    BitmapStorage::BitmapKey* key = cache.KeyOf(bitmap->mData);
    if (key && key->scaled && key->scaledBy == mDrawScale) return key->scaled.get();
    RAST_IBitmap* source = bitmap->mData;
    const int w = source->getWidth() * mDrawScale, h = source->getHeight() * mDrawScale;
    std::unique_ptr<RAST_IBitmap> scaled;
    if (key && !key->name.empty())
        scaled.reset(OSLoadScaledBitmap(key->id, key->name.c_str(), mDrawScale));
    if (!scaled || scaled->getWidth() != w || scaled->getHeight() != h) {
        // No art of that density: the ordinary image, enlarged.
        scaled = std::make_unique<RAST_MemBitmap>(w, h, 4);
        RAST_ScaledBlit(scaled.get(), source, 0, 0, w, h, 0.0f, 0.0f,
                        static_cast<float>(source->getWidth()),
                        static_cast<float>(source->getHeight()), 1.0f, RAST_BLIT_FILTER_BILINEAR);
    }
    if (!key) key = cache.AddForeign(source);
    key->scaledBy = mDrawScale;
    key->scaled = std::move(scaled);
    return key->scaled.get();
}

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal) {
    RAST_IBitmap* bitmap = FindOrLoadBitmap(id, name, nStates, framesAreHorizontal, false);
    return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), nStates, framesAreHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* bitmap) {
    if (!bitmap || !bitmap->mData) return;
    BitmapStorage& cache = BitmapCache();
    UTIL_MutexLock lock(&cache.Mutex());
    cache.Add(-1, bitmap->mData);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap) {
    if (!bitmap || !bitmap->mData) return;
    BitmapStorage& cache = BitmapCache();
    UTIL_MutexLock lock(&cache.Mutex());
    if (cache.Remove(bitmap->mData)) bitmap->mData = nullptr;
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int w, int h) {
    if (!bitmap || !bitmap->mData || w < 1 || h < 1) return IBitmap();
    auto* scaled = new RAST_MemBitmap(w, h, 4);
    RAST_ScaledBlit(scaled, bitmap->mData, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(bitmap->W),
                    static_cast<float>(bitmap->H), 1.0f, RAST_BLIT_FILTER_BILINEAR);
    IBitmap result(scaled, w, h, bitmap->N, false);
    RetainBitmap(&result);
    return result;
}

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* r) {
    if (!bitmap || !bitmap->mData || !r || r->W() < 1 || r->H() < 1) return IBitmap();
    auto* cropped = new RAST_MemBitmap(r->W(), r->H(), 4);
    RAST_Blit(cropped, bitmap->mData, 0, 0, r->L, r->T, r->W(), r->H(), 1.0f, RAST_BLIT_MODE_COPY);
    IBitmap result(cropped, r->W(), r->H(), bitmap->N, false);
    RetainBitmap(&result);
    return result;
}
