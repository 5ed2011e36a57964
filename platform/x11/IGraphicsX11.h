#pragma once

#include "IGraphicsLinux.h"
#include "X11Input.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class X11Image;
class X11TextField;

// Xlib's types, without Xlib's macros in every file that includes this one.
struct _XDisplay;
struct _XGC;
union _XEvent;
using XWindowId = unsigned long;

// The editor in an X11 window (Xlib; shared-memory images where the server offers them).
//
// OpenWindow (parent) makes the window a child of the X window whose id the parent pointer
// holds, or a top-level window titled "Karvelund" when parent is null. The surface redraws at
// FPS() ticks a second, putting only the dirty rectangle on screen; the ticks come from Idle()
// (a host's idle call) or from RunEventLoop() (a program of its own). Both also deliver the
// window's mouse and key events to the editor.
//
// At scale factor 2 the window is twice the editor's size, the editor is drawn with the
// double-size images (img@2x) and the mouse is mapped back to editor coordinates.
//
// Everything here runs on the one thread that opened the window.
class IGraphicsX11 : public IGraphicsLinux {
public:
    IGraphicsX11(IPluginBase* plug, int w, int h, int fps);
    ~IGraphicsX11() override;

    // ---- Window ----
    // parent: an X Window id (as a pointer) or null. Returns the window id as a pointer, or
    // null when no display can be opened. Closes any window open before.
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* GetWindow() override;
    bool WindowIsOpen() override { return mWindow != 0; }
    void* GetGUIAPI() override { return GetWindow(); }
    void Resize(int w, int h) override;
    // The display the window is on (null while closed), and the window.
    _XDisplay* GetDisplay() const { return mDisplay; }
    XWindowId GetXWindow() const { return mWindow; }
    // The display to open (null or empty: $DISPLAY).
    void SetDisplayName(const char* name) { mDisplayName = name ? name : ""; }

    // 1 or 2; takes effect at the next OpenWindow. 0 picks it from the environment:
    // $KARVELUND_SCALE, else the desktop's Xft.dpi (2 from 144 dpi up), else 1.
    void SetScaleFactor(int scale);
    int GetScaleFactor() const { return mScale; }

    // ---- Timer drivers ----
    // Delivers pending events and, when a tick is due, redraws what is dirty. For hosts that
    // call an idle function; returns false when the window has been closed.
    bool Idle();
    // Runs events and ticks until the window closes or RequestQuit; returns when it does.
    void RunEventLoop();
    // Ends RunEventLoop soon; safe from a signal handler or another thread.
    void RequestQuit() { mQuit.store(true); }
    // Redraws the dirty controls and puts them on screen now; true when something was drawn.
    bool DrawDirty();
    // How many times a rectangle went on screen (drawn or exposed).
    int ScreenUpdates() const { return mScreenUpdates; }

    // ---- Platform operations ----
    bool DrawScreen(IRECT* r) override;
    void ForceEndUserEdit() override;
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* textRect) override;
    void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                         IParam* param) override;
    void PromptForFile(UTIL_String* file, EFileAction action, UTIL_String* dir,
                       const char* extensions) override;
    bool PromptForColor(IColor* color, const char* prompt) override;
    void UpdateTooltips() override {}

    // The desktop dialog program ("zenity" or "kdialog"; found on PATH). Empty: the surface's
    // own dialogs. By default the first of the two that is installed.
    void SetDialogProgram(const char* program) { mDialogProgram = program ? program : ""; }
    const std::string& GetDialogProgram() const { return mDialogProgram; }

    // Runs a modal wait for the surface's own windows (menus, dialogs): the editor keeps
    // redrawing and repainting exposed parts, every other event goes to handler, until done.
    void RunModal(const std::function<void(_XEvent&)>& handler, const std::function<bool()>& done);

    // Whether a text field is open (for the host and for tests).
    bool TextEntryIsOpen() const { return mTextField != nullptr; }
    // Whether a popup menu or a dialog is waiting for the user.
    bool IsModal() const { return mModalDepth > 0; }

private:
    bool CreateWindow(XWindowId parent);
    void DestroyWindow();
    void HandleEvent(_XEvent& event);
    void HandleButtonPress(_XEvent& event);
    void HandleButtonRelease(_XEvent& event);
    void HandleMotion(_XEvent& event);
    void HandleKeyPress(_XEvent& event);
    void ExposeArea(int x, int y, int w, int h);
    // Puts the editor rectangle r (editor coordinates) on screen, with the open field over it.
    void PutOnScreen(const IRECT& r);
    void Tick();
    void PumpEvents();
    bool WaitForEvents(int timeoutMs);
    int MsUntilTick() const;
    int ToEditor(int windowCoordinate) const { return windowCoordinate / mScale; }
    void CommitTextEntry();
    void CloseTextEntry();
    void RedrawTextEntry();
    // Waits for the child process while the editor keeps redrawing; its exit status or -1.
    int WaitResponsive(int pid);
    std::string RunDialog(const std::vector<std::string>& args, int* exitStatus);
    // The surface's own path field across the top of the editor; false when cancelled.
    bool EditorPathPrompt(const std::string& startText, std::string* path);
    int EditorMessageBox(const char* text, int type);
    int PickScaleFactor() const;

    std::string mDisplayName;
    _XDisplay* mDisplay = nullptr;
    XWindowId mWindow = 0;
    XWindowId mParent = 0;
    _XGC* mGC = nullptr;
    unsigned long mDeleteWindow = 0; // the WM_DELETE_WINDOW atom
    std::unique_ptr<X11Image> mImage;
    std::unique_ptr<X11TextField> mTextField;
    DoubleClickDetector mDoubleClick;
    unsigned int mPressedButton = 0;
    int mLastX = 0, mLastY = 0; // the pointer, in editor coordinates
    bool mCloseRequested = false;
    // How the last text field ended: confirmed, with this text.
    bool mLastEntryConfirmed = false;
    std::string mLastEntryText;
    int mScale = 1;
    int mRequestedScale = 0;
    int mScreenUpdates = 0;
    int mModalDepth = 0;
    std::atomic<bool> mQuit{false};
    std::chrono::steady_clock::time_point mNextTick;
    std::string mDialogProgram;
};
