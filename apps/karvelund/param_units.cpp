#include "param_units.h"

#include "KarvelundParamTable.h"
#include "LFO.h"

#include "core/IParam.h"
#include "core/IPluginBase.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace kv::cli {

namespace {

// The envelope's stages and the glide run for scale·v^4 seconds.
constexpr double kEnvelopeSeconds = 30.0;
constexpr double kGlideSeconds = 3.0;
// The free LFO's sine runs at 0.1·(16·v)^2 Hz.
constexpr double kLfoSineHertz = 0.1;
constexpr double kLfoSpan = 16.0;

enum class Meaning { None, EnvelopeTime, GlideTime, LfoRate };

Meaning meaningOf(int idx) {
    switch (idx) {
    case kAttack:
    case kDecay:
    case kRelease:
        return Meaning::EnvelopeTime;
    case kPortaSpeed:
        return Meaning::GlideTime;
    case kLFOSpeed:
        return Meaning::LfoRate;
    default:
        return Meaning::None;
    }
}

// Cycles per second of each waveform relative to the sine: the ramp and square step twice as
// far each sample, the random waveform draws a new value every half cycle of the square.
double lfoWaveformFactor(int type) {
    switch (type) {
    case LFO::kRamp:
    case LFO::kRampOneShot:
    case LFO::kSquare:
        return 2.0;
    case LFO::kRandom:
        return 4.0;
    default:
        return 1.0;
    }
}

double lfoFactor(IPluginBase& plug) {
    return lfoWaveformFactor(plug.GetParam(kLFOType)->Int());
}

double timeScale(Meaning meaning) {
    return meaning == Meaning::GlideTime ? kGlideSeconds : kEnvelopeSeconds;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// Joins the pieces of a message (plain appends: g++ 12 warns falsely on chains of +).
std::string join(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces)
        text.append(piece);
    return text;
}

std::string timeText(double seconds) {
    char text[32];
    if (seconds < 1.0)
        std::snprintf(text, sizeof(text), "%.3g ms", seconds * 1000.0);
    else
        std::snprintf(text, sizeof(text), "%.3g s", seconds);
    return text;
}

std::string hertzText(double hertz) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3g Hz", hertz);
    return text;
}

} // namespace

const std::vector<std::string>& editorSwitchLabels(int idx) {
    static const std::vector<std::vector<std::string>> labels = [] {
        std::vector<std::vector<std::string>> all(kNumParams);
        for (const ParamDef& def : KarvelundParamTable())
            all[def.index].assign(def.control.switchTexts.begin(), def.control.switchTexts.end());
        return all;
    }();
    static const std::vector<std::string> none;
    return idx >= 0 && idx < kNumParams ? labels[idx] : none;
}

std::optional<double> parseValueInUnit(IPluginBase& plug, int idx, std::string_view text,
                                       bool& hasUnit, std::string& error) {
    hasUnit = false;
    double number = 0.0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto parsed = std::from_chars(begin, end, number);
    if (parsed.ec != std::errc() || parsed.ptr == end || !std::isfinite(number)) return {};
    std::string_view rest(parsed.ptr, static_cast<size_t>(end - parsed.ptr));
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    const std::string unit = lowered(rest);
    if (unit != "ms" && unit != "s" && unit != "hz") return {};
    hasUnit = true;

    const IParam* param = plug.GetParam(idx);
    const Meaning meaning = meaningOf(idx);
    const bool isTime = meaning == Meaning::EnvelopeTime || meaning == Meaning::GlideTime;
    double lo = 0.0, hi = 1.0;
    param->GetBounds(lo, hi);
    double value = 0.0;
    if (isTime && unit != "hz") {
        const double seconds = unit == "ms" ? number / 1000.0 : number;
        const double scale = timeScale(meaning);
        value = seconds > 0.0 ? std::pow(seconds / scale, 0.25) : 0.0;
        if (value < lo - 1e-12 || value > hi + 1e-12) {
            error = join({"\"", param->GetNameForHost(), "\" lasts from ",
                          timeText(scale * std::pow(lo, 4.0)), " to ",
                          timeText(scale * std::pow(hi, 4.0)), ", not ", text});
            return {};
        }
    } else if (meaning == Meaning::LfoRate && unit == "hz") {
        if (plug.GetParam(kBPMSync)->Bool()) {
            error = "\"LFO Speed\" follows the tempo while \"BPM Sync On/Off\" is on; set it to "
                    "off first for a rate in Hz";
            return {};
        }
        const double top = kLfoSineHertz * lfoFactor(plug);
        value = number > 0.0 ? std::sqrt(number / top) / kLfoSpan : 0.0;
        if (value > hi + 1e-12) {
            error = join({"the LFO runs at most at ", hertzText(top * kLfoSpan * kLfoSpan),
                          " with this waveform, not ", text});
            return {};
        }
    } else {
        error = join({"\"", param->GetNameForHost(), "\" has no value in ", rest});
        return {};
    }
    return std::clamp(value, lo, hi);
}

std::string describeParamMeaning(int idx) {
    char text[160];
    switch (meaningOf(idx)) {
    case Meaning::EnvelopeTime:
        std::snprintf(text, sizeof(text), "stage time %g*v^4 s, %s to %s (ms or s)",
                      kEnvelopeSeconds, timeText(kEnvelopeSeconds * std::pow(0.12, 4.0)).c_str(),
                      timeText(kEnvelopeSeconds).c_str());
        return text;
    case Meaning::GlideTime:
        std::snprintf(text, sizeof(text), "glide time constant %g*v^4 s, 0 to %s (ms or s)",
                      kGlideSeconds, timeText(kGlideSeconds).c_str());
        return text;
    case Meaning::LfoRate:
        std::snprintf(text, sizeof(text),
                      "free rate %g*(16*v)^2 Hz for the sines (to %s), twice that for ramps and "
                      "square, four times for random (Hz; BPM Sync off)",
                      kLfoSineHertz, hertzText(kLfoSineHertz * kLfoSpan * kLfoSpan).c_str());
        return text;
    case Meaning::None:
        break;
    }
    return {};
}

std::string physicalValueText(IPluginBase& plug, int idx, double value) {
    switch (meaningOf(idx)) {
    case Meaning::EnvelopeTime:
    case Meaning::GlideTime:
        return timeText(timeScale(meaningOf(idx)) * std::pow(value, 4.0));
    case Meaning::LfoRate:
        if (plug.GetParam(kBPMSync)->Bool()) return {};
        return hertzText(kLfoSineHertz * lfoFactor(plug) * std::pow(kLfoSpan * value, 2.0));
    case Meaning::None:
        break;
    }
    return {};
}

} // namespace kv::cli
