#pragma once

#include "plugin_setup.h"

#include <functional>
#include <string>
#include <vector>

class IPluginBase;

namespace kv::cli {

// One gesture of `karvelund screenshot`, as the user makes it.
struct WindowGesture {
    enum Kind { kClick, kDrag, kWheel };
    Kind kind = kClick;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, wheel = 0;
    bool right = false, twice = false, fine = false;
};

struct WindowScreenshot {
    PluginSetup setup;
    std::vector<WindowGesture> gestures;
    std::vector<std::string> answers; // as given to --answer
    std::vector<int> notes;
    std::string pngPath;
    // The report of what the gestures changed: told the instrument before the first gesture,
    // the values before each gesture after it, and the end.
    std::function<void(IPluginBase&)> onStart;
    std::function<void(const std::vector<double>&)> afterGesture;
    std::function<void()> onFinish;
};

// `karvelund screenshot --window`: the editor in a real X11 window (on a virtual server of its
// own when there is no $DISPLAY), the gestures made with synthetic X input, menus and fields
// answered with keys, and the picture read back from the screen.
int runWindowScreenshot(const WindowScreenshot& shot);

} // namespace kv::cli
