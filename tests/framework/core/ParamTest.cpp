#include "core/IParam.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

std::string Display(const IParam& param) {
    char text[64];
    param.GetDisplayForHost(text);
    return text;
}

} // namespace

TEST(Param, BoolIsATwoEntryEnumWithOffOnTexts) {
    IParam param;
    param.InitBool("x", true, "", "");
    EXPECT_EQ(param.Type(), kTypeBool);
    double lo, hi;
    param.GetBounds(lo, hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 1.0);
    EXPECT_EQ(param.GetStep(), 1.0);
    EXPECT_EQ(param.Value(), 1.0);
    EXPECT_TRUE(param.Bool());
    EXPECT_EQ(Display(param), "on");
    EXPECT_STREQ(param.GetLabelForHost(), "");
    param.Set(0.0);
    EXPECT_EQ(Display(param), "off");
    EXPECT_STREQ(param.GetLabelForHost(), "");
    EXPECT_EQ(param.GetNDisplayTexts(), 2);
}

TEST(Param, EnumAndIntKindsSnapToTheStepGrid) {
    IParam wave;
    wave.InitEnum("Wave", 2, 6, "", "LFO");
    EXPECT_EQ(wave.Type(), kTypeEnum);
    double lo, hi;
    wave.GetBounds(lo, hi);
    EXPECT_EQ(hi, 5.0);
    wave.SetNormalized(0.5); // 2.5 rounds up
    EXPECT_EQ(wave.Value(), 3.0);
    EXPECT_STREQ(wave.GetParamGroupForHost(), "LFO");

    IParam count;
    count.InitInt("Voices", 4, 0, 10, "", "");
    EXPECT_EQ(count.Type(), kTypeInt);
    count.SetNormalized(1.0);
    EXPECT_EQ(count.Value(), 10.0);
    count.SetNormalized(0.33); // 3.3
    EXPECT_EQ(count.Value(), 3.0);
    EXPECT_EQ(count.Int(), 3);
}

TEST(Param, GridCountsFromZeroNotFromMin) {
    IParam param;
    param.InitInt("Offset", 0, -3, 2, "", "");
    param.SetNormalized(0.5); // -0.5 -> floor(0.0) = 0
    EXPECT_EQ(param.Value(), 0.0);
    param.SetNormalized(0.4); // -1.0
    EXPECT_EQ(param.Value(), -1.0);
}

TEST(Param, DoubleRangeAndShape) {
    IParam param;
    param.InitDouble("Cutoff", 0.5, 0.0, 0.0, 1.0, "", "");
    double lo, hi;
    param.GetBounds(lo, hi);
    EXPECT_EQ(hi, 1.0); // min + step

    IParam shaped;
    shaped.InitDouble("Env", 10.0, 10.0, 110.0, 0.01, "ms", "", 2.0);
    shaped.SetNormalized(0.5);
    EXPECT_DOUBLE_EQ(shaped.Value(), 10.0 + 0.25 * 100.0);
    EXPECT_DOUBLE_EQ(shaped.GetNormalized(), 0.5);
    EXPECT_DOUBLE_EQ(shaped.GetNormalized(1000.0), 1.0); // clamped first
    EXPECT_DOUBLE_EQ(shaped.GetNormalized(-5.0), 0.0);
    for (double x = 0.0; x <= 1.0; x += 0.125) {
        shaped.SetNormalized(x);
        EXPECT_NEAR(shaped.GetNormalized(), x, 1e-12);
    }
}

TEST(Param, ZeroShapeKeepsThePreviousShape) {
    IParam param;
    param.InitDouble("x", 0.0, 0.0, 1.0, 0.1, "", "", 0.0);
    EXPECT_EQ(param.GetShape(), 1.0);
    param.SetShape(3.0);
    param.SetShape(0.0);
    EXPECT_EQ(param.GetShape(), 3.0);
}

TEST(Param, OutermostInitialiserDecidesTheKind) {
    IParam param;
    param.InitDouble("x", 0.0, 0.0, 1.0, 0.1);
    param.InitInt("y", 1, 0, 4);
    EXPECT_EQ(param.Type(), kTypeDouble);
    EXPECT_STREQ(param.GetNameForHost(), "y");
}

TEST(Param, SetClampsAndSnapsStepKindsToTheNearestStep) {
    IParam param;
    param.InitInt("x", 0, 0, 10, "", "");
    param.Set(3.7);
    EXPECT_EQ(param.Value(), 4.0);
    EXPECT_EQ(param.Int(), 4); // what the engine reads is what the display shows
    param.Set(3.2);
    EXPECT_EQ(param.Value(), 3.0);
    param.Set(11.0);
    EXPECT_EQ(param.Value(), 10.0);
    param.Set(-1.0);
    EXPECT_EQ(param.Value(), 0.0);

    IParam sync;
    sync.InitBool("BPM Sync On/Off", false, "", "");
    sync.Set(0.3); // read as "on" by truncation-free Bool() before, shown "off"
    EXPECT_EQ(sync.Value(), 0.0);
    EXPECT_FALSE(sync.Bool());
    EXPECT_EQ(Display(sync), "off");
    sync.Set(0.5); // half a step goes up, as SetNormalized does
    EXPECT_EQ(sync.Value(), 1.0);
    EXPECT_EQ(Display(sync), "on");

    IParam mode;
    mode.InitEnum("PhonicType", 0, 3, "", "");
    mode.Set(0.6);
    EXPECT_EQ(mode.Value(), 1.0);
    EXPECT_EQ(mode.Int(), 1);
    mode.SetNormalized(mode.GetNormalized()); // an export and re-import keeps it
    EXPECT_EQ(mode.Value(), 1.0);
}

