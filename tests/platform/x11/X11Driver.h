#pragma once

#include <functional>
#include <string>
#include <vector>

struct _XDisplay;

// Plays a user at the X server through XTest, on a connection of its own (so it may run on
// another thread than the window it drives): pointer moves, button presses, key strokes.
class X11Driver {
public:
    explicit X11Driver(const std::string& displayName);
    ~X11Driver();
    X11Driver(const X11Driver&) = delete;
    X11Driver& operator=(const X11Driver&) = delete;

    bool Valid() const { return mDisplay != nullptr; }
    // Root position of a point of a window.
    void RootOf(unsigned long window, int x, int y, int* rootX, int* rootY);
    void MoveTo(int rootX, int rootY);
    void Press(int button);
    void Release(int button);
    void Click(int button = 1);
    // A key by its X key symbol name ("Down", "Return", "a"), with Shift held if asked.
    void Key(const char* keySymName, bool shift = false);
    // Types each character of text (letters, digits, '.', '-', '+' and space).
    void Type(const std::string& text);
    // Waits until the server has taken everything sent.
    void Sync();
    // The override-redirect windows on screen (popup menus).
    std::vector<unsigned long> PopupWindows();
    // The colour (0xRRGGBB) on screen at a root position.
    unsigned long PixelAt(int rootX, int rootY);
    // Geometry of a window in root coordinates.
    bool Geometry(unsigned long window, int* x, int* y, int* w, int* h);
    // Polls condition every 2 ms for up to timeoutMs; true when it became true.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

private:
    _XDisplay* mDisplay = nullptr;
};
