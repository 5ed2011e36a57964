#pragma once

#include "util/UTIL_HeapBuf.h"

enum EParamType { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

// 10^(dB/20).
double DBToAmp(double dB);
// min + x^shape * (max - min).
double FromNormalizedParam(double normalizedValue, double min, double max, double shape);
// ((value - min) / (max - min))^(1 / shape); 0 for an empty range.
double ToNormalizedParam(double nonNormalizedValue, double min, double max, double shape);

// One automatable parameter: kind, value, range, step, curve shape, default, texts and the
// optional value-to-text table. Holds no lock; the plug-in's mutex guards it.
class IParam {
public:
    static constexpr int kTextLen = 32; // name, label, group and display texts, terminator included

    struct DisplayText {
        int mValue;
        char mText[kTextLen];
    };

    IParam();

    // The outermost initialiser decides the kind. Texts longer than 31 characters are cut.
    void InitBool(const char* name, bool defaultValue, const char* label = "",
                  const char* group = "");
    void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "",
                  const char* group = "");
    void InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label = "",
                 const char* group = "");
    void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                    const char* label = "", const char* group = "", double shape = 1.0);

    EParamType Type() const { return mType; }
    double Value() const { return mValue; }
    bool Bool() const { return mValue >= 0.5; }
    int Int() const { return static_cast<int>(mValue); }
    double DBToAmp() const;
    double GetDefault() const { return mDefault; }
    double GetStep() const { return mStep; }
    double GetShape() const { return mShape; }
    int GetDisplayPrecision() const { return mDisplayPrecision; }

    // Clamps to the range; integer, enumerated and on/off kinds snap to the nearest step. A
    // value that is not finite is ignored.
    void Set(double value);
    // Sets from 0..1 through the shape curve; integer kinds snap to the step grid. x is
    // clamped to 0..1 and a value that is not finite is ignored.
    void SetNormalized(double normalizedValue);
    double GetNormalized() const;
    double GetNormalized(double nonNormalizedValue) const;
    void GetBounds(double& lo, double& hi) const;
    // Stores the shape unless it is exactly 0.
    void SetShape(double shape);

    void SetDisplayText(int value, const char* text);
    // Text of the first row for value, or "" (never null).
    const char* GetDisplayText(int value) const;
    int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
    // Text of row idx and its value (when value is non-null); "" for a row that does not exist.
    const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
    // Exact, case-sensitive match; value is written only on a match.
    bool MapDisplayText(const char* text, int* value) const;

    // Formats a value for the host into out (outSize bytes, always terminated): the display
    // text when there is one and withDisplayText, else the number with the display precision.
    void GetDisplayForHost(double value, bool normalized, char* out, int outSize,
                           bool withDisplayText = true) const;
    void GetDisplayForHost(char* out, int outSize) const {
        GetDisplayForHost(mValue, false, out, outSize, true);
    }
    void GetDisplayForHostNoDisplayText(char* out, int outSize) const {
        GetDisplayForHost(mValue, false, out, outSize, false);
    }
    template <int N> void GetDisplayForHost(char (&out)[N]) const { GetDisplayForHost(out, N); }
    template <int N> void GetDisplayForHostNoDisplayText(char (&out)[N]) const {
        GetDisplayForHostNoDisplayText(out, N);
    }

    const char* GetNameForHost() const { return mName; }
    // "" when the current value has a display text (a named value carries no unit).
    const char* GetLabelForHost() const;
    const char* GetParamGroupForHost() const { return mParamGroup; }
    bool GetCanAutomate() const { return mCanAutomate; }
    void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }
    bool DisplayIsNegated() const { return mNegateDisplay; }
    void NegateDisplay(bool negate = true) { mNegateDisplay = negate; }

private:
    double Snapped(double value) const;

    EParamType mType = kTypeNone;
    double mValue = 0.0;
    double mMin = 0.0;
    double mMax = 1.0;
    double mStep = 1.0;
    double mShape = 1.0;
    double mDefault = 0.0;
    int mDisplayPrecision = 0;
    char mName[kTextLen] = {};
    char mLabel[kTextLen] = {};
    char mParamGroup[kTextLen] = {};
    bool mNegateDisplay = false;
    bool mCanAutomate = true;
    UTIL_TypedBuf<DisplayText> mDisplayTexts;
};
