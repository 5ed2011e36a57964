#include "VoiceBank.h"

#include <cmath>
#include <cstdlib>

std::span<const VoiceBank::KernelChoice> VoiceBank::kernels() {
#if defined(__x86_64__)
    __builtin_cpu_init(); // for the supported() checks, also before static constructors ran
#endif
    // Each kernel is compiled for its instruction set alone.
    static constexpr KernelChoice kKernels[] = {
#if defined(__x86_64__)
#if defined(KARVELUND_WIDE_KERNELS)
        {"avx512f", &VoiceBank::renderAvx512,
         [] { return __builtin_cpu_supports("avx512f") != 0; }},
        {"avx2", &VoiceBank::renderAvx2, [] { return __builtin_cpu_supports("avx2") != 0; }},
#endif
        {"sse2", &VoiceBank::renderBaseline, [] { return true; }},
#else
        {"baseline", &VoiceBank::renderBaseline, [] { return true; }},
#endif
    };
    return kKernels;
}

VoiceBank::VoiceBank() {
    forgetCache(0.0);
    const char* chosen = std::getenv("KARVELUND_SIMD_ISA");
    if (!chosen || !useInstructionSet(chosen))
        useInstructionSet(supportedInstructionSets().front());
}

std::vector<const char*> VoiceBank::supportedInstructionSets() {
    std::vector<const char*> names;
    for (const KernelChoice& k : kernels())
        if (k.supported()) names.push_back(k.name);
    return names;
}

bool VoiceBank::useInstructionSet(std::string_view name) {
    for (const KernelChoice& k : kernels()) {
        if (name != k.name || !k.supported()) continue;
        kernel = k.kernel;
        kernelName = k.name;
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
