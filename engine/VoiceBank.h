#pragma once

#include <span>
#include <string_view>
#include <vector>

class Synthesizer;

// The eight voices computed side by side, one voice per lane: oscillators, drive, envelope,
// filter and amplifier for all voices in each instruction, with idle voices masked out. The
// voices' state stays in the Voice objects; render() takes it into lanes for a run of samples
// and puts it back afterwards, so note handling and the scalar engine see one state.
class VoiceBank {
public:
    VoiceBank();

    // n samples of synth into out, with the same per-sample semantics as Synthesizer::process.
    void render(Synthesizer& synth, double* out, int n);

    // The instruction set the bank runs on: by default the widest of "avx512f", "avx2" and
    // "sse2" that the processor offers ("baseline" on other processors), or the one named by
    // KARVELUND_SIMD_ISA in the environment when the processor offers it.
    const char* instructionSet() const { return kernelName; }
    // Every instruction set this processor can run the bank on, widest first.
    static std::vector<const char*> supportedInstructionSets();
    // Runs the bank on the named instruction set; false, and nothing changed, when the
    // processor does not offer it. All give the same sound.
    bool useInstructionSet(std::string_view name);

    struct State; // every voice's running state, one lane per voice

private:
    // The sample loop compiled for each instruction set (VoiceBankAvx512.cpp and so on); the
    // constructor picks the widest the processor runs.
    using Kernel = void (VoiceBank::*)(Synthesizer&, double*, int);
#if defined(__x86_64__)
    void renderAvx512(Synthesizer& synth, double* out, int n);
    void renderAvx2(Synthesizer& synth, double* out, int n);
#endif
    void renderBaseline(Synthesizer& synth, double* out, int n);
    struct KernelChoice {
        const char* name;
        Kernel kernel;
        bool (*supported)();
    };
    // Every kernel built into the program, widest first.
    static std::span<const KernelChoice> kernels();
    Kernel kernel;
    const char* kernelName;

    // Last inputs and results of the costly per-lane functions (pitch to frequency, tan and the
    // filter coefficients), whose inputs mostly stay the same from one sample to the next. The
    // frequencies are relative to cacheRate.
    alignas(64) double cache[11][8];
    double cacheRate = 0.0;
    void forgetCache(double sampleRate);
};
