#pragma once
// A file written under a temporary name beside its destination. Only `commit` puts it in place;
// dropped without a commit, the temporary file is removed, so a failed write leaves nothing.
// SIGINT, SIGTERM and SIGHUP remove the open temporary file before the process ends.

#include "unique_fd.h"

#include <cstdint>
#include <span>
#include <string>

namespace kv::cli {

class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile() { discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates a new, uniquely named temporary file in the destination's folder.
    bool create(const std::string& destination, std::string& error);
    bool write(std::span<const uint8_t> bytes, std::string& error);
    // Flushes, closes and renames the temporary file onto the destination.
    bool commit(std::string& error);
    // Closes and removes the temporary file, if there is one.
    void discard();

    int fd() const { return mFd.get(); }
    bool isOpen() const { return mFd.valid(); }
    const std::string& destination() const { return mDestination; }
    const std::string& temporaryPath() const { return mTemporaryPath; }

private:
    bool fail(const std::string& what, std::string& error);

    UniqueFd mFd;
    std::string mDestination;
    std::string mTemporaryPath;
};

} // namespace kv::cli
