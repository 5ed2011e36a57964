#pragma once
// Text drawn from a bitmap font: one frame per character, frame 1 being the space.

#include "editor/IControl.h"
#include "util/UTIL_String.h"

// Draws str in cells of charWidth x charHeight (charOffset extra pixels between cells),
// centred when the style's alignment is centre, else starting one cell in. Text that does not
// fit a row continues on the row below. False, drawing nothing, when the rectangle is not
// wider than two cells or a cell size is not positive.
bool DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* text,
                      const IChannelBlend* blend, const char* str, bool vCenter, bool multiline,
                      int charWidth, int charHeight, int charOffset);

// Shows a text with a bitmap font, vertically centred on one row.
class IBitmapTextControl : public IControl {
public:
    IBitmapTextControl(IPluginBase* plug, IRECT rect, IBitmap* font, const char* str = "",
                       const IText* text = nullptr, int charWidth = 6, int charHeight = 12,
                       int charOffset = 0);

    // Takes the text and marks the control dirty when it differs from the one shown.
    void SetTextFromPlug(const char* str);
    const char* GetTextString() const { return mStr.Get(); }
    bool Draw(IGraphics* graphics) override;

protected:
    UTIL_String mStr;
    int mCharWidth, mCharHeight, mCharOffset;
    IBitmap mTextBitmap;
};
