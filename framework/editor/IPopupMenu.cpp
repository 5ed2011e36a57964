#include "editor/IPopupMenu.h"

IPopupMenu::IPopupMenu(int prefix, bool canMultiCheck)
    : mPrefix(prefix >= 0 && prefix < 4 ? prefix : 0), mCanMultiCheck(canMultiCheck) {}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index) {
    if (!item) return nullptr;
    if (index == -1) return mMenuItems.Add(item);
    return mMenuItems.Insert(index, item);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags) {
    return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu) {
    return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu) {
    return AddItem(new IPopupMenuItem(text, submenu), -1);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index) {
    return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

const char* IPopupMenu::GetItemText(int idx) const {
    const IPopupMenuItem* item = GetItem(idx);
    return item ? item->GetText() : "";
}

void IPopupMenu::GetItemDisplayText(int idx, UTIL_String* out) const {
    out->Set("");
    const IPopupMenuItem* item = GetItem(idx);
    if (!item) return;
    if (!item->GetIsSeparator()) {
        const int position = idx + 1;
        switch (mPrefix) {
        case 1:
            out->SetFormatted(0, "%1d: ", position);
            break;
        case 2:
            out->SetFormatted(0, "%02d: ", position);
            break;
        case 3:
            out->SetFormatted(0, "%03d: ", position);
            break;
        default:
            break;
        }
    }
    out->Append(item->GetText());
}

void IPopupMenu::SetPrefix(int prefix) {
    if (prefix >= 0 && prefix < 4) mPrefix = prefix;
}

bool IPopupMenu::CheckItem(int idx, bool checked) {
    IPopupMenuItem* item = GetItem(idx);
    if (!item) return false;
    item->SetChecked(checked);
    return true;
}

void IPopupMenu::CheckItemAlone(int idx) {
    for (int i = 0; i < GetNItems(); ++i)
        GetItem(i)->SetChecked(i == idx);
}

bool IPopupMenu::IsItemChecked(int idx) const {
    const IPopupMenuItem* item = GetItem(idx);
    return item && item->GetChecked();
}
