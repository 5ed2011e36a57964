#pragma once

#include <string>
#include <sys/types.h>

// An Xvfb server for one program (a test, or a tool run without a screen): started on a
// display number it picks itself (and reports once it accepts connections), stopped by its
// process id.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer() { Stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False with a message when the server cannot be started within a few seconds.
    bool Start(int width, int height, std::string& error);
    void Stop();
    // ":N" once started.
    const std::string& DisplayName() const { return mDisplayName; }

private:
    pid_t mPid = -1;
    std::string mDisplayName;
};
