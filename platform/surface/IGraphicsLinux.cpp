#include "IGraphicsLinux.h"

#include "LaunchDetached.h"
#include "core/IParam.h"
#include "core/PlatformPaths.h"
#include "editor/IControl.h"
#include "editor/IPopupMenu.h"
#include "raster/raster.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool HasPNGExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot && strcasecmp(dot + 1, "png") == 0;
}

// $variable when it holds an absolute path, else $HOME followed by fallback.
void UserFolder(const char* variable, const char* fallback, UTIL_String* path) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') {
        path->Set(value);
        return;
    }
    const char* home = std::getenv("HOME");
    std::string folder = home && *home ? home : "";
    path->Set((folder + fallback).c_str());
}

} // namespace

IGraphicsLinux::IGraphicsLinux(IPluginBase* plug, int w, int h, int fps)
    : IGraphics(plug, w, h, fps) {
    GetInstalledPath("resources", &mResourceFolder);
}

bool IGraphicsLinux::FindResourceFile(const char* name, UTIL_String* path) const {
    path->Set("");
    if (!name || !*name) return false;
    const std::string fileName = name;
    if (fileName[0] == '/') {
        if (!IsRegularFile(fileName)) return false;
        path->Set(name);
        return true;
    }
    const std::string folder = std::string(mResourceFolder.Get()) + "/";
    const std::string prefix = "resources/";
    const std::string relative =
        fileName.compare(0, prefix.size(), prefix) == 0 ? fileName.substr(prefix.size()) : fileName;
    const size_t slash = fileName.rfind('/');
    const std::string baseName = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    for (const std::string& candidate :
         {folder + relative, folder + "img/" + baseName, folder + baseName}) {
        if (IsRegularFile(candidate)) {
            path->Set(candidate.c_str());
            return true;
        }
    }
    return false;
}

RAST_IBitmap* IGraphicsLinux::OSLoadBitmap(int /*id*/, const char* name) {
    if (!name || !HasPNGExtension(name)) return nullptr;
    UTIL_String path;
    if (!FindResourceFile(name, &path)) return nullptr;
    return RAST_LoadPNG(path.Get());
}

RAST_IBitmap* IGraphicsLinux::OSLoadScaledBitmap(int /*id*/, const char* name, int scale) {
    if (!name || !HasPNGExtension(name) || scale < 2) return nullptr;
    const std::string fileName = name;
    const size_t slash = fileName.rfind('/');
    const std::string baseName = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::string path =
        std::string(mResourceFolder.Get()) + "/img@" + std::to_string(scale) + "x/" + baseName;
    return IsRegularFile(path) ? RAST_LoadPNG(path.c_str()) : nullptr;
}

void IGraphicsLinux::HostPath(UTIL_String* path) {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) {
        path->Set("");
        return;
    }
    buffer[n] = '\0';
    path->Set(buffer);
}

void IGraphicsLinux::PluginPath(UTIL_String* path) {
    GetInstalledPath("", path);
}

void IGraphicsLinux::DesktopPath(UTIL_String* path) {
    UserFolder("XDG_DESKTOP_DIR", "/Desktop", path);
}

void IGraphicsLinux::AppSupportPath(UTIL_String* path) {
    UserFolder("XDG_DATA_HOME", "/.local/share", path);
}

bool IGraphicsLinux::OpenURL(const char* url, const char* /*windowTitle*/,
                             const char* /*confirmMessage*/, const char* /*errorMessage*/) {
    if (!url || !*url || url[0] == '-') return false;
    return LaunchDetached(mURLOpener.Get(), url);
}

std::string IGraphicsLinux::FilterEntryText(const char* typed, const IParam* param, int maxLength) {
    std::string text;
    if (!typed) return text;
    const char* allowed = nullptr;
    if (param) allowed = param->Type() == kTypeDouble ? "0123456789.-+" : "0123456789-+";
    for (const char* c = typed; *c; ++c) {
        if (maxLength > 0 && static_cast<int>(text.size()) >= maxLength) break;
        if (allowed && !std::strchr(allowed, *c)) continue;
        text += *c;
    }
    return text;
}

void IGraphicsLinux::EndTextEntry(IControl* control, IParam* param, const char* text) {
    if (!control) return;
    if (param)
        SetFromStringAfterPrompt(control, param, text);
    else
        control->TextFromTextEntry(text);
}

IPopupMenu* IGraphicsLinux::ChooseMenuItem(IPopupMenu* menu, const std::vector<int>& path) {
    for (size_t level = 0; menu && level < path.size(); ++level) {
        const IPopupMenuItem* item = menu->GetItem(path[level]);
        if (!item || !item->GetEnabled() || item->GetIsTitle() || item->GetIsSeparator())
            return nullptr;
        if (level + 1 == path.size()) {
            if (item->GetSubmenu()) return nullptr;
            menu->SetChosenItemIdx(path[level]);
            return menu;
        }
        menu = item->GetSubmenu();
    }
    return nullptr;
}

int IGraphicsLinux::DismissedMessageBoxResult(int type) {
    switch (type) {
    case kMessageBoxOKCancel:
    case kMessageBoxYesNoCancel:
        return kMessageBoxResultCancel;
    case kMessageBoxYesNo:
        return kMessageBoxResultNo;
    default:
        return kMessageBoxResultOK;
    }
}
