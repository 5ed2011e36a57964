#include "util/UTIL_String.h"

#include <gtest/gtest.h>

TEST(UtilString, NewStringIsEmptyAndNeverNull) {
    UTIL_String s;
    ASSERT_NE(s.Get(), nullptr);
    EXPECT_STREQ(s.Get(), "");
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_TRUE(s.Empty());
}

TEST(UtilString, SetCopiesUpToMaxlenAndStopsAtTerminator) {
    UTIL_String s;
    s.Set("abcdef", 3);
    EXPECT_STREQ(s.Get(), "abc");
    s.Set("ab", 10);
    EXPECT_STREQ(s.Get(), "ab");
    s.Set("whole text", 0);
    EXPECT_STREQ(s.Get(), "whole text");
    s.Set("whole text", -5);
    EXPECT_STREQ(s.Get(), "whole text");
    s.Set(nullptr);
    EXPECT_STREQ(s.Get(), "");
}

TEST(UtilString, SetWithMaxlenDoesNotReadPastAnUnterminatedField) {
    const char field[4] = {'K', 'v', 'r', 'n'}; // no terminator
    UTIL_String s;
    s.Set(field, 4);
    EXPECT_STREQ(s.Get(), "Kvrn");
}

TEST(UtilString, AppendAndFormatted) {
    UTIL_String s("user");
    s.Append(" preset", 0);
    s.AppendFormatted(0, " %d", 12);
    EXPECT_STREQ(s.Get(), "user preset 12");
    s.SetFormatted(32, " %02d: %s", 4, "A name that is long enough to be cut at 32");
    EXPECT_EQ(s.GetLength(), 32);
    EXPECT_STREQ(s.Get(), " 04: A name that is long enough ");
    s.Append("xyz", 2);
    EXPECT_EQ(s.GetLength(), 34);
}

TEST(UtilString, SetLenAndDeleteSub) {
    UTIL_String s("[Dec  5 2026");
    s.SetLen(7);
    EXPECT_STREQ(s.Get(), "[Dec  5");
    s.DeleteSub(4, 1);
    EXPECT_STREQ(s.Get(), "[Dec 5");
    s.DeleteSub(10, 1); // outside: unchanged
    s.DeleteSub(-1, 1);
    s.SetLen(100);
    EXPECT_STREQ(s.Get(), "[Dec 5");
    s.SetLen(-3);
    EXPECT_STREQ(s.Get(), "");
}
