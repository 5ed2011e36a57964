#include "IGraphicsX11.h"

#include "X11TextField.h"
#include "core/IParam.h"
#include "editor/IControl.h"
#include "raster/raster.h"

// Xlib's macros (Bool, None, Expose ...) come after the framework's headers.
#include "X11Image.h"
#include "X11PopupMenu.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace {

Window WindowFromPointer(void* parent) {
    return static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent));
}

void* PointerFromWindow(Window window) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window));
}

// The desktop's double-click time: the Xt resource most desktops set, else 400 ms.
int DoubleClickTime(Display* display) {
    for (const char* program : {"*", "Xt"}) {
        const char* value = XGetDefault(display, program, "multiClickTime");
        if (value && std::atoi(value) > 0) return std::atoi(value);
    }
    return DoubleClickDetector::kDefaultTimeMs;
}

} // namespace

IGraphicsX11::IGraphicsX11(IPluginBase* plug, int w, int h, int fps)
    : IGraphicsLinux(plug, w, h, fps) {}

IGraphicsX11::~IGraphicsX11() {
    CloseWindow();
}

void IGraphicsX11::SetScaleFactor(int scale) {
    mRequestedScale = scale == 1 || scale == 2 ? scale : 0;
}

int IGraphicsX11::PickScaleFactor() const {
    if (mRequestedScale) return mRequestedScale;
    if (const char* env = std::getenv("KARVELUND_SCALE")) return std::atoi(env) >= 2 ? 2 : 1;
    if (mDisplay) {
        const char* dpi = XGetDefault(mDisplay, "Xft", "dpi");
        if (dpi && std::atof(dpi) >= 144.0) return 2;
    }
    return 1;
}

void* IGraphicsX11::OpenWindow(void* parent) {
    CloseWindow();
    mDisplay = XOpenDisplay(mDisplayName.empty() ? nullptr : mDisplayName.c_str());
    if (!mDisplay) return nullptr;
    mScale = PickScaleFactor();
    if (!CreateWindow(WindowFromPointer(parent))) {
        DestroyWindow();
        return nullptr;
    }
    mDoubleClick.SetTimeMs(DoubleClickTime(mDisplay));
    // The whole editor is drawn now, so that the first exposure has something to show.
    SetAllControlsDirty();
    DrawDirty();
    mNextTick = std::chrono::steady_clock::now();
    return PointerFromWindow(mWindow);
}

bool IGraphicsX11::CreateWindow(Window parent) {
    const int screen = DefaultScreen(mDisplay);
    const int w = Width() * mScale, h = Height() * mScale;
    mParent = parent;
    XSetWindowAttributes attributes{};
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | StructureNotifyMask;
    attributes.background_pixmap = None;
    const Window container = parent ? parent : RootWindow(mDisplay, screen);
    mWindow = XCreateWindow(mDisplay, container, 0, 0, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
    if (!mWindow) return false;
    if (!parent) {
        XStoreName(mDisplay, mWindow, "Karvelund");
        const Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
        const char title[] = "Karvelund";
        XChangeProperty(mDisplay, mWindow, XInternAtom(mDisplay, "_NET_WM_NAME", False), utf8, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(title),
                        sizeof(title) - 1);
        XClassHint classHint{const_cast<char*>("karvelund"), const_cast<char*>("Karvelund")};
        XSetClassHint(mDisplay, mWindow, &classHint);
        XSizeHints* hints = XAllocSizeHints();
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = w;
        hints->min_height = hints->max_height = h;
        XSetWMNormalHints(mDisplay, mWindow, hints);
        XFree(hints);
        mDeleteWindow = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(mDisplay, mWindow, &mDeleteWindow, 1);
    }
    mGC = XCreateGC(mDisplay, mWindow, 0, nullptr);
    mImage = std::make_unique<X11Image>(mDisplay, screen, w, h);
    if (!mImage->Valid()) return false;
    XMapWindow(mDisplay, mWindow);
    XFlush(mDisplay);
    return true;
}

void IGraphicsX11::CloseWindow() {
    if (!mDisplay) return;
    if (mModalDepth > 0) {
        // A menu or dialog is still waiting on this window: it closes when they are done.
        mCloseRequested = true;
        return;
    }
    CloseTextEntry();
    DestroyWindow();
}

void IGraphicsX11::DestroyWindow() {
    mImage.reset();
    if (mGC) XFreeGC(mDisplay, mGC);
    if (mWindow) XDestroyWindow(mDisplay, mWindow);
    if (mDisplay) XCloseDisplay(mDisplay);
    mGC = nullptr;
    mWindow = 0;
    mParent = 0;
    mDisplay = nullptr;
    mPressedButton = 0;
    mCloseRequested = false;
}

void* IGraphicsX11::GetWindow() {
    return mWindow ? PointerFromWindow(mWindow) : nullptr;
}

void IGraphicsX11::Resize(int w, int h) {
    if (w == Width() && h == Height()) return;
    IGraphicsLinux::Resize(w, h);
    if (!mWindow) return;
    XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(w * mScale),
                  static_cast<unsigned>(h * mScale));
    mImage = std::make_unique<X11Image>(mDisplay, DefaultScreen(mDisplay), w * mScale, h * mScale);
}