TEST(Param, SetLeavesContinuousValuesOffTheirStep) {
    IParam param;
    param.InitDouble("Cutoff", 0.5, 0.0, 1.0, 0.01, "", "");
    param.Set(0.123456789);
    EXPECT_EQ(param.Value(), 0.123456789);
}

TEST(Param, NonFiniteInputNeverReachesTheValue) {
    IParam param;
    param.InitDouble("x", 0.5, 0.0, 1.0, 0.01, "", "", 1.5);
    param.Set(std::numeric_limits<double>::quiet_NaN());
    param.SetNormalized(std::numeric_limits<double>::infinity());
    param.SetNormalized(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(param.Value(), 0.5);
}

TEST(Param, NormalisedInputOutsideZeroToOneIsClamped) {
    IParam param;
    param.InitDouble("x", 0.5, 2.0, 4.0, 0.01, "", "", 1.5);
    param.SetNormalized(-0.5); // would be NaN through the curve
    EXPECT_EQ(param.Value(), 2.0);
    param.SetNormalized(7.0);
    EXPECT_EQ(param.Value(), 4.0);
}

TEST(Param, DisplayPrecisionFollowsTheStep) {
    const struct {
        double mStep;
        int mPrecision;
    } cases[] = {{1.0, 0}, {0.1, 1}, {0.01, 2}, {0.25, 2}, {0.001, 3}, {1e-9, 6}, {0.05, 2}};
    for (const auto& c : cases) {
        IParam param;
        param.InitDouble("x", 0.0, 0.0, 10.0, c.mStep);
        EXPECT_EQ(param.GetDisplayPrecision(), c.mPrecision) << c.mStep;
    }
}

TEST(Param, DisplayNumbers) {
    IParam twoDecimals;
    twoDecimals.InitDouble("x", 0.5, 0.0, 1.0, 0.05);
    EXPECT_EQ(Display(twoDecimals), "0.50");

    IParam whole;
    whole.InitDouble("x", 2.9, 0.0, 10.0, 1.0);
    EXPECT_EQ(Display(whole), "2"); // truncation

    IParam negated;
    negated.InitDouble("x", 3.0, 0.0, 10.0, 0.1);
    negated.NegateDisplay();
    EXPECT_EQ(Display(negated), "-3.0");

    char text[32];
    whole.GetDisplayForHost(0.5, true, text, sizeof(text)); // normalised 0.5 -> 5
    EXPECT_STREQ(text, "5");
}

TEST(Param, DisplayOfHugeValuesStaysWithinTheBuffer) {
    IParam param;
    param.InitDouble("x", 0.0, -1e300, 1e300, 1.0);
    param.Set(1e300);
    char small[8];
    param.GetDisplayForHost(small);
    EXPECT_EQ(std::string(small), "1000000"); // cut to the buffer, terminated
    param.GetDisplayForHost(std::numeric_limits<double>::infinity(), false, small, sizeof(small));
    EXPECT_STREQ(small, "inf");
}

TEST(Param, DisplayTextsTable) {
    IParam param;
    param.InitEnum("Mode", 0, 3, "", "");
    param.SetDisplayText(0, "poly");
    param.SetDisplayText(1, "mono");
    param.SetDisplayText(1, "duplicate");
    EXPECT_STREQ(param.GetDisplayText(1), "mono"); // first match wins
    EXPECT_STREQ(param.GetDisplayText(7), "");
    int value = -1;
    EXPECT_STREQ(param.GetDisplayTextAtIdx(2, &value), "duplicate");
    EXPECT_EQ(value, 1);
    EXPECT_STREQ(param.GetDisplayTextAtIdx(3, &value), "");
    EXPECT_STREQ(param.GetDisplayTextAtIdx(0), "poly");

    value = 42;
    EXPECT_FALSE(param.MapDisplayText("Mono", &value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(param.MapDisplayText("mono", &value));
    EXPECT_EQ(value, 1);

    param.Set(2.0); // no row for 2: the number is shown
    EXPECT_EQ(Display(param), "2");
    char text[32];
    param.Set(1.0);
    param.GetDisplayForHostNoDisplayText(text);
    EXPECT_STREQ(text, "1");
}

TEST(Param, LabelIsHiddenForNamedValues) {
    IParam param;
    param.InitInt("Octave", 0, -2, 2, "oct", "");
    param.SetDisplayText(0, "centre");
    EXPECT_STREQ(param.GetLabelForHost(), "");
    param.Set(1.0);
    EXPECT_STREQ(param.GetLabelForHost(), "oct");
}

TEST(Param, LongTextsAreCutTo31Characters) {
    IParam param;
    const std::string longText(50, 'n');
    param.InitDouble(longText.c_str(), 0.0, 0.0, 1.0, 0.1, longText.c_str(), longText.c_str());
    param.SetDisplayText(0, longText.c_str());
    EXPECT_EQ(std::string(param.GetNameForHost()), longText.substr(0, 31));
    EXPECT_EQ(std::string(param.GetParamGroupForHost()), longText.substr(0, 31));
    EXPECT_EQ(std::string(param.GetDisplayText(0)), longText.substr(0, 31));
}

TEST(Param, FreeFunctions) {
    EXPECT_NEAR(DBToAmp(-6.0), 0.501187, 1e-6);
    EXPECT_NEAR(DBToAmp(20.0), 10.0, 1e-9);
    EXPECT_DOUBLE_EQ(FromNormalizedParam(0.5, 10.0, 20.0, 2.0), 12.5);
    EXPECT_DOUBLE_EQ(ToNormalizedParam(12.5, 10.0, 20.0, 2.0), 0.5);
    IParam gain;
    gain.InitDouble("Gain", -6.0, -60.0, 0.0, 0.1);
    EXPECT_NEAR(gain.DBToAmp(), 0.501187, 1e-6);
}
