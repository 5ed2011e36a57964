#pragma once

#include <string>
#include <sys/types.h>

// An X server of our own for editor tests: Xvfb on a free display of this machine, stopped by
// its process id when the object goes.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return mPid > 0 && !mDisplay.empty(); }
    const std::string& display() const { return mDisplay; } // ":N"

private:
    pid_t mPid = -1;
    std::string mDisplay;
};
