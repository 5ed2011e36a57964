#pragma once
// Conversions between the host's strings and the plug-in's zero-terminated UTF-8 texts.

#include <CoreFoundation/CoreFoundation.h>

#include <string>

// A new string the receiver releases; null for a null text.
inline CFStringRef MakeCFString(const char* text) {
    return text ? CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8)
                : nullptr;
}

// The UTF-8 text of a host string ("" for null or anything that is not a string).
inline std::string CStrLocal(CFStringRef str) {
    if (!str || CFGetTypeID(str) != CFStringGetTypeID()) return {};
    const CFIndex size =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(str), kCFStringEncodingUTF8) + 1;
    std::string text(static_cast<size_t>(size), '\0');
    if (!CFStringGetCString(str, text.data(), size, kCFStringEncodingUTF8)) return {};
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

// Owns one reference for its scope.
class CFReleaser {
public:
    explicit CFReleaser(CFTypeRef object) : mObject(object) {}
    ~CFReleaser() {
        if (mObject) CFRelease(mObject);
    }
    CFReleaser(const CFReleaser&) = delete;
    CFReleaser& operator=(const CFReleaser&) = delete;
    CFTypeRef Get() const { return mObject; }
    CFTypeRef Release() {
        CFTypeRef object = mObject;
        mObject = nullptr;
        return object;
    }

private:
    CFTypeRef mObject;
};