// ---- Drawing ----

bool IGraphicsX11::DrawScreen(IRECT* r) {
    if (r) PutOnScreen(*r);
    return true;
}

bool IGraphicsX11::DrawDirty() {
    IRECT r;
    if (!IsDirty(&r)) return false;
    return Draw(&r);
}

void IGraphicsX11::PutOnScreen(const IRECT& editorRect) {
    RAST_IBitmap* bitmap = GetDrawBitmap();
    if (!mWindow || !mImage || !bitmap) return;
    const IRECT r = editorRect.Intersect(IRECT(0, 0, Width(), Height()));
    if (r.W() <= 0 || r.H() <= 0) return;
    // The drawing bitmap is the editor's size times its own scale (1 or 2).
    const int s = Width() > 0 ? std::max(1, bitmap->getWidth() / Width()) : 1;
    const int x = r.L * s, y = r.T * s, w = r.W() * s, h = r.H() * s;
    mImage->CopyFrom(bitmap->getBits() + static_cast<size_t>(y) * bitmap->getRowSpan() + x,
                     bitmap->getRowSpan(), x, y, w, h);
    if (mTextField && mTextField->Rect().Intersects(r)) {
        // The field is drawn whole and only its part inside r is put back.
        const IRECT& f = mTextField->Rect();
        RAST_MemBitmap overlay(f.W() * mScale, f.H() * mScale);
        mTextField->Draw(&overlay, CacheFont(&mTextField->Style()));
        const IRECT part = f.Intersect(r);
        const RAST_pixel* first =
            overlay.getBits() +
            static_cast<size_t>((part.T - f.T) * mScale) * overlay.getRowSpan() +
            (part.L - f.L) * mScale;
        mImage->CopyFrom(first, overlay.getRowSpan(), part.L * mScale, part.T * mScale,
                         part.W() * mScale, part.H() * mScale);
    }
    mImage->Put(mWindow, mGC, x, y, w, h);
    // With shared memory the server reads the image later: wait, so the next change to it
    // cannot show half-done.
    if (mImage->UsesSharedMemory())
        XSync(mDisplay, False);
    else
        XFlush(mDisplay);
    ++mScreenUpdates;
}

void IGraphicsX11::ExposeArea(int x, int y, int w, int h) {
    // Exposure shows the bitmap as it is; the controls are not drawn again.
    PutOnScreen(IRECT(ToEditor(x), ToEditor(y), ToEditor(x + w + mScale - 1),
                      ToEditor(y + h + mScale - 1)));
}

// ---- Timer and events ----

int IGraphicsX11::MsUntilTick() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        mNextTick - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 1000));
}

void IGraphicsX11::Tick() {
    const auto period = std::chrono::microseconds(1000000 / std::max(1, FPS()));
    const auto now = std::chrono::steady_clock::now();
    if (now < mNextTick) return;
    mNextTick += period;
    if (mNextTick < now) mNextTick = now + period; // fell behind: do not catch up
    DrawDirty();
}

bool IGraphicsX11::WaitForEvents(int timeoutMs) {
    if (!mDisplay) return false;
    if (XPending(mDisplay)) return true;
    pollfd fd{ConnectionNumber(mDisplay), POLLIN, 0};
    return poll(&fd, 1, timeoutMs) > 0;
}

