#include "util/UTIL_Base64.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Encode(const std::string& bytes) {
    std::vector<char> out(
        static_cast<size_t>(base64EncodedLength(static_cast<int>(bytes.size()))) + 1, 'X');
    base64encode(reinterpret_cast<const unsigned char*>(bytes.data()), out.data(),
                 static_cast<int>(bytes.size()));
    return out.data();
}

} // namespace

TEST(Base64, EncodesWithPadding) {
    EXPECT_EQ(Encode("abc"), "YWJj");
    EXPECT_EQ(Encode("ab"), "YWI=");
    EXPECT_EQ(Encode("a"), "YQ==");
    EXPECT_EQ(Encode(""), "");
    EXPECT_EQ(base64EncodedLength(0), 0);
    EXPECT_EQ(base64EncodedLength(4), 8);
}

TEST(Base64, DecodeStopsAtPaddingAndLimit) {
    unsigned char out[8] = {};
    EXPECT_EQ(base64decode("YWI=", out, 8), 2);
    EXPECT_EQ(out[0], 'a');
    EXPECT_EQ(out[1], 'b');
    EXPECT_EQ(base64decode("YWJjZGVm", out, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), "abcd");
    EXPECT_EQ(base64decode("YW!J", out, 8), 1); // '!' ends the text
    EXPECT_EQ(base64decode("", out, 8), 0);
    EXPECT_EQ(base64decode(nullptr, out, 8), 0);
    EXPECT_EQ(base64decode("YWJj", out, 0), 0);
}

TEST(Base64, RoundTripsEveryByteValue) {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    for (size_t len = 0; len <= bytes.size(); len += 37) {
        const std::string part = bytes.substr(0, len);
        const std::string text = Encode(part);
        std::vector<unsigned char> back(len + 4, 0);
        ASSERT_EQ(base64decode(text.c_str(), back.data(), static_cast<int>(back.size())),
                  static_cast<int>(len));
        EXPECT_EQ(std::string(back.begin(), back.begin() + static_cast<long>(len)), part);
    }
}
