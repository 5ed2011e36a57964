#include "screenshot_window.h"

#include "IGraphicsX11.h"
#include "Karvelund.h"
#include "XvfbServer.h"
#include "commands.h"
#include "core/IParam.h"
#include "editor/IPopupMenu.h"
#include "raster/raster.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>

namespace kv::cli {

namespace {

IGraphics* MakeWindowGraphics(IPluginBase* plug, int w, int h, int fps) {
    return new IGraphicsX11(plug, w, h, fps);
}

// Synthetic input on the surface's display, as a user's hands would give it.
class SyntheticUser {
public:
    SyntheticUser(Display* display, Window window) : mDisplay(display), mWindow(window) {}

    void MoveTo(int x, int y) {
        int rx = 0, ry = 0;
        Window child = 0;
        XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), x, y, &rx, &ry,
                              &child);
        XTestFakeMotionEvent(mDisplay, DefaultScreen(mDisplay), rx, ry, CurrentTime);
    }
    void Button(unsigned button, bool down) {
        XTestFakeButtonEvent(mDisplay, button, down, CurrentTime);
    }
    void Modifier(KeySym sym, bool down) {
        XTestFakeKeyEvent(mDisplay, XKeysymToKeycode(mDisplay, sym), down, CurrentTime);
    }
    void Key(KeySym sym) {
        const KeyCode code = XKeysymToKeycode(mDisplay, sym);
        if (!code) return;
        // A symbol on the shifted level needs Shift.
        const bool shift = XkbKeycodeToKeysym(mDisplay, code, 0, 0) != sym;
        if (shift) Modifier(XK_Shift_L, true);
        XTestFakeKeyEvent(mDisplay, code, True, CurrentTime);
        XTestFakeKeyEvent(mDisplay, code, False, CurrentTime);
        if (shift) Modifier(XK_Shift_L, false);
    }
    // Printable ASCII characters are their own key symbols.
    void Type(const std::string& text) {
        for (const char c : text)
            if (c >= 0x20 && c < 0x7F) Key(static_cast<KeySym>(c));
    }
    void Flush() { XFlush(mDisplay); }

private:
    Display* mDisplay;
    Window mWindow;
};

// Answers the menus and fields the gestures open, in order, with keys.
void Answer(SyntheticUser& user, std::deque<std::string>& answers, const IPopupMenu* menu) {
    std::string answer = answers.empty() ? "cancel" : answers.front();
    if (!answers.empty()) answers.pop_front();
    auto after = [&](const char* prefix) {
        const std::string p = prefix;
        return answer.rfind(p, 0) == 0 ? answer.substr(p.size()) : answer;
    };
    if (answer == "cancel") {
        user.Key(XK_Escape);
    } else if (menu) {
        const int item = std::atoi(after("item:").c_str());
        // Down from nothing lands on the first item that can be chosen; the rest are skipped.
        int presses = 0;
        for (int i = 0; i <= item && i < menu->GetNItems(); ++i) {
            const IPopupMenuItem* entry = menu->GetItem(i);
            if (entry->GetEnabled() && !entry->GetIsTitle() && !entry->GetIsSeparator()) ++presses;
        }
        for (int i = 0; i < presses; ++i)
            user.Key(XK_Down);
        user.Key(XK_Return);
    } else {
        const std::string text = answer.rfind("path:", 0) == 0 ? after("path:") : after("text:");
        user.Modifier(XK_Control_L, true);
        user.Key(XK_a); // the whole offered text is replaced
        user.Modifier(XK_Control_L, false);
        user.Type(text);
        user.Key(XK_Return);
    }
    user.Flush();
}

void Make(SyntheticUser& user, const WindowGesture& g, int scale) {
    const unsigned button = g.right ? Button3 : Button1;
    switch (g.kind) {
    case WindowGesture::kClick:
        user.MoveTo(g.x1 * scale, g.y1 * scale);
        for (int i = 0; i < (g.twice ? 2 : 1); ++i) {
            user.Button(button, true);
            user.Button(button, false);
        }
        break;
    case WindowGesture::kDrag:
        if (g.fine) user.Modifier(XK_Shift_L, true);
        user.MoveTo(g.x1 * scale, g.y1 * scale);
        user.Button(Button1, true);
        for (int i = 1; i <= 8; ++i)
            user.MoveTo((g.x1 + (g.x2 - g.x1) * i / 8) * scale,
                        (g.y1 + (g.y2 - g.y1) * i / 8) * scale);
        user.Button(Button1, false);
        if (g.fine) user.Modifier(XK_Shift_L, false);
        break;
    case WindowGesture::kWheel:
        user.MoveTo(g.x1 * scale, g.y1 * scale);
        for (int i = 0; i < std::abs(g.wheel); ++i) {
            user.Button(g.wheel > 0 ? Button4 : Button5, true);
            user.Button(g.wheel > 0 ? Button4 : Button5, false);
        }
        break;
    }
    user.Flush();
}

