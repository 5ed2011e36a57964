#pragma once
// Sends what the process prints on standard output to another descriptor while it lives: the
// instrument reports a missing factory bank on standard output, which must not end up in audio
// written there, nor in the output of a build step.

#include <unistd.h>

#include <cstdio>

namespace kv::cli {

class StdoutRedirect {
public:
    explicit StdoutRedirect(int target) {
        std::fflush(stdout);
        mSaved = ::dup(STDOUT_FILENO);
        if (target >= 0) ::dup2(target, STDOUT_FILENO);
    }
    ~StdoutRedirect() {
        std::fflush(stdout);
        if (mSaved >= 0) {
            ::dup2(mSaved, STDOUT_FILENO);
            ::close(mSaved);
        }
    }
    StdoutRedirect(const StdoutRedirect&) = delete;
    StdoutRedirect& operator=(const StdoutRedirect&) = delete;

private:
    int mSaved = -1;
};

} // namespace kv::cli