void IGraphicsX11::PumpEvents() {
    while (mDisplay && XPending(mDisplay)) {
        XEvent event;
        XNextEvent(mDisplay, &event);
        HandleEvent(event);
    }
}

bool IGraphicsX11::Idle() {
    if (!mDisplay) return false;
    PumpEvents();
    if (mDisplay) Tick();
    return WindowIsOpen();
}

void IGraphicsX11::RunEventLoop() {
    mQuit.store(false);
    while (WindowIsOpen() && !mQuit.load()) {
        WaitForEvents(std::min(MsUntilTick(), 50));
        Idle();
    }
}

void IGraphicsX11::RunModal(const std::function<void(XEvent&)>& handler,
                            const std::function<bool()>& done) {
    if (!mDisplay) return;
    ++mModalDepth;
    while (!done() && !mQuit.load()) {
        WaitForEvents(std::min(MsUntilTick(), 50));
        while (!done() && XPending(mDisplay)) {
            XEvent event;
            XNextEvent(mDisplay, &event);
            const bool ours = event.xany.window == mWindow;
            if (ours && event.type == Expose) {
                HandleEvent(event);
            } else if (ours && event.type == ClientMessage) {
                HandleEvent(event); // a close request is kept until the wait ends
                handler(event);
            } else {
                handler(event);
            }
        }
        Tick();
    }
    --mModalDepth;
    // The press that opened the menu or dialog had its release taken by it.
    mPressedButton = 0;
    if (mModalDepth == 0 && mCloseRequested) CloseWindow();
}

void IGraphicsX11::HandleEvent(XEvent& event) {
    if (event.xany.window != mWindow) return;
    switch (event.type) {
    case Expose:
        ExposeArea(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
        break;
    case ButtonPress:
        HandleButtonPress(event);
        break;
    case ButtonRelease:
        HandleButtonRelease(event);
        break;
    case MotionNotify:
        // Only the latest position of a burst of moves matters.
        while (XCheckTypedWindowEvent(mDisplay, mWindow, MotionNotify, &event)) {
        }
        HandleMotion(event);
        break;
    case KeyPress:
        HandleKeyPress(event);
        break;
    case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == mDeleteWindow) CloseWindow();
        break;
    default:
        break;
    }
}

void IGraphicsX11::HandleButtonPress(XEvent& event) {
    const XButtonEvent& e = event.xbutton;
    const int x = ToEditor(e.x), y = ToEditor(e.y);
    mLastX = x;
    mLastY = y;
    if (mParent) XSetInputFocus(mDisplay, mWindow, RevertToParent, e.time);
    if (mTextField) {
        if (mTextField->Rect().Contains(x, y) && e.button == Button1) {
            const bool extend = e.state & ShiftMask;
            mTextField->Model().MoveTo(mTextField->PositionAt(x), extend);
            RedrawTextEntry();
            return;
        }
        CommitTextEntry(); // a click elsewhere confirms the field, then does what it does
    }
    IMouseMod mod = MouseModFor(e.state, e.button);
    if (e.button == Button4 || e.button == Button5) {
        OnMouseWheel(x, y, &mod, e.button == Button4 ? 1 : -1);
        return;
    }
    if (e.button != Button1 && e.button != Button3) return;
    mPressedButton = e.button;
    if (mDoubleClick.Press(e.button, e.time, e.x, e.y))
        OnMouseDblClick(x, y, &mod);
    else
        OnMouseDown(x, y, &mod);
}

void IGraphicsX11::HandleButtonRelease(XEvent& event) {
    const XButtonEvent& e = event.xbutton;
    if (e.button != mPressedButton) return;
    mPressedButton = 0;
    IMouseMod mod = MouseModFor(e.state, e.button);
    OnMouseUp(ToEditor(e.x), ToEditor(e.y), &mod);
}

void IGraphicsX11::HandleMotion(XEvent& event) {
    const XMotionEvent& e = event.xmotion;
    const int x = ToEditor(e.x), y = ToEditor(e.y);
    mLastX = x;
    mLastY = y;
    if (mTextField && (e.state & Button1Mask) && mTextField->Rect().Contains(x, y)) {
        mTextField->Model().MoveTo(mTextField->PositionAt(x), true);
        RedrawTextEntry();
        return;
    }
    IMouseMod mod = MouseModFor(e.state, 0);
    if (mPressedButton)
        OnMouseDrag(x, y, &mod);
    else
        OnMouseOver(x, y, &mod);
}

