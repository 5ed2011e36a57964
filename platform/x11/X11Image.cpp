#include "X11Image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

// Set while a shared-memory attach is tried: a server that cannot attach (a remote one) says
// so with an error instead of ending the program.
bool gAttachFailed = false;

int RecordAttachError(Display*, XErrorEvent*) {
    gAttachFailed = true;
    return 0;
}

} // namespace

X11Image::X11Image(Display* display, int screen, int w, int h)
    : mDisplay(display), mWidth(std::max(w, 1)), mHeight(std::max(h, 1)) {
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if (depth != 24 && depth != 32) return;
    if (!std::getenv("KARVELUND_NO_XSHM") && XShmQueryExtension(display) &&
        CreateShared(visual, depth))
        return;
    CreatePlain(visual, depth);
}

bool X11Image::CreateShared(Visual* visual, int depth) {
    mImage =
        XShmCreateImage(mDisplay, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &mSegment,
                        static_cast<unsigned>(mWidth), static_cast<unsigned>(mHeight));
    if (!mImage) return false;
    mSegment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(mImage->bytes_per_line) * mHeight,
                            IPC_CREAT | 0600);
    if (mSegment.shmid < 0) {
        XDestroyImage(mImage);
        mImage = nullptr;
        return false;
    }
    mSegment.shmaddr = mImage->data = static_cast<char*>(shmat(mSegment.shmid, nullptr, 0));
    mSegment.readOnly = False;
    XSync(mDisplay, False);
    gAttachFailed = false;
    XErrorHandler previous = XSetErrorHandler(RecordAttachError);
    const bool attached = XShmAttach(mDisplay, &mSegment);
    XSync(mDisplay, False);
    XSetErrorHandler(previous);
    // Marked for removal now: it goes when both sides have detached, even after a crash.
    shmctl(mSegment.shmid, IPC_RMID, nullptr);
    if (!attached || gAttachFailed) {
        shmdt(mSegment.shmaddr);
        mImage->data = nullptr;
        XDestroyImage(mImage);
        mImage = nullptr;
        return false;
    }
    mShared = true;
    return true;
}

bool X11Image::CreatePlain(Visual* visual, int depth) {
    char* data = static_cast<char*>(std::calloc(static_cast<size_t>(mWidth) * mHeight, 4));
    if (!data) return false;
    mImage = XCreateImage(mDisplay, visual, static_cast<unsigned>(depth), ZPixmap, 0, data,
                          static_cast<unsigned>(mWidth), static_cast<unsigned>(mHeight), 32, 0);
    if (!mImage) std::free(data);
    return mImage != nullptr;
}

X11Image::~X11Image() {
    if (!mImage) return;
    if (mShared) {
        XShmDetach(mDisplay, &mSegment);
        XSync(mDisplay, False);
        shmdt(mSegment.shmaddr);
        mImage->data = nullptr;
    }
    XDestroyImage(mImage); // frees the data of a plain image
}

void X11Image::CopyFrom(const RAST_pixel* source, int rowSpan, int x, int y, int w, int h) {
    if (!mImage || !source) return;
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, mWidth), y1 = std::min(y + h, mHeight);
    if (x0 >= x1 || y0 >= y1) return;
    // Raster pixels are bytes A, R, G, B; the server's are B, G, R, unused.
    const bool serverLittleEndian = mImage->byte_order == LSBFirst;
    for (int row = y0; row < y1; ++row) {
        const RAST_pixel* in = source + static_cast<size_t>(row - y) * rowSpan + (x0 - x);
        auto* out = reinterpret_cast<std::uint32_t*>(mImage->data + row * mImage->bytes_per_line);
        for (int col = x0; col < x1; ++col) {
            const std::uint32_t rgb = __builtin_bswap32(*in++) & 0xFFFFFFu;
            out[col] = serverLittleEndian ? rgb : __builtin_bswap32(rgb);
        }
    }
}

void X11Image::Put(Drawable drawable, GC gc, int x, int y, int w, int h) {
    if (!mImage) return;
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, mWidth), y1 = std::min(y + h, mHeight);
    if (x0 >= x1 || y0 >= y1) return;
    const auto uw = static_cast<unsigned>(x1 - x0), uh = static_cast<unsigned>(y1 - y0);
    if (mShared)
        XShmPutImage(mDisplay, drawable, gc, mImage, x0, y0, x0, y0, uw, uh, False);
    else
        XPutImage(mDisplay, drawable, gc, mImage, x0, y0, x0, y0, uw, uh);
}
