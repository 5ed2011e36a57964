#include "AUHostBundle.h"

#include <dlfcn.h>

#include <climits>

namespace {

std::string StringValue(CFDictionaryRef dict, const char* key) {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    const void* value = CFDictionaryGetValue(dict, k);
    CFRelease(k);
    if (!value || CFGetTypeID(value) != CFStringGetTypeID()) return {};
    const char* text =
        CFStringGetCStringPtr(static_cast<CFStringRef>(value), kCFStringEncodingUTF8);
    return text ? text : "";
}

const void* Value(CFDictionaryRef dict, const char* key) {
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    const void* value = CFDictionaryGetValue(dict, k);
    CFRelease(k);
    return value;
}

} // namespace

bool FourCharCodeFromText(const std::string& text, OSType& code) {
    if (text.size() != 4) return false;
    code = 0;
    for (unsigned char c : text)
        code = (code << 8) | c;
    return true;
}

std::string TextFromFourCharCode(OSType code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>((code >> shift) & 0xFF);
    return text;
}

AUHostBundle::~AUHostBundle() {
    if (mComponent) AUSDKUnregisterComponent(mComponent);
    if (mLibrary) dlclose(mLibrary);
    if (mBundle) CFRelease(mBundle);
}

bool AUHostBundle::Load(const std::string& path, std::string& error) {
    mPath = path;
    CFStringRef pathString =
        CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, pathString, kCFURLPOSIXPathStyle, true);
    CFRelease(pathString);
    mBundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    if (!mBundle) {
        error = path + ": not a bundle folder";
        return false;
    }
    CFDictionaryRef info = CFBundleGetInfoDictionary(mBundle);
    if (!info) {
        error = path + ": no readable Contents/Info.plist";
        return false;
    }
    mIdentifier = StringValue(info, "CFBundleIdentifier");
    const void* components = Value(info, "AudioComponents");
    if (!components || CFGetTypeID(components) != CFArrayGetTypeID() ||
        CFArrayGetCount(static_cast<CFArrayRef>(components)) < 1) {
        error = path + ": Info.plist has no AudioComponents entry";
        return false;
    }
    const void* entry = CFArrayGetValueAtIndex(static_cast<CFArrayRef>(components), 0);
    if (CFGetTypeID(entry) != CFDictionaryGetTypeID()) {
        error = path + ": the AudioComponents entry is not a dictionary";
        return false;
    }
    const auto component = static_cast<CFDictionaryRef>(entry);
    if (!FourCharCodeFromText(StringValue(component, "type"), mDescription.componentType) ||
        !FourCharCodeFromText(StringValue(component, "subtype"), mDescription.componentSubType) ||
        !FourCharCodeFromText(StringValue(component, "manufacturer"),
                              mDescription.componentManufacturer)) {
        error = path +
                ": the AudioComponents entry lacks a four-character type, subtype or manufacturer";
        return false;
    }
    mName = StringValue(component, "name");
    if (const void* version = Value(component, "version");
        version && CFGetTypeID(version) == CFNumberGetTypeID())
        CFNumberGetValue(static_cast<CFNumberRef>(version), kCFNumberIntType, &mVersion);
    const std::string factory = StringValue(component, "factoryFunction");

    CFURLRef executable = CFBundleCopyExecutableURL(mBundle);
    char file[PATH_MAX];
    const bool haveFile =
        executable && CFURLGetFileSystemRepresentation(
                          executable, true, reinterpret_cast<UInt8*>(file), sizeof(file));
    if (executable) CFRelease(executable);
    if (!haveFile) {
        error = path + ": Info.plist names no executable";
        return false;
    }
    // Kept loaded once opened, as the platform keeps bundles: the component's process-wide
    // caches outlive any one instance.
    mLibrary = dlopen(file, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!mLibrary) {
        error = std::string("cannot load ") + file + ": " + dlerror();
        return false;
    }
    mEntry = reinterpret_cast<ComponentRoutine>(dlsym(mLibrary, factory.c_str()));
    if (factory.empty() || !mEntry) {
        error = std::string(file) + ": no entry \"" + factory + "\"";
        return false;
    }
    // The view component's entry sits beside the unit's: X_Entry and X_ViewEntry.
    const size_t suffix = factory.rfind("_Entry");
    if (suffix != std::string::npos) {
        const std::string viewEntry = factory.substr(0, suffix) + "_ViewEntry";
        mViewEntry = reinterpret_cast<ComponentRoutine>(dlsym(mLibrary, viewEntry.c_str()));
    }
    mComponent = AUSDKRegisterComponent(&mDescription, mEntry);
    return true;
}
