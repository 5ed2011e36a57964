#include "validate.h"

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace auhost {

bool CheckReport::Expect(bool ok, const char* format, ...) {
    if (ok) return true;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    mFailures.emplace_back(text);
    return false;
}

bool CheckReport::ExpectStatus(OSStatus result, OSStatus expected, const char* what) {
    return Expect(result == expected, "%s: answered %d, expected %d", what,
                  static_cast<int>(result), static_cast<int>(expected));
}

namespace {

const Check kChecks[] = {
    {"open-close", "open and close 100 instances, no objects left behind", CheckOpenClose},
    {"selectors", "version, can-do list, every selector and unknown ones", CheckSelectors},
    {"property-table", "every property in every scope: sizes, writability, errors",
     CheckPropertyTable},
    {"listeners-render-notify", "property listener and render-notify bookkeeping",
     CheckListenersAndRenderNotify},
    {"parameters", "info, value strings, names and clumps of every parameter; get and set",
     CheckParameters},
    {"stream-formats", "output formats, refused formats, input scope", CheckStreamFormats},
    {"sample-rates", "22050 to 192000 Hz: accepted, read back, a note sounds", CheckSampleRates},
    {"max-frames", "maximum frames 1 to 4096 and render calls of every size up to it",
     CheckMaxFrames},
    {"silence-and-note", "silence without notes; a finite, non-silent note that ends",
     CheckSilenceAndNote},
    {"midi", "MIDI events at their offsets, start and stop note, system exclusive", CheckMidi},
    {"host-callbacks", "a moving transport; the synced LFO follows the host tempo",
     CheckHostCallbacks},
    {"bypass", "bypass silences the instrument and reads back", CheckBypass},
    {"classinfo-roundtrip",
     "save, restore into a fresh instance, save again: same bytes, same audio",
     CheckClassInfoRoundTrip},
    {"classinfo-foreign", "a dictionary of another subtype is refused with nothing changed",
     CheckClassInfoForeign},
    {"factory-presets", "64 presets, numbers and names; selecting one", CheckFactoryPresets},
    {"view", "view factory class, view component, editor component list", CheckView},
    {"stress", "rendering beside parameter, preset, state and property changes", CheckStress},
};

} // namespace

int Validate(const AUHostBundle& bundle, const ValidateOptions& options) {
    int failed = 0, run = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const Check& check : kChecks) {
        if (!options.only.empty() && options.only != check.name) continue;
        ++run;
        CheckContext context{bundle, options};
        CheckReport report;
        const auto t0 = std::chrono::steady_clock::now();
        check.run(context, report);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        if (report.Passed()) {
            std::printf("PASS %-24s %8.0f ms  %s\n", check.name, ms, check.what);
        } else {
            ++failed;
            std::printf("FAIL %-24s %8.0f ms  %s\n", check.name, ms, check.what);
            int shown = 0;
            for (const std::string& failure : report.Failures()) {
                if (++shown > 10) {
                    std::printf("     ... %zu more\n", report.Failures().size() - 10);
                    break;
                }
                std::printf("     %s\n", failure.c_str());
            }
        }
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run == 0) {
        std::printf("no check named \"%s\"\n", options.only.c_str());
        return 1;
    }
    std::printf("%d of %d checks passed in %.1f s\n", run - failed, run, seconds);
    return failed ? 1 : 0;
}

std::vector<float> RenderMono(AUHostUnit& unit, int frames, int block, OSStatus* status) {
    std::vector<float> out(static_cast<size_t>(frames));
    std::vector<float> right(static_cast<size_t>(block));
    for (int done = 0; done < frames; done += block) {
        const int n = std::min(block, frames - done);
        const OSStatus r = unit.Render(static_cast<UInt32>(n), out.data() + done, right.data());
        if (status) *status = r;
        if (r != noErr) break;
    }
    return out;
}

float Peak(const std::vector<float>& samples, size_t from, size_t to) {
    float peak = 0.0f;
    for (size_t i = from; i < std::min(to, samples.size()); ++i)
        peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}

bool AllFinite(const std::vector<float>& samples) {
    for (float s : samples) {
        if (!std::isfinite(s)) return false;
    }
    return true;
}

int FindParameter(AUHostUnit& unit, const char* name) {
    const int n = unit.NParams();
    for (int i = 0; i < n; ++i) {
        AudioUnitParameterNameInfo info = {static_cast<AudioUnitParameterID>(i),
                                           kAudioUnitParameterName_Full, nullptr};
        if (unit.GetProperty(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, info) !=
            noErr)
            continue;
        const bool match = TextOf(info.outName) == name;
        CFRelease(info.outName);
        if (match) return i;
    }
    return -1;
}

} // namespace auhost