// Lets the editor take everything sent so far and draw what changed.
void Settle(IGraphicsX11& surface) {
    for (int i = 0; i < 2; ++i) {
        XSync(surface.GetDisplay(), False);
        surface.Idle();
    }
    surface.DrawDirty();
}

bool WriteWindowPNG(IGraphicsX11& surface, const std::string& path) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(surface.GetDisplay(), surface.GetXWindow(), &attributes))
        return false;
    XImage* image = XGetImage(surface.GetDisplay(), surface.GetXWindow(), 0, 0,
                              static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return false;
    RAST_MemBitmap picture(attributes.width, attributes.height);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            RAST_PutPixel(&picture, x, y,
                          RAST_RGBA((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF, 255), 1.0f,
                          RAST_BLIT_MODE_COPY);
        }
    XDestroyImage(image);
    return RAST_WritePNG(path.c_str(), &picture);
}

} // namespace

int runWindowScreenshot(const WindowScreenshot& shot) {
    // Without a screen, a virtual one of our own for as long as the picture takes.
    XvfbServer server;
    std::string display;
    const char* current = std::getenv("DISPLAY");
    if (!current || !*current) {
        std::string error;
        if (!server.Start(2400, 1200, error))
            return inputError("screenshot --window: no $DISPLAY, and " + error);
        display = server.DisplayName();
    }

    SetGraphicsFactory(MakeWindowGraphics);
    std::unique_ptr<Karvelund> plug(MakePlug());
    SetGraphicsFactory(nullptr);
    std::string error;
    if (!applySetup(*plug, shot.setup, error)) return inputError(error);
    auto* surface = dynamic_cast<IGraphicsX11*>(plug->GetGUI());
    if (!surface) return inputError("the instrument has no X11 editor");
    for (int i = 0; i < plug->NParams(); ++i)
        surface->SetParameterFromPlug(i, plug->GetParam(i)->GetNormalized(), true);
    plug->Initialize(48000.0, 512);
    holdNotes(*plug, shot.notes);

    surface->SetDisplayName(display.c_str());
    surface->SetDialogProgram("-"); // answered here, never by a desktop dialog
    if (!surface->OpenWindow(nullptr))
        return inputError("screenshot --window: cannot open a window on the X display");
    int event = 0, xError = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(surface->GetDisplay(), &event, &xError, &major, &minor))
        return inputError("screenshot --window: the X server has no XTest extension");
    SyntheticUser user(surface->GetDisplay(), surface->GetXWindow());
    std::deque<std::string> answers(shot.answers.begin(), shot.answers.end());
    surface->SetPromptListener([&](const IPopupMenu* menu) { Answer(user, answers, menu); });

    // Shown before the first gesture.
    XEvent exposed;
    XWindowEvent(surface->GetDisplay(), surface->GetXWindow(), ExposureMask, &exposed);
    XPutBackEvent(surface->GetDisplay(), &exposed);
    Settle(*surface);

    if (shot.onStart) shot.onStart(*plug);
    for (const WindowGesture& gesture : shot.gestures) {
        std::vector<double> before;
        for (int i = 0; i < plug->NParams(); ++i)
            before.push_back(plug->GetParam(i)->Value());
        Make(user, gesture, surface->GetScaleFactor());
        Settle(*surface);
        if (shot.afterGesture) shot.afterGesture(before);
    }
    if (shot.onFinish) shot.onFinish();
    const bool written = WriteWindowPNG(*surface, shot.pngPath);
    surface->SetPromptListener(nullptr);
    surface->CloseWindow();
    if (!written) return inputError(shot.pngPath + ": cannot write the picture");
    return kExitOk;
}

} // namespace kv::cli
