#pragma once

#include <chrono>
#include <cstdint>

namespace kv::cli {

// A progress bar on standard error, shown only when standard error is a terminal and the work
// has taken longer than a second; cleared when done.
class ProgressBar {
public:
    explicit ProgressBar(bool enabled);
    ~ProgressBar();

    void update(int64_t done, int64_t total);
    void finish();

private:
    bool mEnabled;
    bool mShown = false;
    std::chrono::steady_clock::time_point mStart;
    std::chrono::steady_clock::time_point mLastDraw;
};

} // namespace kv::cli
