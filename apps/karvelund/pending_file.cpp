#include "pending_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kv::cli {

namespace {

std::atomic<unsigned> gTemporaryCounter{0};

std::string temporaryNameBeside(const std::filesystem::path& destination) {
    const unsigned serial = gTemporaryCounter.fetch_add(1);
    std::string name(1, '.');
    name.append(destination.filename().string())
        .append(".")
        .append(std::to_string(::getpid()))
        .append("-")
        .append(std::to_string(serial))
        .append(".tmp");
    return (destination.parent_path() / name).string();
}

} // namespace

bool PendingFile::create(const std::string& destination, std::string& error) {
    discard();
    mDestination = destination;
    const std::filesystem::path target(destination);
    if (!target.has_filename()) {
        error = "cannot write " + destination + ": not a file name";
        return false;
    }
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string candidate = temporaryNameBeside(target);
        mFd = UniqueFd(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (mFd.valid()) {
            mTemporaryPath = candidate;
            return true;
        }
        if (errno != EEXIST) break;
    }
    return fail("cannot create", error);
}

bool PendingFile::write(std::span<const uint8_t> bytes, std::string& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(mFd.get(), bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) return fail("cannot write", error);
        done += static_cast<size_t>(wrote);
    }
    return true;
}

bool PendingFile::commit(std::string& error) {
    if (!mFd.valid()) {
        error = "cannot write " + mDestination + ": file is not open";
        return false;
    }
    if (::fsync(mFd.get()) != 0 || !mFd.close()) return fail("cannot write", error);
    if (::rename(mTemporaryPath.c_str(), mDestination.c_str()) != 0) {
        return fail("cannot replace", error);
    }
    mTemporaryPath.clear();
    return true;
}

void PendingFile::discard() {
    mFd.reset();
    if (!mTemporaryPath.empty()) std::remove(mTemporaryPath.c_str());
    mTemporaryPath.clear();
}

bool PendingFile::fail(const std::string& what, std::string& error) {
    const int code = errno;
    error = what + " " + mDestination + ": " + std::strerror(code);
    discard();
    return false;
}

} // namespace kv::cli
