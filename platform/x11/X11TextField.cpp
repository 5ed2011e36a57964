#include "X11TextField.h"

#include "raster/raster.h"

#include <algorithm>

TextFieldModel::TextFieldModel(const char* text, const char* allowed, int maxLength)
    : mAllowed(allowed ? allowed : ""), mMaxLength(maxLength > 0 ? maxLength : 0) {
    // The offered text is kept as it is, even where it breaks the rules: the user edits it.
    mText = text ? text : "";
    SelectAll();
}

bool TextFieldModel::Accepts(const std::string& text) const {
    if (mMaxLength > 0 && static_cast<int>(text.size()) > mMaxLength) return false;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        if (!mAllowed.empty() && mAllowed.find(c) == std::string::npos) return false;
    }
    return true;
}

bool TextFieldModel::Insert(const std::string& typed) {
    std::string result = mText;
    result.replace(static_cast<size_t>(SelectionStart()),
                   static_cast<size_t>(SelectionEnd() - SelectionStart()), typed);
    if (!Accepts(typed) || !Accepts(result)) return false;
    mText = std::move(result);
    mCaret = mAnchor = SelectionStart() + static_cast<int>(typed.size());
    return true;
}

void TextFieldModel::Backspace() {
    if (!HasSelection()) {
        if (mCaret == 0) return;
        mAnchor = mCaret - 1;
    }
    const int start = SelectionStart();
    mText.erase(static_cast<size_t>(start), static_cast<size_t>(SelectionEnd() - start));
    mCaret = mAnchor = start;
}

void TextFieldModel::Delete() {
    if (!HasSelection()) {
        if (mCaret >= static_cast<int>(mText.size())) return;
        mAnchor = mCaret + 1;
    }
    Backspace();
}

void TextFieldModel::MoveTo(int position, bool extend) {
    mCaret = std::clamp(position, 0, static_cast<int>(mText.size()));
    if (!extend) mAnchor = mCaret;
}

void TextFieldModel::SelectAll() {
    mAnchor = 0;
    mCaret = static_cast<int>(mText.size());
}

X11TextField::X11TextField(IControl* control, IParam* param, const IText& style, const IRECT& rect,
                           const char* text, const char* allowed, int maxLength, int scale)
    : mModel(text, allowed, maxLength), mControl(control), mParam(param), mStyle(style),
      mRect(rect), mScale(scale) {
    mStyle.mSize = std::max(2, static_cast<int>(style.mSize * 0.9)) * scale;
    mStyle.mColor = style.mTextEntryFGColor;
    mStyle.mCached = nullptr;
}

int X11TextField::TextWidth(RAST_CachedFont* font, const std::string& text, int count) {
    if (!font || count <= 0) return 0;
    RECT extent{0, 0, 0, 0};
    font->DrawText(nullptr, text.c_str(), count, &extent, DT_CALCRECT | DT_SINGLELINE);
    return extent.right - extent.left;
}

int X11TextField::TextLeft(RAST_CachedFont* font) {
    const int width = TextWidth(font, mModel.Text(), static_cast<int>(mModel.Text().size()));
    const int margin = 2 * mScale, fieldWidth = mRect.W() * mScale;
    switch (mStyle.mAlign) {
    case IText::kAlignCenter:
        return std::max(margin, (fieldWidth - width) / 2);
    case IText::kAlignRight:
        return std::max(margin, fieldWidth - margin - width);
    default:
        return margin;
    }
}

int X11TextField::PositionAt(int x) {
    const std::string& text = mModel.Text();
    const int local = (x - mRect.L) * mScale - TextLeft(mLastFont);
    int best = 0;
    for (int i = 1; i <= static_cast<int>(text.size()); ++i) {
        const int before = TextWidth(mLastFont, text, i - 1), after = TextWidth(mLastFont, text, i);
        if (local >= (before + after) / 2) best = i;
    }
    return best;
}

void X11TextField::Draw(RAST_IBitmap* bitmap, RAST_CachedFont* font) {
    mLastFont = font;
    const int w = mRect.W() * mScale, h = mRect.H() * mScale;
    const RAST_pixel background = RastColor(&mStyle.mTextEntryBGColor);
    const RAST_pixel foreground = RastColor(&mStyle.mTextEntryFGColor);
    RAST_FillRect(bitmap, 0, 0, w, h, background | 0xFFu, 1.0f, RAST_BLIT_MODE_COPY);
    const std::string& text = mModel.Text();
    const int left = TextLeft(font);
    const int lineHeight = font ? font->GetLineHeight() : h;
    const int top = (h - lineHeight) / 2;
    if (mModel.HasSelection()) {
        const int x0 = left + TextWidth(font, text, mModel.SelectionStart());
        const int x1 = left + TextWidth(font, text, mModel.SelectionEnd());
        RAST_FillRect(bitmap, x0, top, x1 - x0, lineHeight, RAST_RGBA(120, 160, 220, 255), 1.0f,
                      RAST_BLIT_MODE_COPY);
    }
    if (font && !text.empty()) {
        font->SetTextColor(foreground | 0xFFu);
        RECT box{left, top, w, top + lineHeight};
        font->DrawText(bitmap, text.c_str(), -1, &box, DT_SINGLELINE | DT_NOCLIP);
    }
    const int caretX = left + TextWidth(font, text, mModel.Caret());
    RAST_FillRect(bitmap, caretX, top, mScale, lineHeight, foreground | 0xFFu, 1.0f,
                  RAST_BLIT_MODE_COPY);
}
