#include "art_keys.h"

#include "art_geometry.h"
#include "art_layout.h"
#include "art_style.h"

#include <algorithm>

namespace art {

namespace {

constexpr int kBodyW = kWhiteKeyW - 1; // the last column of each white key is the gap
constexpr int kOctaveW = kWhiteKeyW * 7;

// The columns of a white key's upper part that no black key covers, for every key drawn with
// one frame: a frame serves several keys (C and F, E and B), so it leaves out the widest notch.
struct UpperPart {
    int left, right; // key-relative, right exclusive
};

UpperPart upperPartOfFrame(int frame) {
    UpperPart part{0, kBodyW};
    for (int n = 0; n < 12; ++n) {
        if (kWhiteKeyFrame[n] != frame) continue;
        const int wx = kKeyCoords[n];
        for (int b = 0; b < 12; ++b) {
            if (!isBlack(b)) continue;
            const int bx = kKeyCoords[b];
            if (bx < wx && bx + kBlackKeyW > wx)
                part.left = std::max(part.left, bx + kBlackKeyW - wx);
            if (bx >= wx && bx < wx + kBodyW) part.right = std::min(part.right, bx - wx);
        }
    }
    return part;
}

} // namespace

bool isBlack(int n) {
    return kWhiteKeyFrame[n % 12] == 0;
}

int whiteKeyLeft(int w) {
    return kKeyboardX + w * kWhiteKeyW;
}

int blackKeyLeft(int octave, int n) {
    return kKeyboardX + octave * kOctaveW + kKeyCoords[n];
}

std::unique_ptr<Canvas> drawPressedWhiteKeys(int scale) {
    Sprite keys(kWhiteKeyW, kWhiteKeyH * kWhiteKeyFrames, scale, kKeyPressed);
    for (int f = 0; f < kWhiteKeyFrames; ++f) {
        const int top = f * kWhiteKeyH;
        // Frame 6, the topmost key, has no black neighbours; upperPartOfFrame finds no key.
        const UpperPart upper = upperPartOfFrame(f + 1);
        Canvas& shape = keys.shape();
        shape.fillRect(upper.left, top, upper.right - upper.left, kBlackKeyH, kCovered);
        shape.fillRect(0, top + kBlackKeyH, kBodyW, kWhiteKeyH - kBlackKeyH - 4, kCovered);
        shape.fillRoundRect(0, top + kWhiteKeyH - 8, kBodyW, 8, 2, kCovered);
        keys.color().fillRectGradient(0, top, kBodyW, kWhiteKeyH, kKeyPressedTop, kKeyPressed);
    }
    return keys.finish();
}

std::unique_ptr<Canvas> drawPressedBlackKey(int scale) {
    Sprite key(kBlackKeyW, kBlackKeyH, scale, kKeyBlackPressed);
    key.shape().fillRect(0, 0, kBlackKeyW, kBlackKeyH, kCovered);
    Canvas& paint = key.color();
    paint.fillRectGradient(1, 0, kBlackKeyW - 2, kBlackKeyH - 4, kKeyBlackPressed,
                           kKeyBlackPressedFace);
    paint.fillRect(1, kBlackKeyH - 4, kBlackKeyW - 2, 3, rgb(255, 196, 140));
    return key.finish();
}

void paintKeyboard(Canvas& bg) {
    const int y = kKeyboardY;
    const int whiteKeys = kKeyboardOctaves * 7 + 1;
    // The bed the keys lie in, with a strip of felt along the back.
    const Box bed = keyboardBed();
    bg.fillRect(bed.x, bed.y, bed.w, bed.h, rgb(8, 9, 10));
    bg.fillRect(bed.x, bed.y, bed.w, y - bed.y, kAccent, 0.45f);
    for (int w = 0; w < whiteKeys; ++w) {
        const int x = whiteKeyLeft(w);
        bg.fillRectGradient(x, y, kBodyW, kWhiteKeyH - 6, kKeyWhiteTop, kKeyWhite);
        bg.fillRoundRect(x, y + kWhiteKeyH - 8, kBodyW, 8, 2, kKeyWhite);
        // The front edge of a key at rest.
        bg.fillRoundRect(x, y + kWhiteKeyH - 3, kBodyW, 3, 1.5, rgb(205, 202, 196));
        bg.fillRect(x + kBodyW, y, 1, kWhiteKeyH, kKeyGap);
    }
    for (int o = 0; o < kKeyboardOctaves; ++o) {
        for (int n = 0; n < 12; ++n) {
            if (!isBlack(n)) continue;
            const int x = blackKeyLeft(o, n);
            bg.fillRect(x, y, kBlackKeyW, kBlackKeyH, kKeyBlack);
            bg.fillRectGradient(x + 1, y, kBlackKeyW - 2, kBlackKeyH - 5, rgb(30, 31, 35),
                                kKeyBlackFace);
            bg.fillRect(x + 1, y + kBlackKeyH - 5, kBlackKeyW - 2, 4, rgb(74, 77, 84));
        }
    }
}

} // namespace art
