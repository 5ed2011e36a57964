#include "core/PlatformPaths.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>

bool GetUserDataPath(const char* folder, const char* fileName, UTIL_String* path) {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    // An empty or relative XDG_DATA_HOME is invalid and ignored.
    if (xdg && xdg[0] == '/')
        base = xdg;
    else if (home && home[0])
        base = std::string(home) + "/.local/share";
    else {
        path->Set("");
        return false;
    }
    path->Set((base + "/" + folder + "/" + fileName).c_str());
    return true;
}

bool GetInstalledPath(const char* fileName, UTIL_String* path) {
    // The module (program or shared library) that contains this code.
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&GetInstalledPath), &info) || !info.dli_fname) {
        path->Set("");
        return false;
    }
    char* resolved = realpath(info.dli_fname, nullptr);
    std::string module = resolved ? resolved : info.dli_fname;
    std::free(resolved);
    const size_t slash = module.rfind('/');
    std::string folder = slash == std::string::npos ? "." : module.substr(0, slash);
    // Inside a bundle the code lies in Contents/MacOS and its files in Contents/Resources.
    static const std::string kBundleCode = "/Contents/MacOS";
    if (folder.size() > kBundleCode.size() &&
        folder.compare(folder.size() - kBundleCode.size(), kBundleCode.size(), kBundleCode) == 0)
        folder.replace(folder.size() - kBundleCode.size(), kBundleCode.size(),
                       "/Contents/Resources");
    path->Set((folder + "/" + fileName).c_str());
    return true;
}
