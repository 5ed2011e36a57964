#include "CFInternal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

constexpr size_t kMaxInfoPlistBytes = 1 << 20;

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string CanonicalPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    std::string result = resolved ? resolved : path;
    std::free(resolved);
    return result;
}

// Every bundle created in this process, and the main bundle. They live until the process ends.
struct BundleRegistry {
    std::mutex mutex;
    std::vector<__CFBundle*> bundles;
    __CFBundle* main = nullptr;
    std::string mainIdentifier;
};

BundleRegistry& Registry() {
    static BundleRegistry* registry = new BundleRegistry;
    return *registry;
}

CFDictionaryRef ReadInfoPlist(const std::string& bundlePath) {
    std::vector<UInt8> bytes;
    if (!ReadWholeFile(bundlePath + "/Contents/Info.plist", bytes, kMaxInfoPlistBytes))
        return nullptr;
    CFDataRef data = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
    CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
    CFRelease(data);
    if (list && CFGetTypeID(list) != CFDictionaryGetTypeID()) {
        CFRelease(list);
        return nullptr;
    }
    return static_cast<CFDictionaryRef>(list);
}

CFStringRef IdentifierOf(CFDictionaryRef info) {
    if (!info) return nullptr;
    const void* value = CFDictionaryGetValue(info, CFSTR("CFBundleIdentifier"));
    if (!value || CFGetTypeID(value) != CFStringGetTypeID()) return nullptr;
    return static_cast<CFStringRef>(CFRetain(value));
}

} // namespace

__CFBundle::~__CFBundle() {
    if (mInfo) CFRelease(mInfo);
    if (mIdentifier) CFRelease(mIdentifier);
}

extern "C" {

void AUSDKSetMainBundleIdentifier(const char* identifier) {
    BundleRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.mainIdentifier = identifier ? identifier : "";
    if (registry.main) {
        if (registry.main->mIdentifier) CFRelease(registry.main->mIdentifier);
        registry.main->mIdentifier =
            registry.mainIdentifier.empty() ? nullptr : MakeString(registry.mainIdentifier);
    }
}

CFTypeID CFURLGetTypeID(void) {
    return kCFTypeIDURL;
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, CFStringRef filePath, CFURLPathStyle,
                                       Boolean) {
    if (!filePath) return nullptr;
    return new __CFURL(alloc, WithoutTrailingSlash(StringText(filePath)));
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef alloc, const UInt8* buffer,
                                                 CFIndex bufLen, Boolean) {
    if (!buffer || bufLen < 0) return nullptr;
    return new __CFURL(alloc,
                       WithoutTrailingSlash(std::string(reinterpret_cast<const char*>(buffer),
                                                        static_cast<size_t>(bufLen))));
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle) {
    const __CFURL* u = As<__CFURL>(url, kCFTypeIDURL);
    return u ? MakeString(u->mPath) : nullptr;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
    const __CFURL* u = As<__CFURL>(url, kCFTypeIDURL);
    if (!u || !buffer || static_cast<CFIndex>(u->mPath.size()) >= maxBufLen) return false;
    std::copy(u->mPath.begin(), u->mPath.end(), buffer);
    buffer[u->mPath.size()] = 0;
    return true;
}

CFTypeID CFBundleGetTypeID(void) {
    return kCFTypeIDBundle;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    const __CFURL* url = As<__CFURL>(bundleURL, kCFTypeIDURL);
    if (!url || !IsDirectory(url->mPath)) return nullptr;
    const std::string path = CanonicalPath(url->mPath);
    BundleRegistry& registry = Registry();
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        for (__CFBundle* bundle : registry.bundles) {
            if (bundle->mPath == path)
                return static_cast<CFBundleRef>(AsMutableObject(CFRetain(bundle)));
        }
    }
    CFDictionaryRef info = ReadInfoPlist(path);
    auto* bundle = new __CFBundle(path, info, IdentifierOf(info));
    std::lock_guard<std::mutex> lock(registry.mutex);
    CFRetain(bundle); // the registry's reference
    registry.bundles.push_back(bundle);
    return bundle;
}

CFBundleRef CFBundleGetMainBundle(void) {
    BundleRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (!registry.main) {
        char exe[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        std::string folder = ".";
        if (n > 0) {
            exe[n] = '\0';
            folder = exe;
            folder = folder.substr(0, folder.rfind('/'));
        }
        CFStringRef identifier =
            registry.mainIdentifier.empty() ? nullptr : MakeString(registry.mainIdentifier);
        registry.main = new __CFBundle(folder, nullptr, identifier);
    }
    return registry.main;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
    if (!bundleID) return nullptr;
    BundleRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    for (__CFBundle* bundle : registry.bundles) {
        if (bundle->mIdentifier && CFEqual(bundle->mIdentifier, bundleID)) return bundle;
    }
    return nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
    const __CFBundle* b = As<__CFBundle>(bundle, kCFTypeIDBundle);
    return b ? b->mIdentifier : nullptr;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
    const __CFBundle* b = As<__CFBundle>(bundle, kCFTypeIDBundle);
    return b ? b->mInfo : nullptr;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
    const __CFBundle* b = As<__CFBundle>(bundle, kCFTypeIDBundle);
    return b ? new __CFURL(nullptr, b->mPath) : nullptr;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
    const __CFBundle* b = As<__CFBundle>(bundle, kCFTypeIDBundle);
    if (!b || !b->mInfo) return nullptr;
    const void* name = CFDictionaryGetValue(b->mInfo, CFSTR("CFBundleExecutable"));
    if (!name || CFGetTypeID(name) != CFStringGetTypeID()) return nullptr;
    const std::string& file = StringText(static_cast<CFStringRef>(name));
    if (file.empty() || file.find('/') != std::string::npos || file == "..") return nullptr;
    return new __CFURL(nullptr, b->mPath + "/Contents/MacOS/" + file);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
    const __CFBundle* b = As<__CFBundle>(bundle, kCFTypeIDBundle);
    if (!b || !resourceName) return nullptr;
    auto plain = [](const std::string& part) {
        return part.find('/') == std::string::npos && part != ".." && part != ".";
    };
    const std::string& name = StringText(resourceName);
    const std::string& type = StringText(resourceType);
    const std::string& sub = StringText(subDirName);
    if (name.empty() || !plain(name) || !plain(type) || (!sub.empty() && !plain(sub)))
        return nullptr;
    std::string path = b->mPath + "/Contents/Resources/";
    if (!sub.empty()) path += sub + "/";
    path += name;
    if (!type.empty()) path += "." + type;
    return IsFile(path) ? new __CFURL(nullptr, path) : nullptr;
}

} // extern "C"
