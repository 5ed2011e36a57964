#include "core/IParam.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void CopyText(char (&field)[IParam::kTextLen], const char* text) {
    std::snprintf(field, sizeof(field), "%s", text ? text : "");
}

int DisplayPrecisionForStep(double step) {
    int precision = 0;
    double s = step;
    while (precision < 6 && s != std::floor(s)) {
        ++precision;
        s *= 10.0;
    }
    return precision;
}

} // namespace

double DBToAmp(double dB) {
    return std::exp(0.1151292546497 * dB);
}

double FromNormalizedParam(double normalizedValue, double min, double max, double shape) {
    return min + std::pow(normalizedValue, shape) * (max - min);
}

double ToNormalizedParam(double nonNormalizedValue, double min, double max, double shape) {
    if (max == min) return 0.0;
    return std::pow((nonNormalizedValue - min) / (max - min), 1.0 / shape);
}

IParam::IParam() : mDisplayTexts(8) {}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, const char* group) {
    if (mType == kTypeNone) mType = kTypeBool;
    InitEnum(name, defaultValue ? 1 : 0, 2, label, group);
    SetDisplayText(0, "off");
    SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultValue, int nEnums, const char* label,
                      const char* group) {
    if (mType == kTypeNone) mType = kTypeEnum;
    InitInt(name, defaultValue, 0, nEnums - 1, label, group);
}

void IParam::InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label,
                     const char* group) {
    if (mType == kTypeNone) mType = kTypeInt;
    InitDouble(name, defaultValue, minVal, maxVal, 1.0, label, group, 1.0);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, const char* group, double shape) {
    if (mType == kTypeNone) mType = kTypeDouble;
    CopyText(mName, name);
    CopyText(mLabel, label);
    CopyText(mParamGroup, group);
    mValue = mDefault = defaultVal;
    mMin = minVal;
    mMax = std::max(maxVal, minVal + step);
    mStep = step;
    mDisplayPrecision = DisplayPrecisionForStep(step);
    SetShape(shape);
}

double IParam::DBToAmp() const {
    return ::DBToAmp(mValue);
}

// Integer, enumerated and on/off parameters hold only values on their step grid (counted from
// 0), so the engine's truncation, the display and every export read the same setting.
double IParam::Snapped(double value) const {
    if (mType == kTypeDouble) return value;
    return std::floor(0.5 + value / mStep) * mStep;
}

void IParam::Set(double value) {
    if (!std::isfinite(value)) return;
    mValue = std::clamp(Snapped(std::clamp(value, mMin, mMax)), mMin, mMax);
}

void IParam::SetNormalized(double normalizedValue) {
    if (!std::isfinite(normalizedValue)) return;
    const double value =
        FromNormalizedParam(std::clamp(normalizedValue, 0.0, 1.0), mMin, mMax, mShape);
    mValue = std::min(Snapped(value), mMax);
}

double IParam::GetNormalized() const {
    return GetNormalized(mValue);
}

double IParam::GetNormalized(double nonNormalizedValue) const {
    return ToNormalizedParam(std::clamp(nonNormalizedValue, mMin, mMax), mMin, mMax, mShape);
}

void IParam::GetBounds(double& lo, double& hi) const {
    lo = mMin;
    hi = mMax;
}

void IParam::SetShape(double shape) {
    if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text) {
    DisplayText row{value, {}};
    CopyText(row.mText, text);
    mDisplayTexts.Add(row);
}

const char* IParam::GetDisplayText(int value) const {
    const DisplayText* rows = mDisplayTexts.Get();
    for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
        if (rows[i].mValue == value) return rows[i].mText;
    }
    return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const {
    if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
    const DisplayText& row = mDisplayTexts.Get()[idx];
    if (value) *value = row.mValue;
    return row.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const {
    if (!text) return false;
    const DisplayText* rows = mDisplayTexts.Get();
    for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
        if (std::strcmp(rows[i].mText, text) == 0) {
            if (value) *value = rows[i].mValue;
            return true;
        }
    }
    return false;
}

namespace {

bool FitsInt(double value) {
    return value > INT_MIN - 1.0 && value < INT_MAX + 1.0;
}

} // namespace

void IParam::GetDisplayForHost(double value, bool normalized, char* out, int outSize,
                               bool withDisplayText) const {
    if (!out || outSize <= 0) return;
    if (normalized) value = FromNormalizedParam(value, mMin, mMax, mShape);
    if (withDisplayText && FitsInt(value)) {
        const char* text = GetDisplayText(static_cast<int>(value));
        if (*text) {
            std::snprintf(out, static_cast<size_t>(outSize), "%s", text);
            return;
        }
    }
    if (mNegateDisplay) value = -value;
    const size_t size = static_cast<size_t>(outSize);
    if (mDisplayPrecision != 0) {
        std::snprintf(out, size, "%.*f", mDisplayPrecision, value);
    } else if (FitsInt(value)) {
        std::snprintf(out, size, "%d", static_cast<int>(value));
    } else {
        std::snprintf(out, size, "%.0f", std::trunc(value)); // also "inf", "nan"
    }
}

const char* IParam::GetLabelForHost() const {
    if (FitsInt(mValue) && *GetDisplayText(static_cast<int>(mValue))) return "";
    return mLabel;
}
