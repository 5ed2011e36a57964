#include "util/UTIL_Endian.h"

#include <gtest/gtest.h>

TEST(Endian, FourCharacterCodes) {
    static_assert(MakeFourCC("pfft") == 1885759092);
    EXPECT_EQ(MakeFourCC("Kvrn"), 0x4B76726E);
    EXPECT_EQ(MakeFourCC("Zrld"), 0x5A726C64);
}

TEST(Endian, BigEndianIntegersAndFloats) {
    unsigned char bytes[4];
    UTIL_PutBE32(bytes, 10103);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0x27);
    EXPECT_EQ(bytes[3], 0x77);
    EXPECT_EQ(UTIL_GetBE32(bytes), 10103u);

    UTIL_PutBEFloat(bytes, 1.0f);
    EXPECT_EQ(bytes[0], 0x3F);
    EXPECT_EQ(bytes[1], 0x80);
    EXPECT_EQ(bytes[3], 0x00);
    EXPECT_EQ(UTIL_GetBEFloat(bytes), 1.0f);
    UTIL_PutBEFloat(bytes, -0.375f);
    EXPECT_EQ(UTIL_GetBEFloat(bytes), -0.375f);
}
