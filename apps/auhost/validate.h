#pragma once

#include "AUHostBundle.h"
#include "AUHostUnit.h"

#include <string>
#include <vector>

extern "C" long AUSDKLiveObjectCount(void);

namespace auhost {

struct ValidateOptions {
    double stressSeconds = 10.0;
    std::string only; // run only the check of this name
};

// Collects the failures of one check.
class CheckReport {
public:
    // Records a failure when ok is false; returns ok.
    bool Expect(bool ok, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Expect(result == expected) with both codes in the message.
    bool ExpectStatus(OSStatus result, OSStatus expected, const char* what);
    bool Passed() const { return mFailures.empty(); }
    const std::vector<std::string>& Failures() const { return mFailures; }

private:
    std::vector<std::string> mFailures;
};

struct CheckContext {
    const AUHostBundle& bundle;
    const ValidateOptions& options;
};

using CheckFunction = void (*)(CheckContext& context, CheckReport& report);

struct Check {
    const char* name;
    const char* what;
    CheckFunction run;
};

// The checks, grouped by file.
void CheckOpenClose(CheckContext&, CheckReport&);
void CheckSelectors(CheckContext&, CheckReport&);
void CheckPropertyTable(CheckContext&, CheckReport&);
void CheckListenersAndRenderNotify(CheckContext&, CheckReport&);
void CheckParameters(CheckContext&, CheckReport&);
void CheckStreamFormats(CheckContext&, CheckReport&);
void CheckSampleRates(CheckContext&, CheckReport&);
void CheckMaxFrames(CheckContext&, CheckReport&);
void CheckSilenceAndNote(CheckContext&, CheckReport&);
void CheckMidi(CheckContext&, CheckReport&);
void CheckHostCallbacks(CheckContext&, CheckReport&);
void CheckBypass(CheckContext&, CheckReport&);
void CheckClassInfoRoundTrip(CheckContext&, CheckReport&);
void CheckClassInfoForeign(CheckContext&, CheckReport&);
void CheckFactoryPresets(CheckContext&, CheckReport&);
void CheckView(CheckContext&, CheckReport&);
void CheckStress(CheckContext&, CheckReport&);

// Runs the checks, printing PASS or FAIL for each; 0 when all pass, 1 otherwise.
int Validate(const AUHostBundle& bundle, const ValidateOptions& options);

// ---- Helpers shared by the checks ----

// Renders frames in blocks of `block` into one mono buffer (the left channel).
std::vector<float> RenderMono(AUHostUnit& unit, int frames, int block, OSStatus* status = nullptr);
float Peak(const std::vector<float>& samples, size_t from = 0, size_t to = SIZE_MAX);
bool AllFinite(const std::vector<float>& samples);
// The parameter whose full name is `name`, or -1.
int FindParameter(AUHostUnit& unit, const char* name);

} // namespace auhost
