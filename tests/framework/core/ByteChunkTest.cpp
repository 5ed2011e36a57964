#include "core/ByteChunk.h"
#include "core/FrameworkVersion.h"
#include "util/UTIL_String.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const ByteChunk& chunk) {
    return std::vector<unsigned char>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

} // namespace

TEST(ByteChunk, PutsLittleEndianValues) {
    ByteChunk chunk;
    const int32_t i = 0x01020304;
    const uint32_t u = 0xA0B0C0D0u;
    const double d = 1.0;
    EXPECT_EQ(chunk.Put(&i), 4);
    EXPECT_EQ(chunk.Put(&u), 8);
    EXPECT_EQ(chunk.Put(&d), 16);
    EXPECT_EQ(chunk.PutBool(true), 17);
    const std::vector<unsigned char> expected = {4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0, 0,
                                                 0, 0, 0, 0, 0,    0xF0, 0x3F, 1};
    EXPECT_EQ(Bytes(chunk), expected);

    int32_t i2 = 0;
    uint32_t u2 = 0;
    double d2 = 0;
    bool b = false;
    EXPECT_EQ(chunk.Get(&i2, 0), 4);
    EXPECT_EQ(chunk.Get(&u2, 4), 8);
    EXPECT_EQ(chunk.Get(&d2, 8), 16);
    EXPECT_EQ(chunk.GetBool(&b, 16), 17);
    EXPECT_EQ(i2, i);
    EXPECT_EQ(u2, u);
    EXPECT_EQ(d2, d);
    EXPECT_TRUE(b);
}

TEST(ByteChunk, ReadsOutsideTheDataFailAndLeaveTheTargetAlone) {
    ByteChunk chunk;
    chunk.Resize(12);
    double d = 7.0;
    EXPECT_EQ(chunk.Get(&d, chunk.Size() - 4), -1);
    EXPECT_EQ(d, 7.0);
    EXPECT_EQ(chunk.Get(&d, -1), -1);
    EXPECT_EQ(chunk.Get(&d, 4), 12);
    bool b = true;
    EXPECT_EQ(chunk.GetBool(&b, 12), -1);
    EXPECT_TRUE(b);
    EXPECT_EQ(chunk.GetBool(&b, -3), -1);
    unsigned char out[4] = {9, 9, 9, 9};
    EXPECT_EQ(chunk.GetBytes(out, 4, 10), -1);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(chunk.GetBytes(out, -1, 0), -1);
    EXPECT_EQ(chunk.Get(&d, 2147483644), -1); // no overflow near the int limit
}

TEST(ByteChunk, AnyNonZeroByteReadsAsTrue) {
    ByteChunk chunk;
    const unsigned char byte = 0x80;
    chunk.PutBytes(&byte, 1);
    bool b = false;
    EXPECT_EQ(chunk.GetBool(&b, 0), 1);
    EXPECT_TRUE(b);
}

TEST(ByteChunk, StringItems) {
    ByteChunk chunk;
    EXPECT_EQ(chunk.PutStr("abc"), 7);
    EXPECT_EQ(Bytes(chunk), (std::vector<unsigned char>{3, 0, 0, 0, 'a', 'b', 'c'}));
    UTIL_String s;
    EXPECT_EQ(chunk.GetStr(&s, 0), 7);
    EXPECT_STREQ(s.Get(), "abc");
    chunk.PutStr(nullptr); // an empty item
    EXPECT_EQ(chunk.Size(), 11);
}

TEST(ByteChunk, ZeroLengthStringKeepsTheTarget) {
    ByteChunk chunk;
    chunk.PutStr("");
    UTIL_String s("before");
    EXPECT_EQ(chunk.GetStr(&s, 0), 4);
    EXPECT_STREQ(s.Get(), "before");
}

TEST(ByteChunk, BrokenStringItemsFail) {
    UTIL_String s("before");
    ByteChunk overLong;
    const int32_t n = 10;
    overLong.Put(&n);
    overLong.PutBytes("abc", 3);
    EXPECT_EQ(overLong.GetStr(&s, 0), -1);
    ByteChunk huge;
    const int32_t max = 0x7FFFFFFF;
    huge.Put(&max);
    EXPECT_EQ(huge.GetStr(&s, 0), -1);
    ByteChunk negative;
    const int32_t minusFour = -4;
    negative.Put(&minusFour);
    negative.PutBytes("abcd", 4);
    EXPECT_EQ(negative.GetStr(&s, 0), -1);
    ByteChunk shortLength;
    shortLength.PutBytes("ab", 2);
    EXPECT_EQ(shortLength.GetStr(&s, 0), -1);
    EXPECT_EQ(shortLength.GetStr(&s, -1), -1);
    EXPECT_STREQ(s.Get(), "before");
}

TEST(ByteChunk, ChunksResizeAndCompare) {
    ByteChunk a;
    a.PutStr("x");
    ByteChunk b;
    b.PutChunk(&a);
    b.PutChunk(&a);
    EXPECT_EQ(b.Size(), 10);
    EXPECT_EQ(b.Resize(12), 10);
    EXPECT_EQ(b.GetBytes()[11], 0);
    EXPECT_FALSE(a.IsEqual(b));
    b.Resize(5);
    EXPECT_TRUE(a.IsEqual(b));
    b.Clear();
    EXPECT_EQ(b.Size(), 0);
    EXPECT_EQ(b.PutBytes("ab", -1), 0);
    EXPECT_TRUE(b.IsEqual(ByteChunk()));
}

TEST(FrameworkVersion, Header) {
    ByteChunk chunk;
    chunk.PutStr("old content");
    EXPECT_EQ(InitChunkWithFrameworkVer(&chunk), 8);
    EXPECT_EQ(Bytes(chunk), (std::vector<unsigned char>{0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0}));
    int pos = 0;
    EXPECT_EQ(GetFrameworkVerFromChunk(&chunk, &pos), 0x010000);
    EXPECT_EQ(pos, 8);
    pos = 8;
    EXPECT_EQ(GetFrameworkVerFromChunk(&chunk, &pos), 0); // nothing there
    EXPECT_EQ(pos, 8);

    ByteChunk other;
    other.PutStr("pfft is not this");
    pos = 0;
    EXPECT_EQ(GetFrameworkVerFromChunk(&other, &pos), 0);
    EXPECT_EQ(pos, 0);
    ByteChunk magicOnly;
    const int32_t magic = kFrameworkMagic;
    magicOnly.Put(&magic);
    EXPECT_EQ(GetFrameworkVerFromChunk(&magicOnly, &pos), 0);
    EXPECT_EQ(pos, 0);
}

TEST(FrameworkVersion, VersionParts) {
    int major, minor, patch;
    GetVersionParts(65795, &major, &minor, &patch);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 1);
    EXPECT_EQ(patch, 3);
    EXPECT_EQ(GetDecimalVersion(65795), 10103);
    char text[16];
    GetVersionStr(65795, text);
    EXPECT_STREQ(text, "v1.1.3");
    GetVersionStr(static_cast<int>(0x8000FFFFu), text, sizeof(text)); // the longest text
    EXPECT_STREQ(text, "v-32768.255.255");
}
