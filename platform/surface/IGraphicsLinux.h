#pragma once

#include "editor/IGraphics.h"
#include "util/UTIL_String.h"

#include <string>
#include <vector>

// What every Linux editor surface shares, windowed or not: images loaded by name from the
// instrument's resource folder, the user's folders, opening addresses with the desktop's
// opener, and the rules a text field and a menu apply to what the user does. The window
// itself (drawing on screen, menus, fields, dialogs) is the subclass's.
class IGraphicsLinux : public IGraphics {
public:
    IGraphicsLinux(IPluginBase* plug, int w, int h, int fps);
    using IGraphics::OpenWindow;

    // What a message box of this type answers when it is closed without a button: Cancel where
    // there is one, else No, else OK.
    static int DismissedMessageBoxResult(int type);

    // Loads a PNG image (the extension is checked without regard to case) found by
    // FindResourceFile; null for any other name or a file that cannot be decoded.
    RAST_IBitmap* OSLoadBitmap(int id, const char* name) override;
    // The high-density art: the same file name in "img@2x" (for scale 2) beside "img" in the
    // resource folder; null when there is none.
    RAST_IBitmap* OSLoadScaledBitmap(int id, const char* name, int scale) override;
    // The folder images are looked up in; by default "resources" beside the program or
    // library that contains the editor.
    void SetResourceFolder(const char* folder) { mResourceFolder.Set(folder); }
    const char* GetResourceFolder() const { return mResourceFolder.Get(); }
    // The existing file a resource name stands for: an absolute name as it is; otherwise,
    // in the resource folder, the name without its leading "resources/", then "img/" and the
    // file name, then the file name alone. False when none exists.
    bool FindResourceFile(const char* name, UTIL_String* path) const;

    // The running program.
    void HostPath(UTIL_String* path) override;
    // The folder of the program or library that contains the editor, with a trailing "/".
    void PluginPath(UTIL_String* path) override;
    // The user's desktop folder ($XDG_DESKTOP_DIR, else ~/Desktop).
    void DesktopPath(UTIL_String* path) override;
    // The user's data folder ($XDG_DATA_HOME, else ~/.local/share).
    void AppSupportPath(UTIL_String* path) override;

    // Starts the opener (xdg-open) with the address as its only argument, without a shell, and
    // does not wait for it. False for an empty address, one that starts with "-" (it would be
    // read as an option), or when the opener cannot be started.
    bool OpenURL(const char* url, const char* windowTitle = nullptr,
                 const char* confirmMessage = nullptr, const char* errorMessage = nullptr) override;
    // The program OpenURL starts (found on PATH unless it holds a "/").
    void SetURLOpener(const char* program) { mURLOpener.Set(program); }

protected:
    // The text a field for this parameter would hold after typing `typed`: numbers only
    // ("0123456789.-+" for a double parameter, no point for the other kinds) when a parameter
    // is given, at most maxLength characters when maxLength is positive.
    static std::string FilterEntryText(const char* typed, const IParam* param, int maxLength);
    // Hands the text of a confirmed field to the parameter (through the control) or to the
    // control itself.
    void EndTextEntry(IControl* control, IParam* param, const char* text);
    // Chooses the item that path leads to (an index in the menu, then in each submenu on the
    // way): records it in the menu that holds it and returns that menu. Null when the path
    // does not end on an item that can be chosen (enabled, not a title, separator or submenu).
    static IPopupMenu* ChooseMenuItem(IPopupMenu* menu, const std::vector<int>& path);

private:
    UTIL_String mResourceFolder;
    UTIL_String mURLOpener{"xdg-open"};
};
