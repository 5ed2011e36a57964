#include "CFInternal.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {
std::atomic<long> gLiveObjects{0};
__CFAllocator gMallocAllocator;
__CFBoolean gTrue(true);
__CFBoolean gFalse(false);
} // namespace

extern "C" long AUSDKLiveObjectCount(void) {
    return gLiveObjects.load();
}

CFObject::CFObject(CFTypeID typeID, CFAllocatorRef allocator, bool immortal)
    : mTypeID(typeID), mAllocator(allocator), mImmortal(immortal) {
    if (!mImmortal) ++gLiveObjects;
}

CFObject::~CFObject() {
    if (!mImmortal) --gLiveObjects;
}

bool CFObject::Equals(const CFObject& other) const {
    return this == &other;
}

std::string CFObject::Describe() const {
    char text[64];
    std::snprintf(text, sizeof(text), "<CFType %lu %p>", mTypeID, static_cast<const void*>(this));
    return text;
}

extern "C" {

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gMallocAllocator;
const CFAllocatorRef kCFAllocatorMalloc = &gMallocAllocator;
const CFBooleanRef kCFBooleanTrue = &gTrue;
const CFBooleanRef kCFBooleanFalse = &gFalse;

CFTypeRef CFRetain(CFTypeRef cf) {
    CFObject* object = AsMutableObject(cf);
    if (object && !object->mImmortal) object->mRetainCount.fetch_add(1);
    return cf;
}

void CFRelease(CFTypeRef cf) {
    CFObject* object = AsMutableObject(cf);
    if (!object || object->mImmortal) return;
    if (object->mRetainCount.fetch_sub(1) == 1) delete object;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
    const CFObject* object = AsObject(cf);
    if (!object) return 0;
    return object->mImmortal ? 0x7FFFFFFF : object->mRetainCount.load();
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
    return cf ? AsObject(cf)->mTypeID : 0;
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
    if (a == b) return true;
    if (!a || !b) return false;
    const CFObject& x = *AsObject(a);
    const CFObject& y = *AsObject(b);
    return x.mTypeID == y.mTypeID && x.Equals(y);
}

CFHashCode CFHash(CFTypeRef cf) {
    return cf ? AsObject(cf)->Hash() : 0;
}

CFStringRef CFCopyDescription(CFTypeRef cf) {
    return cf ? MakeString(AsObject(cf)->Describe()) : nullptr;
}

CFAllocatorRef CFGetAllocator(CFTypeRef cf) {
    return cf ? AsObject(cf)->mAllocator : nullptr;
}

void* CFAllocatorAllocate(CFAllocatorRef, CFIndex size, CFOptionFlags) {
    return size > 0 ? std::malloc(static_cast<size_t>(size)) : nullptr;
}

void CFAllocatorDeallocate(CFAllocatorRef, void* ptr) {
    std::free(ptr);
}

// ---- Strings ----

CFTypeID CFStringGetTypeID(void) {
    return kCFTypeIDString;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding) {
    if (!cStr) return nullptr;
    return new __CFString(cStr, alloc);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding, Boolean) {
    if (numBytes < 0 || (!bytes && numBytes > 0)) return nullptr;
    return new __CFString(
        std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(numBytes)), alloc);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef str) {
    return str ? new __CFString(StringText(str), alloc) : nullptr;
}

CFIndex CFStringGetLength(CFStringRef str) {
    // UTF-16 code units: one per UTF-8 lead byte, two for four-byte sequences.
    CFIndex n = 0;
    for (unsigned char c : StringText(str)) {
        if ((c & 0xC0) != 0x80) n += (c >= 0xF0) ? 2 : 1;
    }
    return n;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
    return encoding == kCFStringEncodingUTF8 ? length * 3 : length;
}

Boolean CFStringGetCString(CFStringRef str, char* buffer, CFIndex bufferSize, CFStringEncoding) {
    if (!str || !buffer || bufferSize <= 0) return false;
    const std::string& text = StringText(str);
    if (static_cast<CFIndex>(text.size()) >= bufferSize) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

const char* CFStringGetCStringPtr(CFStringRef str, CFStringEncoding) {
    return str ? StringText(str).c_str() : nullptr;
}

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options) {
    std::string x = StringText(a), y = StringText(b);
    if (options & kCFCompareCaseInsensitive) {
        for (char& c : x)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : y)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const int r = x.compare(y);
    return r < 0 ? kCFCompareLessThan : (r > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo);
}

