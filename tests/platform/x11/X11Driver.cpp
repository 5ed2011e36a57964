#include "X11Driver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <chrono>
#include <thread>

namespace {

// Windows come and go while the driver looks at them (a menu closing): an error about a window
// that has just gone is expected, and must not end the test program.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

X11Driver::X11Driver(const std::string& displayName) {
    XSetErrorHandler(IgnoreError);
    mDisplay = XOpenDisplay(displayName.c_str());
}

X11Driver::~X11Driver() {
    if (mDisplay) XCloseDisplay(mDisplay);
}

void X11Driver::RootOf(unsigned long window, int x, int y, int* rootX, int* rootY) {
    Window child = 0;
    XTranslateCoordinates(mDisplay, window, DefaultRootWindow(mDisplay), x, y, rootX, rootY,
                          &child);
}

void X11Driver::MoveTo(int rootX, int rootY) {
    XTestFakeMotionEvent(mDisplay, DefaultScreen(mDisplay), rootX, rootY, CurrentTime);
    Sync();
}

void X11Driver::Press(int button) {
    XTestFakeButtonEvent(mDisplay, static_cast<unsigned>(button), True, CurrentTime);
    Sync();
}

void X11Driver::Release(int button) {
    XTestFakeButtonEvent(mDisplay, static_cast<unsigned>(button), False, CurrentTime);
    Sync();
}

void X11Driver::Click(int button) {
    Press(button);
    Release(button);
}

void X11Driver::Key(const char* keySymName, bool shift) {
    const KeyCode shiftCode = XKeysymToKeycode(mDisplay, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(mDisplay, XStringToKeysym(keySymName));
    if (!code) return;
    if (shift) XTestFakeKeyEvent(mDisplay, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(mDisplay, code, True, CurrentTime);
    XTestFakeKeyEvent(mDisplay, code, False, CurrentTime);
    if (shift) XTestFakeKeyEvent(mDisplay, shiftCode, False, CurrentTime);
    Sync();
}

void X11Driver::Type(const std::string& text) {
    for (const char c : text) {
        const char* name = nullptr;
        char letter[2] = {c, 0};
        switch (c) {
        case '.':
            name = "period";
            break;
        case '-':
            name = "minus";
            break;
        case '+':
            name = "plus";
            break;
        case ' ':
            name = "space";
            break;
        default:
            name = letter;
            break;
        }
        // Upper-case letters and '+' need Shift on the usual layouts.
        const bool shift = (c >= 'A' && c <= 'Z') || c == '+';
        if (c >= 'A' && c <= 'Z') letter[0] = static_cast<char>(c - 'A' + 'a');
        Key(name, shift);
    }
}

void X11Driver::Sync() {
    XSync(mDisplay, False);
}

std::vector<unsigned long> X11Driver::PopupWindows() {
    std::vector<unsigned long> popups;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(mDisplay, DefaultRootWindow(mDisplay), &root, &parent, &children, &n))
        return popups;
    for (unsigned int i = 0; i < n; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(mDisplay, children[i], &attributes) &&
            attributes.override_redirect && attributes.map_state == IsViewable)
            popups.push_back(children[i]);
    }
    if (children) XFree(children);
    return popups;
}

unsigned long X11Driver::PixelAt(int rootX, int rootY) {
    XImage* image =
        XGetImage(mDisplay, DefaultRootWindow(mDisplay), rootX, rootY, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

bool X11Driver::Geometry(unsigned long window, int* x, int* y, int* w, int* h) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(mDisplay, window, &attributes)) return false;
    RootOf(window, 0, 0, x, y);
    *w = attributes.width;
    *h = attributes.height;
    return true;
}

bool X11Driver::WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}