void IGraphicsX11::HandleKeyPress(XEvent& event) {
    XKeyEvent& e = event.xkey;
    char typed[32] = {};
    KeySym sym = NoSymbol;
    const int n = XLookupString(&e, typed, sizeof(typed) - 1, &sym, nullptr);
    if (mTextField) {
        TextFieldModel& field = mTextField->Model();
        const bool shift = e.state & ShiftMask;
        switch (sym) {
        case XK_Return:
        case XK_KP_Enter:
            CommitTextEntry();
            return;
        case XK_Escape:
            CloseTextEntry();
            return;
        case XK_BackSpace:
            field.Backspace();
            break;
        case XK_Delete:
        case XK_KP_Delete:
            field.Delete();
            break;
        case XK_Left:
        case XK_KP_Left:
            field.MoveBy(-1, shift);
            break;
        case XK_Right:
        case XK_KP_Right:
            field.MoveBy(1, shift);
            break;
        case XK_Home:
        case XK_KP_Home:
            field.MoveTo(0, shift);
            break;
        case XK_End:
        case XK_KP_End:
            field.MoveTo(static_cast<int>(field.Text().size()), shift);
            break;
        default:
            if ((e.state & ControlMask) && (sym == XK_a || sym == XK_A)) {
                field.SelectAll();
            } else if (n > 0 && !(e.state & ControlMask)) {
                if (!field.Insert(std::string(typed, static_cast<size_t>(n)))) XBell(mDisplay, 0);
            }
            break;
        }
        RedrawTextEntry();
        return;
    }
    const int key = EditorKeyForKeySym(sym);
    if (key >= 0 && OnKeyDown(mLastX, mLastY, key)) return;
    // Not the editor's: the host's window gets it, as if we had not been there.
    if (mParent) {
        XEvent forward;
        forward.xkey = e;
        forward.xkey.window = mParent;
        XSendEvent(mDisplay, mParent, True, KeyPressMask, &forward);
    }
}

// ---- Text entry ----

void IGraphicsX11::CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                                   IParam* param) {
    if (!control || !textRect || !WindowIsOpen() || mTextField) return;
    const char* allowed = nullptr;
    if (param) allowed = param->Type() == kTypeDouble ? "0123456789.-+" : "0123456789-+";
    const IText style = text ? *text : IText();
    mTextField = std::make_unique<X11TextField>(control, param, style, *textRect, str, allowed,
                                                control->GetTextEntryLength(), mScale);
    XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
    RedrawTextEntry();
}

void IGraphicsX11::RedrawTextEntry() {
    if (mTextField) PutOnScreen(mTextField->Rect());
}

void IGraphicsX11::CloseTextEntry() {
    if (!mTextField) return;
    mLastEntryConfirmed = false;
    const IRECT r = mTextField->Rect();
    mTextField.reset();
    PutOnScreen(r);
}

void IGraphicsX11::CommitTextEntry() {
    if (!mTextField) return;
    IControl* control = mTextField->Control();
    IParam* param = mTextField->Param();
    const std::string text = mTextField->Model().Text();
    CloseTextEntry();
    mLastEntryConfirmed = true;
    mLastEntryText = text;
    EndTextEntry(control, param, text.c_str());
}

void IGraphicsX11::ForceEndUserEdit() {
    CloseTextEntry();
}

// ---- Menus ----

IPopupMenu* IGraphicsX11::CreateIPopupMenu(IPopupMenu* menu, IRECT* textRect) {
    ReleaseMouseCapture();
    if (!menu || !WindowIsOpen() || mModalDepth > 0) return nullptr;
    const IRECT r = textRect ? *textRect : IRECT(mLastX, mLastY, mLastX, mLastY);
    int rootX = 0, rootY = 0, rootTop = 0;
    Window child = 0;
    XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), r.L * mScale,
                          r.B * mScale, &rootX, &rootY, &child);
    rootTop = rootY - r.H() * mScale;
    X11PopupMenu popup(*this, mScale);
    return popup.Run(menu, rootX, rootY, rootTop);
}