CFStringRef __CFStringMakeConstantString(const char* cStr) {
    // One immortal object per distinct text, for the life of the process.
    // Never destroyed: components may still use their constants while the process exits.
    static std::mutex mutex;
    static auto* constants = new std::unordered_map<std::string, __CFString*>;
    std::lock_guard<std::mutex> lock(mutex);
    auto [it, added] = constants->try_emplace(cStr, nullptr);
    if (added) it->second = new __CFString(cStr, nullptr, true);
    return it->second;
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef, CFStringRef format,
                                     ...) {
    if (!format) return nullptr;
    const std::string& f = StringText(format);
    std::string out;
    va_list args;
    va_start(args, format);
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') {
            out += f[i];
            continue;
        }
        // One conversion: flags, width, precision, length, then the conversion letter.
        size_t j = i + 1;
        while (j < f.size() && std::strchr("-+ #0123456789.", f[j]))
            ++j;
        std::string length;
        while (j < f.size() && std::strchr("lhzq", f[j]))
            length += f[j++];
        if (j >= f.size()) break;
        const char conv = f[j];
        std::string conversion = f.substr(i, j - i + 1);
        char piece[512];
        piece[0] = '\0';
        switch (conv) {
        case '%':
            out += '%';
            break;
        case '@': {
            CFTypeRef object = va_arg(args, CFTypeRef);
            out += object ? AsObject(object)->Describe() : "(null)";
            break;
        }
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'c':
            if (length.empty() || length == "h")
                std::snprintf(piece, sizeof(piece), conversion.c_str(), va_arg(args, int));
            else
                std::snprintf(piece, sizeof(piece), conversion.c_str(), va_arg(args, long));
            out += piece;
            break;
        case 'f':
        case 'g':
        case 'e':
        case 'F':
        case 'G':
        case 'E':
            std::snprintf(piece, sizeof(piece), conversion.c_str(), va_arg(args, double));
            out += piece;
            break;
        case 's': {
            const char* s = va_arg(args, const char*);
            out += s ? s : "(null)";
            break;
        }
        case 'p':
            std::snprintf(piece, sizeof(piece), "%p", va_arg(args, void*));
            out += piece;
            break;
        default:
            out += conversion;
            break;
        }
        i = j;
    }
    va_end(args);
    return new __CFString(out, alloc);
}

// ---- Numbers and booleans ----

CFTypeID CFNumberGetTypeID(void) {
    return kCFTypeIDNumber;
}
CFTypeID CFBooleanGetTypeID(void) {
    return kCFTypeIDBoolean;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
    const __CFBoolean* b = As<__CFBoolean>(boolean, kCFTypeIDBoolean);
    return b && b->mValue;
}

CFNumberRef CFNumberCreate(CFAllocatorRef alloc, CFNumberType type, const void* valuePtr) {
    if (!valuePtr) return nullptr;
    int64_t i = 0;
    double d = 0.0;
    bool isFloat = false;
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        i = *static_cast<const int8_t*>(valuePtr);
        break;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        i = *static_cast<const int16_t*>(valuePtr);
        break;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        i = *static_cast<const int32_t*>(valuePtr);
        break;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
        i = *static_cast<const int64_t*>(valuePtr);
        break;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        d = *static_cast<const float*>(valuePtr);
        isFloat = true;
        break;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
        d = *static_cast<const double*>(valuePtr);
        isFloat = true;
        break;
    default:
        return nullptr;
    }
    if (isFloat)
        i = std::isfinite(d) && std::fabs(d) < 9.2e18 ? static_cast<int64_t>(d) : 0;
    else
        d = static_cast<double>(i);
    return new __CFNumber(alloc, isFloat, i, d);
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
    const __CFNumber* n = As<__CFNumber>(number, kCFTypeIDNumber);
    return n && n->mIsFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr) {
    const __CFNumber* n = As<__CFNumber>(number, kCFTypeIDNumber);
    if (!n || !valuePtr) return false;
    const bool exactInt = !n->mIsFloat || static_cast<double>(n->mInt) == n->mDouble;
    auto putInt = [&](auto* out) {
        using T = std::remove_pointer_t<decltype(out)>;
        *out = static_cast<T>(n->mInt);
        return exactInt && static_cast<int64_t>(*out) == n->mInt;
    };
    switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return putInt(static_cast<int8_t*>(valuePtr));
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return putInt(static_cast<int16_t*>(valuePtr));
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        return putInt(static_cast<int32_t*>(valuePtr));
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
        return putInt(static_cast<int64_t*>(valuePtr));
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        *static_cast<float*>(valuePtr) = static_cast<float>(n->mDouble);
        return true;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
        *static_cast<double*>(valuePtr) = n->mDouble;
        return true;
    default:
        return false;
    }
}

