#include "VoiceBank.h"

#include <cmath>
#include <cstdlib>

namespace {

struct KernelChoice {
    const char* name;
    bool (*supported)();
};

// Widest first; each entry's kernel is compiled for that instruction set alone.
constexpr KernelChoice kKernels[] = {
#if defined(__x86_64__)
#if defined(KARVELUND_WIDE_KERNELS)
    {"avx512f", [] { return __builtin_cpu_supports("avx512f") != 0; }},
    {"avx2", [] { return __builtin_cpu_supports("avx2") != 0; }},
#endif
    {"sse2", [] { return true; }},
#else
    {"baseline", [] { return true; }},
#endif
};

} // namespace

VoiceBank::VoiceBank() {
    forgetCache(0.0);
    useInstructionSet(supportedInstructionSets().front());
    if (const char* name = std::getenv("KARVELUND_SIMD_ISA")) useInstructionSet(name);
}

std::vector<const char*> VoiceBank::supportedInstructionSets() {
#if defined(__x86_64__)
    __builtin_cpu_init();
#endif
    std::vector<const char*> names;
    for (const KernelChoice& k : kKernels)
        if (k.supported()) names.push_back(k.name);
    return names;
}

bool VoiceBank::useInstructionSet(std::string_view name) {
    for (const char* supported : supportedInstructionSets()) {
        if (name != supported) continue;
        kernel = &VoiceBank::renderBaseline;
#if defined(__x86_64__) && defined(KARVELUND_WIDE_KERNELS)
        if (name == "avx512f") kernel = &VoiceBank::renderAvx512;
        if (name == "avx2") kernel = &VoiceBank::renderAvx2;
#endif
        kernelName = supported;
        return true;
    }
    return false;
}

void VoiceBank::forgetCache(double sampleRate) {
    for (auto& c : cache)
        for (double& x : c)
            x = NAN; // no input equals NaN, so every lane is computed afresh
    cacheRate = sampleRate;
}

void VoiceBank::render(Synthesizer& synth, double* out, int n) {
    (this->*kernel)(synth, out, n);
}
