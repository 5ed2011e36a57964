#include "CFInternal.h"

#include <algorithm>

namespace {

const void* RetainCallBack(CFAllocatorRef, const void* value) {
    return CFRetain(value);
}
void ReleaseCallBack(CFAllocatorRef, const void* value) {
    CFRelease(value);
}
Boolean EqualCallBack(const void* a, const void* b) {
    return CFEqual(a, b);
}
CFHashCode HashCallBack(const void* value) {
    return CFHash(value);
}

const void* CopyStringCallBack(CFAllocatorRef alloc, const void* value) {
    return CFStringCreateCopy(alloc, static_cast<CFStringRef>(value));
}

bool SameValue(CFArrayEqualCallBack equal, const void* a, const void* b) {
    return equal ? equal(a, b) != 0 : a == b;
}

std::string DescribeValue(CFArrayCopyDescriptionCallBack describe, const void* value) {
    if (!describe) return "<value>";
    CFStringRef text = describe(value);
    std::string result = StringText(text);
    CFRelease(text);
    return result;
}

} // namespace

extern "C" {

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainCallBack, ReleaseCallBack,
                                                CFCopyDescription, EqualCallBack};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, RetainCallBack, ReleaseCallBack, CFCopyDescription, EqualCallBack, HashCallBack};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {
    0, CopyStringCallBack, ReleaseCallBack, CFCopyDescription, EqualCallBack, HashCallBack};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
    0, RetainCallBack, ReleaseCallBack, CFCopyDescription, EqualCallBack};

} // extern "C"

// ---- Arrays ----

__CFArray::__CFArray(CFAllocatorRef allocator, const CFArrayCallBacks* callBacks)
    : CFObject(kCFTypeIDArray, allocator) {
    if (callBacks) mCallBacks = *callBacks;
}

__CFArray::~__CFArray() {
    for (const void* value : mValues)
        ReleaseValue(value);
}

const void* __CFArray::Retained(const void* value) const {
    return mCallBacks.retain ? mCallBacks.retain(mAllocator, value) : value;
}

void __CFArray::ReleaseValue(const void* value) const {
    if (mCallBacks.release) mCallBacks.release(mAllocator, value);
}

bool __CFArray::Equals(const CFObject& other) const {
    const auto& o = static_cast<const __CFArray&>(other);
    if (mValues.size() != o.mValues.size()) return false;
    for (size_t i = 0; i < mValues.size(); ++i) {
        if (!SameValue(mCallBacks.equal, mValues[i], o.mValues[i])) return false;
    }
    return true;
}

std::string __CFArray::Describe() const {
    std::string text = "(\n";
    for (const void* value : mValues)
        text += "    " + DescribeValue(mCallBacks.copyDescription, value) + ",\n";
    return text + ")";
}

