#include "pending_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kv::cli {

namespace {

std::atomic<unsigned> gTemporaryCounter{0};

// Short whatever the destination's name, so any name the file system takes works.
std::string temporaryNameBeside(const std::filesystem::path& destination) {
    const unsigned serial = gTemporaryCounter.fetch_add(1);
    std::string name(".kv-");
    name.append(std::to_string(::getpid()))
        .append("-")
        .append(std::to_string(serial))
        .append(".tmp");
    return (destination.parent_path() / name).string();
}

// The temporary file an interrupting signal removes. The tool writes one file at a time, so
// one slot is enough; the handler touches only this buffer and async-signal-safe calls.
char gInterruptedPath[4096];
volatile std::sig_atomic_t gHasInterruptedPath = 0;

extern "C" void removeTemporaryAndDie(int signalNumber) {
    if (gHasInterruptedPath) ::unlink(gInterruptedPath);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void removeOnInterruption() {
    static const bool installed = [] {
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction action {};
            action.sa_handler = removeTemporaryAndDie;
            sigemptyset(&action.sa_mask);
            ::sigaction(signalNumber, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// Holds back the interrupting signals while it lives.
class SignalBlock {
public:
    SignalBlock() {
        sigset_t interrupting;
        sigemptyset(&interrupting);
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&interrupting, signalNumber);
        ::sigprocmask(SIG_BLOCK, &interrupting, &mPrevious);
    }
    ~SignalBlock() {
        const int saved = errno;
        ::sigprocmask(SIG_SETMASK, &mPrevious, nullptr);
        errno = saved;
    }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    sigset_t mPrevious;
};

void watchForInterruption(const std::string& path) {
    gHasInterruptedPath = 0;
    if (path.size() >= sizeof(gInterruptedPath)) return;
    std::memcpy(gInterruptedPath, path.c_str(), path.size() + 1);
    gHasInterruptedPath = 1;
}

void stopWatching() {
    gHasInterruptedPath = 0;
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
    removeOnInterruption();
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string candidate = temporaryNameBeside(target);
        // The file is registered for removal before an interrupting signal can arrive.
        const SignalBlock block;
        mFd = UniqueFd(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (mFd.valid()) {
            mTemporaryPath = candidate;
            watchForInterruption(candidate);
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
    stopWatching();
    mTemporaryPath.clear();
    return true;
}

void PendingFile::discard() {
    mFd.reset();
    if (!mTemporaryPath.empty()) {
        stopWatching();
        std::remove(mTemporaryPath.c_str());
    }
    mTemporaryPath.clear();
}

bool PendingFile::fail(const std::string& what, std::string& error) {
    const int code = errno;
    error = what + " " + mDestination + ": " + std::strerror(code);
    discard();
    return false;
}

} // namespace kv::cli
