#pragma once

#include "util/UTIL_PtrList.h"
#include "util/UTIL_String.h"

class IPopupMenu;

// One entry of a popup menu: text, flags and an optional submenu (not owned).
class IPopupMenuItem {
public:
    enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

    explicit IPopupMenuItem(const char* text, int flags = kNoFlags)
        : mText(text), mSubmenu(nullptr), mFlags(flags) {}
    IPopupMenuItem(const char* text, IPopupMenu* submenu)
        : mText(text), mSubmenu(submenu), mFlags(kNoFlags) {}

    void SetText(const char* text) { mText.Set(text); }
    const char* GetText() const { return mText.Get(); }
    IPopupMenu* GetSubmenu() const { return mSubmenu; }
    int GetFlags() const { return mFlags; }
    void SetChecked(bool checked) { mFlags = checked ? mFlags | kChecked : mFlags & ~kChecked; }
    bool GetChecked() const { return mFlags & kChecked; }
    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetIsTitle() const { return mFlags & kTitle; }
    bool GetIsSeparator() const { return mFlags & kSeparator; }

private:
    UTIL_String mText;
    IPopupMenu* mSubmenu;
    int mFlags;
};

// A platform-independent popup menu: items (owned), submenus (owned by whoever made them),
// check marks, a numbering prefix and, after it was shown, the chosen item.
class IPopupMenu {
public:
    // prefix: 0 no numbering; 1, 2, 3 put the 1-based position before each item as "%1d: ",
    // "%02d: " or "%03d: ".
    explicit IPopupMenu(int prefix = 0, bool canMultiCheck = false);
    IPopupMenu(const IPopupMenu&) = delete;
    IPopupMenu& operator=(const IPopupMenu&) = delete;

    // Takes ownership. index -1 appends; any other index inserts there, clamped to the list.
    IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
    IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
    IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
    IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
    IPopupMenuItem* AddSeparator(int index = -1);

    int GetNItems() const { return mMenuItems.GetSize(); }
    // The item, or null outside the list.
    IPopupMenuItem* GetItem(int idx) const { return mMenuItems.Get(idx); }
    // The item's text, or "" outside the list.
    const char* GetItemText(int idx) const;
    // The text a menu shows for the item: with the numbering prefix when one is set.
    void GetItemDisplayText(int idx, UTIL_String* out) const;
    // Values outside 0..3 are ignored.
    void SetPrefix(int prefix);
    int GetPrefix() const { return mPrefix; }
    bool GetCanMultiCheck() const { return mCanMultiCheck; }
    // False when there is no such item.
    bool CheckItem(int idx, bool checked);
    // Checks item idx and clears every other check mark (-1 clears all).
    void CheckItemAlone(int idx);
    bool IsItemChecked(int idx) const;
    int GetChosenItemIdx() const { return mChosenItemIdx; }
    void SetChosenItemIdx(int idx) { mChosenItemIdx = idx; }

private:
    int mPrefix;
    int mChosenItemIdx = -1;
    bool mCanMultiCheck;
    UTIL_PtrList<IPopupMenuItem> mMenuItems{4096};
};
