#pragma once
// The objects behind the CoreFoundation references of this layer. Every object derives from
// CFObject, which carries the type, the retain count and the allocator it came from.

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

enum : CFTypeID {
    kCFTypeIDAllocator = 2,
    kCFTypeIDString = 7,
    kCFTypeIDDictionary = 18,
    kCFTypeIDArray = 19,
    kCFTypeIDData = 20,
    kCFTypeIDBoolean = 21,
    kCFTypeIDNumber = 22,
    kCFTypeIDURL = 29,
    kCFTypeIDBundle = 31,
    kCFTypeIDError = 43,
};

struct CFObject {
    explicit CFObject(CFTypeID typeID, CFAllocatorRef allocator = nullptr, bool immortal = false);
    virtual ~CFObject();
    CFObject(const CFObject&) = delete;
    CFObject& operator=(const CFObject&) = delete;

    virtual bool Equals(const CFObject& other) const;
    virtual CFHashCode Hash() const { return reinterpret_cast<CFHashCode>(this); }
    virtual std::string Describe() const;

    const CFTypeID mTypeID;
    std::atomic<CFIndex> mRetainCount{1};
    CFAllocatorRef mAllocator;
    const bool mImmortal; // constants: retain and release do nothing
};

// The object behind a reference, or null for a null reference.
inline const CFObject* AsObject(CFTypeRef cf) {
    return static_cast<const CFObject*>(cf);
}
inline CFObject* AsMutableObject(CFTypeRef cf) {
    return const_cast<CFObject*>(static_cast<const CFObject*>(cf));
}
// The object when it has the type, else null.
template <typename T> T* As(CFTypeRef cf, CFTypeID typeID) {
    CFObject* object = AsMutableObject(cf);
    return object && object->mTypeID == typeID ? static_cast<T*>(object) : nullptr;
}

struct __CFAllocator : CFObject {
    __CFAllocator() : CFObject(kCFTypeIDAllocator, nullptr, true) {}
};

struct __CFString : CFObject {
    explicit __CFString(std::string text, CFAllocatorRef allocator = nullptr, bool immortal = false)
        : CFObject(kCFTypeIDString, allocator, immortal), mText(std::move(text)) {}
    bool Equals(const CFObject& other) const override;
    CFHashCode Hash() const override;
    std::string Describe() const override { return mText; }
    std::string mText; // UTF-8
};

struct __CFNumber : CFObject {
    __CFNumber(CFAllocatorRef allocator, bool isFloat, int64_t i, double d)
        : CFObject(kCFTypeIDNumber, allocator), mIsFloat(isFloat), mInt(i), mDouble(d) {}
    bool Equals(const CFObject& other) const override;
    CFHashCode Hash() const override { return static_cast<CFHashCode>(mInt); }
    std::string Describe() const override;
    bool mIsFloat;
    int64_t mInt;
    double mDouble;
};

struct __CFBoolean : CFObject {
    explicit __CFBoolean(bool value) : CFObject(kCFTypeIDBoolean, nullptr, true), mValue(value) {}
    std::string Describe() const override { return mValue ? "true" : "false"; }
    bool mValue;
};

struct __CFData : CFObject {
    __CFData(CFAllocatorRef allocator, std::vector<UInt8> bytes)
        : CFObject(kCFTypeIDData, allocator), mBytes(std::move(bytes)) {}
    bool Equals(const CFObject& other) const override;
    std::string Describe() const override;
    std::vector<UInt8> mBytes;
};

struct __CFArray : CFObject {
    __CFArray(CFAllocatorRef allocator, const CFArrayCallBacks* callBacks);
    ~__CFArray() override;
    bool Equals(const CFObject& other) const override;
    std::string Describe() const override;
    const void* Retained(const void* value) const;
    void ReleaseValue(const void* value) const;
    CFArrayCallBacks mCallBacks{};
    std::vector<const void*> mValues;
};

struct __CFDictionary : CFObject {
    __CFDictionary(CFAllocatorRef allocator, const CFDictionaryKeyCallBacks* keyCallBacks,
                   const CFDictionaryValueCallBacks* valueCallBacks);
    ~__CFDictionary() override;
    bool Equals(const CFObject& other) const override;
    std::string Describe() const override;
    // The index of the key, or -1.
    long Find(const void* key) const;
    void Put(const void* key, const void* value, bool replace);
    void Remove(long idx);
    CFDictionaryKeyCallBacks mKeyCallBacks{};
    CFDictionaryValueCallBacks mValueCallBacks{};
    std::vector<std::pair<const void*, const void*>> mEntries; // in the order first added
};

struct __CFURL : CFObject {
    __CFURL(CFAllocatorRef allocator, std::string path)
        : CFObject(kCFTypeIDURL, allocator), mPath(std::move(path)) {}
    bool Equals(const CFObject& other) const override;
    std::string Describe() const override { return "file://" + mPath; }
    std::string mPath; // absolute or relative file-system path, no trailing slash
};

struct __CFBundle : CFObject {
    __CFBundle(std::string path, CFDictionaryRef info, CFStringRef identifier)
        : CFObject(kCFTypeIDBundle, nullptr), mPath(std::move(path)), mInfo(info),
          mIdentifier(identifier) {}
    ~__CFBundle() override;
    std::string Describe() const override { return "CFBundle " + mPath; }
    std::string mPath;
    CFDictionaryRef mInfo;   // owned, may be null
    CFStringRef mIdentifier; // owned, may be null
};

struct __CFError : CFObject {
    explicit __CFError(std::string description)
        : CFObject(kCFTypeIDError, nullptr), mDescription(std::move(description)) {}
    std::string Describe() const override { return mDescription; }
    std::string mDescription;
};

// A new string object (retain count 1).
CFStringRef MakeString(std::string text);
// The text of a string reference, or "" for anything else.
const std::string& StringText(CFStringRef str);
// Reads a whole file; false when it cannot be read or is larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::vector<UInt8>& bytes, size_t maxBytes);
