#pragma once

#include "editor/IGraphicsStructs.h"

#include <string>

class IControl;
class IParam;
class RAST_IBitmap;
class RAST_CachedFont;

// The editing state of a one-line text field: its text, caret and selection, and the
// formatter's rules. Characters outside the allowed set, or beyond the maximum length, are
// refused; nothing is ever half-inserted.
class TextFieldModel {
public:
    // allowed: the characters that may be typed (null or empty: any printable character);
    // maxLength: 0 for no limit.
    TextFieldModel(const char* text, const char* allowed, int maxLength);

    const std::string& Text() const { return mText; }
    int Caret() const { return mCaret; }
    bool HasSelection() const { return mAnchor != mCaret; }
    int SelectionStart() const { return mAnchor < mCaret ? mAnchor : mCaret; }
    int SelectionEnd() const { return mAnchor < mCaret ? mCaret : mAnchor; }

    // Replaces the selection with typed; false (and no change) when the result breaks a rule.
    bool Insert(const std::string& typed);
    void Backspace();
    void Delete();
    // Moves the caret; with extend the selection grows from where it was.
    void MoveTo(int position, bool extend);
    void MoveBy(int delta, bool extend) { MoveTo(mCaret + delta, extend); }
    void SelectAll();

    // Whether text obeys the rules (every character allowed, length within the maximum).
    bool Accepts(const std::string& text) const;

private:
    std::string mText;
    std::string mAllowed;
    int mMaxLength;
    int mCaret = 0;
    int mAnchor = 0;
};

// A text field the X11 surface draws over a control: the model plus what it edits and how it
// looks (the style's font at 0.9 of its size, its text-entry colours).
class X11TextField {
public:
    X11TextField(IControl* control, IParam* param, const IText& style, const IRECT& rect,
                 const char* text, const char* allowed, int maxLength, int scale);

    TextFieldModel& Model() { return mModel; }
    IControl* Control() const { return mControl; }
    IParam* Param() const { return mParam; }
    const IRECT& Rect() const { return mRect; }
    // The caret position for a click at editor x.
    int PositionAt(int x);
    // Draws the field into bitmap (the field's size times the scale), whose top-left pixel is
    // the field's top-left corner.
    void Draw(RAST_IBitmap* bitmap, RAST_CachedFont* font);
    IText& Style() { return mStyle; }

private:
    int TextWidth(RAST_CachedFont* font, const std::string& text, int count);
    int TextLeft(RAST_CachedFont* font);

    TextFieldModel mModel;
    IControl* mControl;
    IParam* mParam;
    IText mStyle;
    IRECT mRect;
    int mScale;
    RAST_CachedFont* mLastFont = nullptr;
};
