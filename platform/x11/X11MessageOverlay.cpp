#include "X11MessageOverlay.h"

#include "editor/IGraphics.h"
#include "raster/raster.h"

namespace {

constexpr int kWidth = 420, kHeight = 150, kButtonW = 80, kButtonH = 26, kGap = 10;
constexpr RAST_pixel kPanel = RAST_RGBA(38, 38, 40, 255);
constexpr RAST_pixel kBorder = RAST_RGBA(214, 148, 42, 255);
constexpr RAST_pixel kButton = RAST_RGBA(70, 70, 76, 255);
const IColor kText(255, 228, 228, 228);

} // namespace

X11MessageOverlay::X11MessageOverlay(const char* text, int type, int editorW, int editorH)
    : mText(text ? text : "") {
    const int left = (editorW - kWidth) / 2, top = (editorH - kHeight) / 2;
    mRect = IRECT(left, top, left + kWidth, top + kHeight);
    switch (type) {
    case kMessageBoxOKCancel:
        mButtons = {{"OK", kMessageBoxResultOK, {}}, {"Cancel", kMessageBoxResultCancel, {}}};
        break;
    case kMessageBoxYesNo:
        mButtons = {{"Yes", kMessageBoxResultYes, {}}, {"No", kMessageBoxResultNo, {}}};
        break;
    case kMessageBoxYesNoCancel:
        mButtons = {{"Yes", kMessageBoxResultYes, {}},
                    {"No", kMessageBoxResultNo, {}},
                    {"Cancel", kMessageBoxResultCancel, {}}};
        break;
    default:
        mButtons = {{"OK", kMessageBoxResultOK, {}}};
        break;
    }
    // Right-aligned along the bottom, first button leftmost.
    int x = mRect.R - kGap - static_cast<int>(mButtons.size()) * (kButtonW + kGap) + kGap;
    for (Button& button : mButtons) {
        button.rect = IRECT(x, mRect.B - kGap - kButtonH, x + kButtonW, mRect.B - kGap);
        x += kButtonW + kGap;
    }
}

int X11MessageOverlay::ButtonAt(int x, int y) const {
    for (const Button& button : mButtons)
        if (button.rect.Contains(x, y)) return button.result;
    return 0;
}

void X11MessageOverlay::Draw(IGraphics& graphics, RAST_IBitmap* bitmap, int scale) {
    const int w = mRect.W() * scale, h = mRect.H() * scale;
    RAST_FillRect(bitmap, 0, 0, w, h, kPanel, 1.0f, RAST_BLIT_MODE_COPY);
    for (int i = 0; i < scale; ++i)
        RAST_DrawRect(bitmap, i, i, w - 2 * i, h - 2 * i, kBorder, 1.0f, RAST_BLIT_MODE_COPY);
    IText style(14 * scale, &kText, "DejaVu Sans", IText::kStyleNormal, IText::kAlignLeft);
    RAST_CachedFont* font = graphics.CacheFont(&style);
    if (!font) return;
    font->SetTextColor(RastColor(&kText));
    RECT message{kGap * scale, kGap * scale, w - kGap * scale, h - (2 * kGap + kButtonH) * scale};
    font->DrawText(bitmap, mText.c_str(), -1, &message, DT_NOCLIP);
    for (const Button& button : mButtons) {
        const int bx = (button.rect.L - mRect.L) * scale, by = (button.rect.T - mRect.T) * scale;
        RAST_FillRect(bitmap, bx, by, kButtonW * scale, kButtonH * scale, kButton, 1.0f,
                      RAST_BLIT_MODE_COPY);
        RECT label{bx, by, bx + kButtonW * scale, by + kButtonH * scale};
        font->DrawText(bitmap, button.label, -1, &label,
                       DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }
}
