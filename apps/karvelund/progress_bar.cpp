#include "progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace kv::cli {

namespace {
constexpr int kWidth = 40;
}

ProgressBar::ProgressBar(bool enabled)
    : mEnabled(enabled && isatty(STDERR_FILENO)), mStart(std::chrono::steady_clock::now()),
      mLastDraw(mStart) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::update(int64_t done, int64_t total) {
    if (!mEnabled || total <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - mStart < std::chrono::seconds(1) || now - mLastDraw < std::chrono::milliseconds(100))
        return;
    mLastDraw = now;
    mShown = true;
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    const int filled = static_cast<int>(fraction * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '-';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, static_cast<int>(fraction * 100.0));
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (mShown) {
        std::fprintf(stderr, "\r%*s\r", kWidth + 8, "");
        std::fflush(stderr);
        mShown = false;
    }
}

} // namespace kv::cli
