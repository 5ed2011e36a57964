#include "util/UTIL_File.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Owns a file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : mFd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return mFd; }
    bool Valid() const { return mFd >= 0; }
    bool Close() {
        if (mFd < 0) return true;
        const bool ok = ::close(mFd) == 0;
        mFd = -1;
        return ok;
    }

private:
    int mFd;
};

bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::vector<unsigned char>* out, size_t maxBytes) {
    unsigned char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof(block));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (out->size() + static_cast<size_t>(n) > maxBytes) return false;
        out->insert(out->end(), block, block + n);
    }
}

} // namespace

bool UTIL_ReadFile(const char* path, std::vector<unsigned char>* out, size_t maxBytes) {
    out->clear();
    if (!path || !*path) return false;
    // Non-blocking open so that a FIFO cannot stall the caller; it is refused below.
    FileDescriptor fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) return false;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (!ReadAll(fd.Get(), out, maxBytes)) {
        out->clear();
        return false;
    }
    return true;
}

bool UTIL_WriteFileReplacing(const char* path, const void* data, size_t size) {
    if (!path || !*path) return false;
    std::string tmpPath = std::string(path) + ".tmpXXXXXX";
    FileDescriptor fd(::mkstemp(tmpPath.data()));
    if (!fd.Valid()) return false;
    const bool written = ::fchmod(fd.Get(), 0644) == 0 &&
                         WriteAll(fd.Get(), static_cast<const unsigned char*>(data), size) &&
                         fd.Close();
    if (!written || std::rename(tmpPath.c_str(), path) != 0) {
        fd.Close();
        ::unlink(tmpPath.c_str());
        return false;
    }
    return true;
}
