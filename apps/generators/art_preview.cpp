#include "art_preview.h"

#include "art_keys.h"
#include "art_layout.h"
#include "art_params.h"
#include "art_style.h"

#include <algorithm>
#include <cstdio>

namespace art {

namespace {

constexpr int kAlphaBlit = RAST_BLIT_MODE_COPY | RAST_BLIT_USE_ALPHA;

// Frame i of an image at (x, y), both in editor pixels.
void blitFrame(Canvas& dest, const Artwork& a, int frame, int x, int y) {
    const int s = dest.scale();
    const int w = a.image->width() * s, h = a.frameHeight() * s;
    RAST_Blit(dest.bitmap(), a.image->bitmap(), x * s, y * s, 0, frame * h, w, h, 1.0f, kAlphaBlit);
}

// The frame a bitmap control shows for a value.
int frameOf(double value, int frames) {
    if (frames < 2) return 0;
    return std::clamp(static_cast<int>(0.5 + value * (frames - 1)), 0, frames - 1);
}

double shownValue(const PlacedControl& c, PreviewState state) {
    const double declared = paramArt(c.param).defaultNormalized;
    if (state == PreviewState::kDefaults) return declared;
    return c.kind == Kind::kKnob || c.kind == Kind::kFader ? 1.0 - declared : 1.0;
}

void drawControl(Canvas& dest, const std::vector<Artwork>& art, const PlacedControl& c,
                 double value) {
    const int s = dest.scale();
    const Artwork& image = findArtwork(art, c.image);
    switch (c.kind) {
    case Kind::kKnob: {
        const int w = image.image->width() * s, h = image.image->height() * s;
        const int cx = (2 * c.x * s + w) / 2, cy = (2 * c.y * s + h) / 2;
        const double angle = kKnobMinAngle + value * (kKnobMaxAngle - kKnobMinAngle);
        RAST_RotatedBlit(dest.bitmap(), image.image->bitmap(), cx - w / 2, cy - h / 2, w, h, 0, 0,
                         w, h, static_cast<float>(angle), false, 1.0f,
                         kAlphaBlit | RAST_BLIT_FILTER_BILINEAR, 0.0f, 0.0f);
        break;
    }
    case Kind::kFader: {
        const int w = image.image->width() * s, h = image.image->height() * s;
        const int top = c.y * s + static_cast<int>((1.0 - value) * (kFaderTravel * s - h));
        RAST_Blit(dest.bitmap(), image.image->bitmap(), c.x * s, top, 0, 0, w, h, 1.0f, kAlphaBlit);
        break;
    }
    case Kind::kFrameSwitch:
    case Kind::kStepSwitch:
        blitFrame(dest, image, frameOf(value, image.frames), c.x, c.y);
        break;
    }
}

// What the preset menu draws over its field: the numbered name and its two arrows.
void drawPresetLine(Canvas& dest) {
    const int s = dest.scale();
    const RAST_pixel gray = RAST_RGBA(127, 127, 127, 255);
    const int l = kPresetL * s, t = kPresetT * s, r = kPresetR * s, b = kPresetB * s;
    RAST_Line(dest.bitmap(), l, t, r, t, gray, 1.0f, 0, false);
    RAST_Line(dest.bitmap(), l, b, r, b, gray, 1.0f, 0, false);
    RAST_Line(dest.bitmap(), l, t, l, b, gray, 1.0f, 0, false);
    RAST_Line(dest.bitmap(), r, t, r, b, gray, 1.0f, 0, false);
    const int R = kPresetR, T = kPresetT;
    RAST_FillTriangle(dest.bitmap(), (R - 12) * s, (T + 4) * s, (R - 4) * s, (T + 10) * s,
                      (R - 12) * s, (T + 16) * s, gray, 1.0f, 0);
    RAST_FillTriangle(dest.bitmap(), (R - 18) * s, (T + 4) * s, (R - 26) * s, (T + 10) * s,
                      (R - 18) * s, (T + 16) * s, gray, 1.0f, 0);
    RAST_CachedFont font;
    font.SetFromHFont(CreateFont(18 * s, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"),
                      RAST_FONT_FLAG_OWNS_HFONT);
    font.SetTextColor(gray);
    RECT box{l, t, r, b};
    font.DrawText(dest.bitmap(), " 01: Fat Saw Bass", -1, &box, DT_NOCLIP);
}

void pressKeys(Canvas& dest, const std::vector<Artwork>& art) {
    const Artwork& white = findArtwork(art, "wk");
    const Artwork& black = findArtwork(art, "bk");
    // Keys counted from the lowest: every white-key frame, neighbours held together, the top key.
    const int held[] = {0, 14, 15, 16, 17, 18, 31, 32, 33, 34, 35, 41, 47, 53, 59, 60};
    const int numKeys = kKeyboardOctaves * 12;
    for (int key : held) {
        const int n = key % 12;
        if (isBlack(n)) continue;
        const int whiteIndex = (key / 12) * 7 + (n <= 4 ? n / 2 : (n + 1) / 2);
        const int frame = key >= numKeys ? kWhiteKeyFrames : kWhiteKeyFrame[n];
        blitFrame(dest, white, frame - 1, whiteKeyLeft(whiteIndex), kKeyboardY);
    }
    for (int key : held) {
        if (isBlack(key % 12))
            blitFrame(dest, black, 0, blackKeyLeft(key / 12, key % 12), kKeyboardY);
    }
}

} // namespace

std::unique_ptr<Canvas> composePreview(const std::vector<Artwork>& art, int scale,
                                       PreviewState state) {
    auto out = std::make_unique<Canvas>(kEditorW, kEditorH, scale);
    RAST_Blit(out->bitmap(), findArtwork(art, "background").image->bitmap(), 0, 0, nullptr, 1.0f,
              RAST_BLIT_MODE_COPY);
    for (const PlacedControl& c : placedControls())
        drawControl(*out, art, c, shownValue(c, state));
    drawPresetLine(*out);
    if (state == PreviewState::kAlternate) {
        pressKeys(*out, art);
    } else {
        blitFrame(*out, findArtwork(art, "about"), 0, kAboutX, kAboutY);
    }
    return out;
}

} // namespace art
