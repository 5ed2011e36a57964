#pragma once

#include "editor/IGraphicsStructs.h"

#include <string>
#include <vector>

class IGraphics;
class RAST_IBitmap;

// The editor's own message box, for a desktop without a dialog program: a panel over the
// middle of the editor with the message and its buttons (OK; OK, Cancel; Yes, No; Yes, No,
// Cancel). Enter takes the first button, Escape the last (the one that changes nothing).
class X11MessageOverlay {
public:
    X11MessageOverlay(const char* text, int type, int editorW, int editorH);

    const IRECT& Rect() const { return mRect; }
    // The EMessageBoxResult of the button at editor (x, y), or 0.
    int ButtonAt(int x, int y) const;
    int FirstResult() const { return mButtons.front().result; }
    int LastResult() const { return mButtons.back().result; }
    // Draws the panel into bitmap (its size times scale), whose top-left is the panel's.
    void Draw(IGraphics& graphics, RAST_IBitmap* bitmap, int scale);

private:
    struct Button {
        const char* label;
        int result;
        IRECT rect; // editor coordinates
    };
    std::string mText;
    IRECT mRect;
    std::vector<Button> mButtons;
};
