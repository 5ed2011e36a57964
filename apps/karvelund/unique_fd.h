#pragma once
// Owns a POSIX file descriptor and closes it once.

#include <unistd.h>

#include <utility>

namespace kv::cli {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : mFd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : mFd(std::exchange(other.mFd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            mFd = std::exchange(other.mFd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return mFd; }
    bool valid() const { return mFd >= 0; }
    // Closes now and reports whether close succeeded (it can report a delayed write error).
    bool close() {
        if (mFd < 0) return true;
        return ::close(std::exchange(mFd, -1)) == 0;
    }
    void reset() { close(); }

private:
    int mFd = -1;
};

} // namespace kv::cli
