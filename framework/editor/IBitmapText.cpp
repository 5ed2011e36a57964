#include "editor/IBitmapText.h"

#include "editor/IGraphics.h"

#include <cstring>

bool DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* text,
                      const IChannelBlend* blend, const char* str, bool vCenter, bool multiline,
                      int charWidth, int charHeight, int charOffset) {
    if (!str || !*str) return true;
    if (!graphics || !font || !r || charWidth < 1 || charHeight < 1) return false;
    const int n = static_cast<int>(std::strlen(str));
    const int lineWidth = r->W() - 2 * charWidth;
    if (lineWidth <= 0) return false;

    const int top = vCenter ? r->T + (r->H() - charHeight) / 2 : r->T;
    const bool centred = text && text->mAlign == IText::kAlignCenter;
    const int left = centred ? r->L + (r->W() - n * charWidth) / 2 : r->L + charWidth;
    int cellsPerLine = lineWidth / charWidth;
    int lines = 1;
    if (multiline) {
        if (n * charWidth > lineWidth)
            lines = n * charWidth / lineWidth;
        else
            cellsPerLine = n;
    }

    // The row loop runs one row past the count: text that does not fit goes on below.
    int pos = 0;
    for (int line = 0; line <= lines; ++line) {
        const int y = top + line * charHeight;
        for (int c = 0; c < cellsPerLine; ++c, ++pos) {
            if (pos >= n) return true;
            const int frame = static_cast<signed char>(str[pos]) - 31;
            const int x = c * (charWidth + charOffset) + left;
            IRECT cell(x, y, x + charWidth, y + charHeight);
            graphics->DrawBitmap(font, &cell, frame, blend);
        }
    }
    return true;
}

IBitmapTextControl::IBitmapTextControl(IPluginBase* plug, IRECT rect, IBitmap* font,
                                       const char* str, const IText* text, int charWidth,
                                       int charHeight, int charOffset)
    : IControl(plug, rect, -1, IChannelBlend(kBlendAlpha, 1.0f)), mStr(str), mCharWidth(charWidth),
      mCharHeight(charHeight), mCharOffset(charOffset), mTextBitmap(font ? *font : IBitmap()) {
    if (text) mText = *text;
}

void IBitmapTextControl::SetTextFromPlug(const char* str) {
    const char* text = str ? str : "";
    if (std::strcmp(text, mStr.Get()) == 0) return;
    mStr.Set(text);
    SetDirty(false); // after the change, so that a pass that takes the mark draws it
}

bool IBitmapTextControl::Draw(IGraphics* graphics) {
    if (mStr.Empty()) return true;
    return DrawBitmapedText(graphics, &mTextBitmap, &mRECT, &mText, &mBlend, mStr.Get(), true,
                            false, mCharWidth, mCharHeight, mCharOffset);
}