extern "C" {

CFTypeID CFArrayGetTypeID(void) {
    return kCFTypeIDArray;
}

CFArrayRef CFArrayCreate(CFAllocatorRef alloc, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks) {
    if (numValues < 0 || (!values && numValues > 0)) return nullptr;
    auto* array = new __CFArray(alloc, callBacks);
    for (CFIndex i = 0; i < numValues; ++i)
        array->mValues.push_back(array->Retained(values[i]));
    return array;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef alloc, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks) {
    auto* array = new __CFArray(alloc, callBacks);
    if (capacity > 0) array->mValues.reserve(static_cast<size_t>(capacity));
    return array;
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value) {
    __CFArray* a = As<__CFArray>(array, kCFTypeIDArray);
    if (a) a->mValues.push_back(a->Retained(value));
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex idx) {
    __CFArray* a = As<__CFArray>(array, kCFTypeIDArray);
    if (!a || idx < 0 || idx >= static_cast<CFIndex>(a->mValues.size())) return;
    const void* value = a->mValues[static_cast<size_t>(idx)];
    a->mValues.erase(a->mValues.begin() + idx);
    a->ReleaseValue(value);
}

void CFArrayRemoveAllValues(CFMutableArrayRef array) {
    __CFArray* a = As<__CFArray>(array, kCFTypeIDArray);
    if (!a) return;
    std::vector<const void*> values;
    values.swap(a->mValues);
    for (const void* value : values)
        a->ReleaseValue(value);
}

CFIndex CFArrayGetCount(CFArrayRef array) {
    const __CFArray* a = As<__CFArray>(array, kCFTypeIDArray);
    return a ? static_cast<CFIndex>(a->mValues.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex idx) {
    const __CFArray* a = As<__CFArray>(array, kCFTypeIDArray);
    if (!a || idx < 0 || idx >= static_cast<CFIndex>(a->mValues.size())) return nullptr;
    return a->mValues[static_cast<size_t>(idx)];
}

Boolean CFArrayContainsValue(CFArrayRef array, CFRange range, const void* value) {
    const __CFArray* a = As<__CFArray>(array, kCFTypeIDArray);
    if (!a) return false;
    const CFIndex end =
        std::min<CFIndex>(range.location + range.length, static_cast<CFIndex>(a->mValues.size()));
    for (CFIndex i = std::max<CFIndex>(0, range.location); i < end; ++i) {
        if (SameValue(a->mCallBacks.equal, a->mValues[static_cast<size_t>(i)], value)) return true;
    }
    return false;
}

} // extern "C"

// ---- Dictionaries ----

__CFDictionary::__CFDictionary(CFAllocatorRef allocator,
                               const CFDictionaryKeyCallBacks* keyCallBacks,
                               const CFDictionaryValueCallBacks* valueCallBacks)
    : CFObject(kCFTypeIDDictionary, allocator) {
    if (keyCallBacks) mKeyCallBacks = *keyCallBacks;
    if (valueCallBacks) mValueCallBacks = *valueCallBacks;
}

__CFDictionary::~__CFDictionary() {
    while (!mEntries.empty())
        Remove(static_cast<long>(mEntries.size()) - 1);
}

long __CFDictionary::Find(const void* key) const {
    for (size_t i = 0; i < mEntries.size(); ++i) {
        const void* k = mEntries[i].first;
        if (mKeyCallBacks.equal ? mKeyCallBacks.equal(k, key) != 0 : k == key)
            return static_cast<long>(i);
    }
    return -1;
}

void __CFDictionary::Put(const void* key, const void* value, bool replace) {
    const void* v = mValueCallBacks.retain ? mValueCallBacks.retain(mAllocator, value) : value;
    const long idx = Find(key);
    if (idx < 0) {
        const void* k = mKeyCallBacks.retain ? mKeyCallBacks.retain(mAllocator, key) : key;
        mEntries.emplace_back(k, v);
        return;
    }
    const void* old = mEntries[static_cast<size_t>(idx)].second;
    if (!replace) {
        if (mValueCallBacks.release) mValueCallBacks.release(mAllocator, v);
        return;
    }
    mEntries[static_cast<size_t>(idx)].second = v;
    if (mValueCallBacks.release) mValueCallBacks.release(mAllocator, old);
}

void __CFDictionary::Remove(long idx) {
    const auto entry = mEntries[static_cast<size_t>(idx)];
    mEntries.erase(mEntries.begin() + idx);
    if (mKeyCallBacks.release) mKeyCallBacks.release(mAllocator, entry.first);
    if (mValueCallBacks.release) mValueCallBacks.release(mAllocator, entry.second);
}

bool __CFDictionary::Equals(const CFObject& other) const {
    const auto& o = static_cast<const __CFDictionary&>(other);
    if (mEntries.size() != o.mEntries.size()) return false;
    for (const auto& [key, value] : mEntries) {
        const long idx = o.Find(key);
        if (idx < 0) return false;
        const void* otherValue = o.mEntries[static_cast<size_t>(idx)].second;
        if (mValueCallBacks.equal ? !mValueCallBacks.equal(value, otherValue) : value != otherValue)
            return false;
    }
    return true;
}

std::string __CFDictionary::Describe() const {
    std::string text = "{\n";
    for (const auto& [key, value] : mEntries) {
        text += "    " + DescribeValue(mKeyCallBacks.copyDescription, key) + " = " +
                DescribeValue(mValueCallBacks.copyDescription, value) + ";\n";
    }
    return text + "}";
}

extern "C" {

CFTypeID CFDictionaryGetTypeID(void) {
    return kCFTypeIDDictionary;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef alloc, CFIndex,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
    return new __CFDictionary(alloc, keyCallBacks, valueCallBacks);
}

void CFDictionaryAddValue(CFMutableDictionaryRef dict, const void* key, const void* value) {
    __CFDictionary* d = As<__CFDictionary>(dict, kCFTypeIDDictionary);
    if (d) d->Put(key, value, false);
}

void CFDictionarySetValue(CFMutableDictionaryRef dict, const void* key, const void* value) {
    __CFDictionary* d = As<__CFDictionary>(dict, kCFTypeIDDictionary);
    if (d) d->Put(key, value, true);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dict, const void* key) {
    __CFDictionary* d = As<__CFDictionary>(dict, kCFTypeIDDictionary);
    if (!d) return;
    const long idx = d->Find(key);
    if (idx >= 0) d->Remove(idx);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dict) {
    const __CFDictionary* d = As<__CFDictionary>(dict, kCFTypeIDDictionary);
    return d ? static_cast<CFIndex>(d->mEntries.size()) : 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key) {
    const void* value = nullptr;
    CFDictionaryGetValueIfPresent(dict, key, &value);
    return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dict, const void* key, const void** value) {
    const __CFDictionary* d = As<__CFDictionary>(dict, kCFTypeIDDictionary);
    if (!d) return false;
    const long idx = d->Find(key);
    if (idx < 0) return false;
    if (value) *value = d->mEntries[static_cast<size_t>(idx)].second;
    return true;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dict, const void** keys, const void** values) {
    const __CFDictionary* d = As<__CFDictionary>(dict, kCFTypeIDDictionary);
    if (!d) return;
    for (size_t i = 0; i < d->mEntries.size(); ++i) {
        if (keys) keys[i] = d->mEntries[i].first;
        if (values) values[i] = d->mEntries[i].second;
    }
}

} // extern "C"