// ---- Data ----

CFTypeID CFDataGetTypeID(void) {
    return kCFTypeIDData;
}

CFDataRef CFDataCreate(CFAllocatorRef alloc, const UInt8* bytes, CFIndex length) {
    if (length < 0 || (!bytes && length > 0)) return nullptr;
    return new __CFData(alloc, std::vector<UInt8>(bytes, bytes + length));
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef alloc, CFIndex capacity) {
    auto* data = new __CFData(alloc, {});
    if (capacity > 0) data->mBytes.reserve(static_cast<size_t>(capacity));
    return data;
}

void CFDataAppendBytes(CFMutableDataRef data, const UInt8* bytes, CFIndex length) {
    __CFData* d = As<__CFData>(data, kCFTypeIDData);
    if (d && bytes && length > 0) d->mBytes.insert(d->mBytes.end(), bytes, bytes + length);
}

CFIndex CFDataGetLength(CFDataRef data) {
    const __CFData* d = As<__CFData>(data, kCFTypeIDData);
    return d ? static_cast<CFIndex>(d->mBytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef data) {
    const __CFData* d = As<__CFData>(data, kCFTypeIDData);
    return d ? d->mBytes.data() : nullptr;
}

CFTypeID CFErrorGetTypeID(void) {
    return kCFTypeIDError;
}

CFStringRef CFErrorCopyDescription(CFErrorRef error) {
    const __CFError* e = As<__CFError>(error, kCFTypeIDError);
    return e ? MakeString(e->mDescription) : nullptr;
}

} // extern "C"

bool __CFString::Equals(const CFObject& other) const {
    return mText == static_cast<const __CFString&>(other).mText;
}

CFHashCode __CFString::Hash() const {
    return std::hash<std::string>()(mText);
}

bool __CFNumber::Equals(const CFObject& other) const {
    const auto& o = static_cast<const __CFNumber&>(other);
    return (mIsFloat || o.mIsFloat) ? mDouble == o.mDouble : mInt == o.mInt;
}

std::string __CFNumber::Describe() const {
    char text[64];
    if (mIsFloat)
        std::snprintf(text, sizeof(text), "%.17g", mDouble);
    else
        std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(mInt));
    return text;
}

bool __CFData::Equals(const CFObject& other) const {
    return mBytes == static_cast<const __CFData&>(other).mBytes;
}

std::string __CFData::Describe() const {
    return "<CFData " + std::to_string(mBytes.size()) + " bytes>";
}

bool __CFURL::Equals(const CFObject& other) const {
    return mPath == static_cast<const __CFURL&>(other).mPath;
}

CFStringRef MakeString(std::string text) {
    return new __CFString(std::move(text));
}

const std::string& StringText(CFStringRef str) {
    static const std::string empty;
    const __CFString* s = As<__CFString>(str, kCFTypeIDString);
    return s ? s->mText : empty;
}

bool ReadWholeFile(const std::string& path, std::vector<UInt8>& bytes, size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<size_t>(size) > maxBytes) return false;
    in.seekg(0);
    bytes.resize(static_cast<size_t>(size));
    return size == 0 || static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}
