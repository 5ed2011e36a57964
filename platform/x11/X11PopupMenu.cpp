#include "X11PopupMenu.h"

#include "IGraphicsX11.h"
#include "X11Image.h"
#include "editor/IPopupMenu.h"
#include "raster/raster.h"
#include "util/UTIL_String.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>

namespace {

// The editor's panel colours: dark grey, light text, an amber highlight.
constexpr RAST_pixel kPanel = RAST_RGBA(38, 38, 40, 255);
constexpr RAST_pixel kBorder = RAST_RGBA(90, 90, 96, 255);
constexpr RAST_pixel kHighlight = RAST_RGBA(214, 148, 42, 255);
constexpr RAST_pixel kSeparator = RAST_RGBA(70, 70, 76, 255);
const IColor kText(255, 228, 228, 228);
const IColor kTextOnHighlight(255, 20, 20, 20);
const IColor kDisabledText(255, 118, 118, 122);
const IColor kTitleText(255, 214, 148, 42);

constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 7;
constexpr int kCheckColumn = 20;
constexpr int kArrowColumn = 18;
constexpr int kMinWidth = 120;

} // namespace

struct X11PopupMenu::Level {
    IPopupMenu* menu = nullptr;
    Window window = 0;
    int x = 0, y = 0, w = 0, h = 0; // root coordinates
    int highlighted = -1;
    std::vector<int> tops; // each item's top, then the bottom of the last
    std::unique_ptr<RAST_MemBitmap> bitmap;
    std::unique_ptr<X11Image> image;
};

X11PopupMenu::X11PopupMenu(IGraphicsX11& owner, int scale)
    : mOwner(owner), mDisplay(owner.GetDisplay()), mScale(std::max(scale, 1)),
      mTextStyle(13 * mScale, &kText, "DejaVu Sans", IText::kStyleNormal, IText::kAlignLeft),
      mTitleStyle(13 * mScale, &kTitleText, "DejaVu Sans", IText::kStyleBold, IText::kAlignLeft) {}

X11PopupMenu::~X11PopupMenu() {
    CloseLevelsAbove(0);
    if (!mLevels.empty()) {
        XDestroyWindow(mDisplay, mLevels[0]->window);
        mLevels.clear();
    }
    if (mDisplay) {
        XUngrabPointer(mDisplay, CurrentTime);
        XUngrabKeyboard(mDisplay, CurrentTime);
        XFlush(mDisplay);
    }
}

std::vector<Window> X11PopupMenu::OpenWindows() const {
    std::vector<Window> windows;
    for (const auto& level : mLevels)
        windows.push_back(level->window);
    return windows;
}

