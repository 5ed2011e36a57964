// The substitute CoreFoundation as the binding and hosts rely on it: reference counts,
// collection callbacks, property lists and bundles.

#include <AUSDKHost.h>
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" long AUSDKLiveObjectCount(void);

namespace {

CFStringRef Str(const char* text) {
    return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
}

std::string Text(CFStringRef str) {
    char buffer[1024];
    return CFStringGetCString(str, buffer, sizeof(buffer), kCFStringEncodingUTF8) ? buffer
                                                                                  : "<none>";
}

TEST(CFObjects, ContainersRetainWhatTheyHoldAndReleaseItOnce) {
    const long live = AUSDKLiveObjectCount();
    CFStringRef key = Str("key");
    CFStringRef value = Str("value");
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dict, key, value);
    EXPECT_EQ(CFGetRetainCount(key), 2);
    EXPECT_EQ(CFGetRetainCount(value), 2);
    CFStringRef other = Str("other");
    CFDictionarySetValue(dict, key, other); // replacing releases the old value
    EXPECT_EQ(CFGetRetainCount(value), 1);
    CFDictionaryAddValue(dict, key, value); // adding to a present key changes nothing
    EXPECT_EQ(CFGetRetainCount(value), 1);
    EXPECT_EQ(CFDictionaryGetValue(dict, key), other);
    CFStringRef equalKey = Str("key"); // looked up by equality, not identity
    EXPECT_EQ(CFDictionaryGetValue(dict, equalKey), other);

    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(array, dict);
    CFArrayAppendValue(array, dict);
    EXPECT_EQ(CFGetRetainCount(dict), 3);
    CFArrayRemoveValueAtIndex(array, 0);
    EXPECT_EQ(CFGetRetainCount(dict), 2);
    EXPECT_EQ(CFArrayGetValueAtIndex(array, 5), nullptr);

    for (CFTypeRef object : {CFTypeRef(key), CFTypeRef(value), CFTypeRef(other),
                             CFTypeRef(equalKey), CFTypeRef(dict), CFTypeRef(array)})
        CFRelease(object);
    EXPECT_EQ(AUSDKLiveObjectCount(), live);
}

TEST(CFObjects, ArraysWithoutCallbacksNeitherRetainNorRelease) {
    CFStringRef value = Str("v");
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, nullptr);
    CFArrayAppendValue(array, value);
    EXPECT_EQ(CFGetRetainCount(value), 1);
    CFRelease(array);
    EXPECT_EQ(CFGetRetainCount(value), 1);
    CFRelease(value);
}

TEST(CFObjects, ConstantStringsAreSharedAndImmortal) {
    CFStringRef a = CFSTR("name");
    EXPECT_EQ(a, CFSTR("name"));
    CFRelease(a);
    CFRelease(a);
    EXPECT_EQ(Text(a), "name");
}

TEST(CFObjects, NumbersConvertAndSayWhenTheyCannot) {
    const SInt32 big = 0x7FFFFFFF;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &big);
    SInt16 small = 0;
    EXPECT_FALSE(CFNumberGetValue(number, kCFNumberSInt16Type, &small));
    SInt64 wide = 0;
    EXPECT_TRUE(CFNumberGetValue(number, kCFNumberSInt64Type, &wide));
    EXPECT_EQ(wide, big);
    const double fraction = 2.5;
    CFNumberRef real = CFNumberCreate(nullptr, kCFNumberFloat64Type, &fraction);
    SInt32 whole = 0;
    EXPECT_FALSE(CFNumberGetValue(real, kCFNumberSInt32Type, &whole));
    EXPECT_EQ(whole, 2);
    CFRelease(number);
    CFRelease(real);
}

TEST(CFObjects, FormatHandlesObjectsNumbersAndText) {
    CFStringRef name = Str("Warm Pad");
    CFStringRef text =
        CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%d:%@:%s:%.2f:%%"), 42, name, "x", 1.5);
    EXPECT_EQ(Text(text), "42:Warm Pad:x:1.50:%");
    CFRelease(text);
    CFRelease(name);
}

TEST(CFObjects, CStringCopyRefusesABufferTooSmall) {
    CFStringRef str = Str("twelve chars");
    char buffer[12];
    EXPECT_FALSE(CFStringGetCString(str, buffer, sizeof(buffer), kCFStringEncodingUTF8));
    EXPECT_EQ(buffer[0], '\0');
    char enough[13];
    EXPECT_TRUE(CFStringGetCString(str, enough, sizeof(enough), kCFStringEncodingUTF8));
    CFRelease(str);
}

