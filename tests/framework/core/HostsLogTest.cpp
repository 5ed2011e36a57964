#include "core/Hosts.h"
#include "core/Log.h"
#include "util/UTIL_String.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

TEST(Hosts, LookUpByNameOrBundleIdentifier) {
    EXPECT_EQ(LookUpHost("Logic Pro"), kHostLogic);
    EXPECT_EQ(LookUpHost("AU Lab"), kHostUnknown); // the space breaks "aulab"
    EXPECT_EQ(LookUpHost("com.apple.AULab"), kHostAULab);
    EXPECT_EQ(LookUpHost("Ableton Live"), kHostLive);
    EXPECT_EQ(LookUpHost(""), kHostUnknown);
    EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
    EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
    EXPECT_EQ(LookUpHost("com.presonus.studioone"), kHostStudioOne);
    EXPECT_EQ(LookUpHost("Ardour 8"), kHostArdour);
}

TEST(Hosts, SearchOrderDecidesOverlaps) {
    EXPECT_EQ(LookUpHost("Cubase Live Edition"), kHostCubase);
    EXPECT_EQ(LookUpHost("Logic Live"), kHostLive);
    EXPECT_EQ(LookUpHost("digital live"), kHostLive);
}

TEST(Hosts, OnlyTheFirst255CharactersCount) {
    std::string name(255, 'x');
    EXPECT_EQ(LookUpHost((name + "reaper").c_str()), kHostUnknown);
    EXPECT_EQ(LookUpHost((name.substr(0, 249) + "reaper").c_str()), kHostReaper);
}

TEST(Hosts, DisplayNames) {
    char text[32];
    EXPECT_STREQ(GetHostNameStr(kHostReaper, text), "Reaper");
    EXPECT_STREQ(GetHostNameStr(kHostVST3TestHost, text), "VST3PluginTestHost");
    EXPECT_STREQ(GetHostNameStr(kHostVegas, text), "Vegas");
    EXPECT_STREQ(GetHostNameStr(12, text), "Unknown"); // Melodyne has no display name
    EXPECT_STREQ(GetHostNameStr(-1, text), "Unknown");
    EXPECT_STREQ(GetHostNameStr(10, text), "Unknown");
    EXPECT_STREQ(GetHostNameStr(99, text), "Unknown");
}

namespace {

// Runs CurrentTime under the given TZ setting and restores the old one.
std::string CurrentTimeIn(const char* tz) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", tz, 1);
    tzset();
    const std::string result = CurrentTime();
    if (old) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    return result;
}

} // namespace

TEST(Log, CurrentTimeCarriesTheUtcOffset) {
    const std::string east = CurrentTimeIn("CET-1");
    ASSERT_EQ(east.size(), 20u);
    EXPECT_EQ(east.substr(15), "+0100");
    EXPECT_EQ(east[8], ' ');
    EXPECT_EQ(east[11], ':');
    EXPECT_EQ(CurrentTimeIn("XST+5:30").substr(15), "-0530");
    EXPECT_EQ(CurrentTimeIn("UTC0").substr(15), "+0000");
}

TEST(Log, TextHelpers) {
    char out[32];
    ToLower(out, "MiXeD 123 Ä");
    EXPECT_STREQ(out, "mixed 123 Ä");
    EXPECT_TRUE(IsWhitespace(' '));
    EXPECT_TRUE(IsWhitespace('\t'));
    EXPECT_TRUE(IsWhitespace('\n'));
    EXPECT_TRUE(IsWhitespace('\r'));
    EXPECT_FALSE(IsWhitespace('x'));
    EXPECT_FALSE(IsWhitespace('\0'));
}

TEST(Log, CompileTimestamps) {
    UTIL_String stamp;
    CompileTimestamp("Dec  5 2026", "09:36:16", &stamp);
    EXPECT_STREQ(stamp.Get(), "[Dec 5 09:36]");
    CompileTimestamp("Dec 15 2026", "09:36:16", &stamp);
    EXPECT_STREQ(stamp.Get(), "[Dec15 09:36]");
    EXPECT_STREQ(AppendTimestamp("Dec  5 2026", "09:36:16", "Karvelund"),
                 "Karvelund [Dec 5 09:36]");
}

TEST(Log, TimerFiresOncePerIntervalOfProcessorTime) {
    Timer timer;
    EXPECT_FALSE(timer.Every(10.0));
    // Burn a little processor time until a 10 ms interval has passed.
    volatile double sink = 0.0;
    int fired = 0;
    const std::clock_t start = std::clock();
    while (std::clock() - start < CLOCKS_PER_SEC / 20) {
        for (int i = 0; i < 1000; ++i)
            sink = sink + i;
        if (timer.Every(0.01)) ++fired;
    }
    EXPECT_GE(fired, 1);
    EXPECT_LE(fired, 6);
}