IPopupMenu* X11PopupMenu::Run(IPopupMenu* menu, int rootX, int rootY, int anchorTop) {
    if (!mDisplay || !menu || menu->GetNItems() == 0) return nullptr;
    OpenLevel(menu, rootX, rootY, anchorTop);
    const Window first = mLevels[0]->window;
    XGrabPointer(mDisplay, first, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(mDisplay, first, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    mOwner.RunModal([this](XEvent& event) { HandleEvent(event); }, [this] { return mDone; });
    return mChosen;
}

void X11PopupMenu::OpenLevel(IPopupMenu* menu, int rootX, int rootY, int anchorTop) {
    auto level = std::make_unique<Level>();
    level->menu = menu;
    RAST_CachedFont* font = mOwner.CacheFont(&mTextStyle);
    int textWidth = 0, y = 1;
    bool anySubmenu = false;
    for (int i = 0; i < menu->GetNItems(); ++i) {
        const IPopupMenuItem* item = menu->GetItem(i);
        level->tops.push_back(y);
        y += (item->GetIsSeparator() ? kSeparatorHeight : kItemHeight) * mScale;
        UTIL_String shown;
        menu->GetItemDisplayText(i, &shown);
        RECT extent{0, 0, 0, 0};
        if (font) font->DrawText(nullptr, shown.Get(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
        textWidth = std::max(textWidth, static_cast<int>(extent.right));
        anySubmenu = anySubmenu || item->GetSubmenu();
    }
    level->tops.push_back(y);
    level->h = y + 1;
    level->w = std::max(kMinWidth * mScale,
                        textWidth + (kCheckColumn + (anySubmenu ? kArrowColumn : 8)) * mScale);

    const int screen = DefaultScreen(mDisplay);
    const int screenW = DisplayWidth(mDisplay, screen), screenH = DisplayHeight(mDisplay, screen);
    level->x = std::clamp(rootX, 0, std::max(0, screenW - level->w));
    level->y = rootY + level->h <= screenH ? rootY : std::max(0, anchorTop - level->h);

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    level->window = XCreateWindow(mDisplay, RootWindow(mDisplay, screen), level->x, level->y,
                                  static_cast<unsigned>(level->w), static_cast<unsigned>(level->h),
                                  0, CopyFromParent, InputOutput, CopyFromParent,
                                  CWOverrideRedirect | CWSaveUnder | CWEventMask, &attributes);
    level->bitmap = std::make_unique<RAST_MemBitmap>(level->w, level->h);
    level->image = std::make_unique<X11Image>(mDisplay, screen, level->w, level->h);
    XMapRaised(mDisplay, level->window);
    mLevels.push_back(std::move(level));
    Paint(*mLevels.back());
}

void X11PopupMenu::CloseLevelsAbove(size_t depth) {
    while (mLevels.size() > depth + 1) {
        XDestroyWindow(mDisplay, mLevels.back()->window);
        mLevels.pop_back();
    }
}

bool X11PopupMenu::Selectable(const Level& level, int item) const {
    const IPopupMenuItem* entry = level.menu->GetItem(item);
    return entry && entry->GetEnabled() && !entry->GetIsTitle() && !entry->GetIsSeparator();
}

int X11PopupMenu::NextSelectable(const Level& level, int from, int step) const {
    const int n = level.menu->GetNItems();
    for (int i = 1; i <= n; ++i) {
        const int candidate = ((from + step * i) % n + n) % n;
        if (Selectable(level, candidate)) return candidate;
    }
    return -1;
}

void X11PopupMenu::Paint(Level& level) {
    RAST_MemBitmap* bm = level.bitmap.get();
    RAST_FillRect(bm, 0, 0, level.w, level.h, kPanel, 1.0f, RAST_BLIT_MODE_COPY);
    RAST_DrawRect(bm, 0, 0, level.w, level.h, kBorder, 1.0f, RAST_BLIT_MODE_COPY);
    RAST_CachedFont* font = mOwner.CacheFont(&mTextStyle);
    RAST_CachedFont* titleFont = mOwner.CacheFont(&mTitleStyle);
    for (int i = 0; i < level.menu->GetNItems(); ++i) {
        const IPopupMenuItem* item = level.menu->GetItem(i);
        const int top = level.tops[static_cast<size_t>(i)];
        const int h = level.tops[static_cast<size_t>(i) + 1] - top;
        if (item->GetIsSeparator()) {
            RAST_FillRect(bm, 4 * mScale, top + h / 2, level.w - 8 * mScale, mScale, kSeparator,
                          1.0f, RAST_BLIT_MODE_COPY);
            continue;
        }
        const bool lit = i == level.highlighted;
        if (lit) RAST_FillRect(bm, 1, top, level.w - 2, h, kHighlight, 1.0f, RAST_BLIT_MODE_COPY);
        const IColor& color = item->GetIsTitle()    ? kTitleText
                              : !item->GetEnabled() ? kDisabledText
                              : lit                 ? kTextOnHighlight
                                                    : kText;
        RAST_CachedFont* f = item->GetIsTitle() ? titleFont : font;
        const RAST_pixel pixel = RastColor(&color);
        if (item->GetChecked()) {
            const int cx = 10 * mScale, cy = top + h / 2;
            RAST_Line(bm, cx - 4 * mScale, cy, cx - mScale, cy + 3 * mScale, pixel, 1.0f,
                      RAST_BLIT_MODE_COPY, true);
            RAST_Line(bm, cx - mScale, cy + 3 * mScale, cx + 4 * mScale, cy - 4 * mScale, pixel,
                      1.0f, RAST_BLIT_MODE_COPY, true);
        }
        if (item->GetSubmenu()) {
            const int ax = level.w - 12 * mScale, ay = top + h / 2;
            RAST_FillTriangle(bm, ax, ay - 4 * mScale, ax, ay + 4 * mScale, ax + 4 * mScale, ay,
                              pixel, 1.0f, RAST_BLIT_MODE_COPY);
        }
        if (!f) continue;
        UTIL_String shown;
        level.menu->GetItemDisplayText(i, &shown);
        f->SetTextColor(pixel);
        RECT box{kCheckColumn * mScale, top, level.w, top + h};
        f->DrawText(bm, shown.Get(), -1, &box, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
    }
    level.image->CopyFrom(bm->getBits(), bm->getRowSpan(), 0, 0, level.w, level.h);
    GC gc = DefaultGC(mDisplay, DefaultScreen(mDisplay));
    level.image->Put(level.window, gc, 0, 0, level.w, level.h);
    XFlush(mDisplay);
}

int X11PopupMenu::LevelAt(int rootX, int rootY) const {
    for (int d = static_cast<int>(mLevels.size()) - 1; d >= 0; --d) {
        const Level& l = *mLevels[static_cast<size_t>(d)];
        if (rootX >= l.x && rootX < l.x + l.w && rootY >= l.y && rootY < l.y + l.h) return d;
    }
    return -1;
}

int X11PopupMenu::ItemAt(const Level& level, int rootY) const {
    const int y = rootY - level.y;
    for (size_t i = 0; i + 1 < level.tops.size(); ++i)
        if (y >= level.tops[i] && y < level.tops[i + 1]) return static_cast<int>(i);
    return -1;
}

void X11PopupMenu::Highlight(size_t depth, int item, bool openSubmenu) {
    Level& level = *mLevels[depth];
    if (level.highlighted == item && (!openSubmenu || mLevels.size() > depth + 1)) return;
    CloseLevelsAbove(depth);
    level.highlighted = item;
    Paint(level);
    const IPopupMenuItem* entry = level.menu->GetItem(item);
    if (openSubmenu && entry && entry->GetSubmenu() && entry->GetEnabled() &&
        entry->GetSubmenu()->GetNItems() > 0) {
        const int top = level.y + level.tops[static_cast<size_t>(item)];
        OpenLevel(entry->GetSubmenu(), level.x + level.w - 2 * mScale, top,
                  top + kItemHeight * mScale);
    }
}

void X11PopupMenu::Activate(size_t depth, int item, bool byKey) {
    Level& level = *mLevels[depth];
    if (!Selectable(level, item)) return;
    IPopupMenu* submenu = level.menu->GetItem(item)->GetSubmenu();
    if (submenu) {
        Highlight(depth, item, true);
        if (byKey && mLevels.size() > depth + 1) {
            Level& child = *mLevels[depth + 1];
            Highlight(depth + 1, NextSelectable(child, -1, 1), false);
        }
        return;
    }
    level.menu->SetChosenItemIdx(item);
    mChosen = level.menu;
    mDone = true;
}

void X11PopupMenu::HandlePointer(int rootX, int rootY, bool press, bool release) {
    const int depth = LevelAt(rootX, rootY);
    if (depth < 0) {
        if (press) mDone = true; // a click elsewhere cancels
        return;
    }
    Level& level = *mLevels[static_cast<size_t>(depth)];
    const int item = ItemAt(level, rootY);
    if (item < 0) return;
    if (!press && !release) {
        if (Selectable(level, item)) {
            mArmed = true;
            Highlight(static_cast<size_t>(depth), item, true);
        }
        return;
    }
    if (press || mArmed) Activate(static_cast<size_t>(depth), item, false);
}

void X11PopupMenu::HandleKey(XKeyEvent& event) {
    KeySym sym = NoSymbol;
    char buffer[8];
    XLookupString(&event, buffer, sizeof(buffer), &sym, nullptr);
    const size_t depth = mLevels.size() - 1;
    Level& level = *mLevels[depth];
    switch (sym) {
    case XK_Escape:
        mDone = true;
        break;
    case XK_Up:
    case XK_KP_Up:
        Highlight(depth, NextSelectable(level, level.highlighted < 0 ? 0 : level.highlighted, -1),
                  false);
        break;
    case XK_Down:
    case XK_KP_Down:
        Highlight(depth, NextSelectable(level, level.highlighted, 1), false);
        break;
    case XK_Left:
    case XK_KP_Left:
        if (depth > 0) CloseLevelsAbove(depth - 1);
        break;
    case XK_Right:
    case XK_KP_Right:
        if (level.highlighted >= 0 && level.menu->GetItem(level.highlighted)->GetSubmenu())
            Activate(depth, level.highlighted, true);
        break;
    case XK_Return:
    case XK_KP_Enter:
    case XK_space:
        if (level.highlighted >= 0) Activate(depth, level.highlighted, true);
        break;
    default:
        break;
    }
}

void X11PopupMenu::HandleEvent(XEvent& event) {
    switch (event.type) {
    case Expose:
        for (auto& level : mLevels)
            if (level->window == event.xexpose.window && event.xexpose.count == 0) Paint(*level);
        break;
    case MotionNotify:
        HandlePointer(event.xmotion.x_root, event.xmotion.y_root, false, false);
        break;
    case ButtonPress:
        if (event.xbutton.button <= Button3)
            HandlePointer(event.xbutton.x_root, event.xbutton.y_root, true, false);
        break;
    case ButtonRelease:
        if (event.xbutton.button <= Button3)
            HandlePointer(event.xbutton.x_root, event.xbutton.y_root, false, true);
        break;
    case KeyPress:
        HandleKey(event.xkey);
        break;
    default:
        break;
    }
}