TEST(PropertyList, RoundTripsEveryKindOfValueWithSortedKeys) {
    CFMutableDictionaryRef dict = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    const SInt32 n = -5;
    const double x = 0.125;
    const UInt8 bytes[] = {0, 1, 2, 250, 251, 252, 253};
    CFNumberRef integer = CFNumberCreate(nullptr, kCFNumberSInt32Type, &n);
    CFNumberRef real = CFNumberCreate(nullptr, kCFNumberFloat64Type, &x);
    CFDataRef data = CFDataCreate(nullptr, bytes, sizeof(bytes));
    CFStringRef text = Str("a < b & c");
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(array, text);
    CFArrayAppendValue(array, kCFBooleanTrue);
    CFDictionarySetValue(dict, CFSTR("z-int"), integer);
    CFDictionarySetValue(dict, CFSTR("a-real"), real);
    CFDictionarySetValue(dict, CFSTR("m-data"), data);
    CFDictionarySetValue(dict, CFSTR("b-array"), array);

    CFDataRef xml =
        CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
    ASSERT_NE(xml, nullptr);
    const std::string out(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)),
                          static_cast<size_t>(CFDataGetLength(xml)));
    EXPECT_LT(out.find("<key>a-real</key>"), out.find("<key>z-int</key>"));
    EXPECT_NE(out.find("a &lt; b &amp; c"), std::string::npos);
    CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, xml, 0, nullptr, nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(CFEqual(back, dict));
    CFDataRef again =
        CFPropertyListCreateData(nullptr, back, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
    EXPECT_TRUE(CFEqual(again, xml));
    for (CFTypeRef o : {CFTypeRef(dict), CFTypeRef(integer), CFTypeRef(real), CFTypeRef(data),
                        CFTypeRef(text), CFTypeRef(array), CFTypeRef(xml), back, CFTypeRef(again)})
        CFRelease(o);
}

TEST(PropertyList, RefusesMalformedInputWithAReason) {
    const char* const bad[] = {
        "",
        "not xml at all",
        "<plist version=\"1.0\"><dict><key>a</key></dict></plist>",
        "<plist version=\"1.0\"><dict><string>a</string><integer>1</integer></dict></plist>",
        "<plist version=\"1.0\"><integer>12x</integer></plist>",
        "<plist version=\"1.0\"><integer>99999999999999999999</integer></plist>",
        "<plist version=\"1.0\"><real>nan</real></plist>",
        "<plist version=\"1.0\"><data>@@@@</data></plist>",
        "<plist version=\"1.0\"><date>2026</date></plist>",
        "<plist version=\"1.0\"><string>a</string><string>b</string></plist>",
        "<notplist><string>a</string></notplist>",
        "<!DOCTYPE x [<!ENTITY e SYSTEM "
        "\"file:///etc/passwd\">]><plist><string>&e;</string></plist>",
    };
    for (const char* text : bad) {
        CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text),
                                      static_cast<CFIndex>(std::strlen(text)));
        CFErrorRef error = nullptr;
        CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, &error);
        if (list) {
            // An external entity is never read: the text stays empty.
            ASSERT_EQ(CFGetTypeID(list), CFStringGetTypeID()) << text;
            EXPECT_EQ(Text(static_cast<CFStringRef>(list)).find("root"), std::string::npos) << text;
            CFRelease(list);
        } else {
            ASSERT_NE(error, nullptr) << text;
            CFStringRef why = CFErrorCopyDescription(error);
            EXPECT_FALSE(Text(why).empty()) << text;
            CFRelease(why);
            CFRelease(error);
        }
        CFRelease(data);
    }
}

TEST(PropertyList, DeepNestingIsRefused) {
    std::string text = "<plist version=\"1.0\">";
    for (int i = 0; i < 200; ++i)
        text += "<array>";
    for (int i = 0; i < 200; ++i)
        text += "</array>";
    text += "</plist>";
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                  static_cast<CFIndex>(text.size()));
    EXPECT_EQ(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr), nullptr);
    CFRelease(data);
}

TEST(PropertyList, OnlyPropertyListObjectsAreWritten) {
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFStringRef path = Str("/tmp");
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    CFArrayAppendValue(array, url);
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateData(nullptr, array, kCFPropertyListXMLFormat_v1_0, 0, &error),
              nullptr);
    ASSERT_NE(error, nullptr);
    CFRelease(error);
    CFRelease(url);
    CFRelease(path);
    CFRelease(array);
}

TEST(Bundles, ResourceLookupStaysInsideTheBundle) {
    CFStringRef path = Str(KV_COMPONENT_BUNDLE);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.ZerlindaAudio.audiounit.Karvelund")),
              bundle);
    CFURLRef knob = CFBundleCopyResourceURL(bundle, CFSTR("knob"), CFSTR("png"), nullptr);
    EXPECT_NE(knob, nullptr);
    if (knob) CFRelease(knob);
    EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("../Info"), CFSTR("plist"), nullptr), nullptr);
    EXPECT_EQ(CFBundleCopyResourceURL(bundle, CFSTR("missing"), CFSTR("png"), nullptr), nullptr);
    CFRelease(bundle);
    CFRelease(url);
    CFRelease(path);
}

} // namespace
