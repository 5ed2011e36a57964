#pragma once

#include "editor/IGraphicsStructs.h"

#include <X11/Xlib.h>
#include <memory>
#include <vector>

class IGraphicsX11;
class IPopupMenu;
class RAST_MemBitmap;
class X11Image;

// A popup menu shown by the X11 surface: one override-redirect window per open level (the menu
// and the submenus on the way to the highlighted item), drawn with the raster library in the
// editor's colours. The mouse highlights and chooses; Up and Down move, Right or Enter open a
// submenu, Left closes one, Enter or Space choose, Escape cancels, and a click outside every
// level cancels. The editor keeps redrawing meanwhile.
class X11PopupMenu {
public:
    X11PopupMenu(IGraphicsX11& owner, int scale);
    ~X11PopupMenu();
    X11PopupMenu(const X11PopupMenu&) = delete;
    X11PopupMenu& operator=(const X11PopupMenu&) = delete;

    // Shows menu with its top-left corner at the root position (or above it, when it would
    // run off the screen: anchorTop is then the bottom) and waits. Returns the menu that holds
    // the chosen item, with SetChosenItemIdx done, or null when cancelled.
    IPopupMenu* Run(IPopupMenu* menu, int rootX, int rootY, int anchorTop);

    // The menu windows open now, outermost first (for tests and for the host's inspection).
    std::vector<Window> OpenWindows() const;

private:
    struct Level;

    void OpenLevel(IPopupMenu* menu, int rootX, int rootY, int anchorTop);
    void CloseLevelsAbove(size_t depth);
    void Paint(Level& level);
    void HandleEvent(XEvent& event);
    void HandlePointer(int rootX, int rootY, bool press, bool release);
    void HandleKey(XKeyEvent& event);
    void Highlight(size_t depth, int item, bool openSubmenu);
    void Activate(size_t depth, int item, bool byKey);
    int NextSelectable(const Level& level, int from, int step) const;
    bool Selectable(const Level& level, int item) const;
    int LevelAt(int rootX, int rootY) const;
    int ItemAt(const Level& level, int rootY) const;

    IGraphicsX11& mOwner;
    Display* mDisplay;
    int mScale;
    IText mTextStyle;
    IText mTitleStyle;
    std::vector<std::unique_ptr<Level>> mLevels;
    bool mDone = false;
    bool mArmed = false; // a release chooses only once the pointer has moved onto an item
    IPopupMenu* mChosen = nullptr;
};
