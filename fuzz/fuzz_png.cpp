// PNG images as the editor loads them: a decoded image has a sane size and decodes the same
// into a given bitmap; a refused one gives null both ways.
#include "raster/raster.h"
#include "raster/raster_png.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "FINDING: %s\n", what);
    std::abort();
}

// The bytes as a file the loader can open by name, without touching the disk.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : mFd(::memfd_create("png", 0)) {
        if (mFd < 0 || ::write(mFd, data, size) != static_cast<ssize_t>(size)) Fail("memfd");
        mPath = "/proc/self/fd/" + std::to_string(mFd);
    }
    ~MemoryFile() { ::close(mFd); }
    const char* Path() const { return mPath.c_str(); }

private:
    int mFd;
    std::string mPath;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    std::unique_ptr<RAST_IBitmap> created(RAST_LoadPNG(file.Path()));
    RAST_MemBitmap given(2, 2);
    RAST_IBitmap* into = RAST_LoadPNG(file.Path(), &given);
    if (!created) {
        if (into) Fail("refused on its own, accepted into a given bitmap");
        return 0;
    }
    if (into != &given) Fail("accepted on its own, refused into a given bitmap");
    const int w = created->getWidth(), h = created->getHeight();
    if (w < 1 || h < 1 || w > RAST_kMaxPNGSide || h > RAST_kMaxPNGSide) Fail("image size");
    if (given.getWidth() != w || given.getHeight() != h) Fail("sizes differ");
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (RAST_GetPixel(created.get(), x, y) != RAST_GetPixel(&given, x, y))
                Fail("pixels differ between the two decodes");
        }
    }
    return 0;
}
