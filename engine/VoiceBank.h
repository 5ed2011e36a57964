#pragma once

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

    // The widest instruction set this processor offers the bank: "avx512f", "avx2" or "sse2".
    static const char* instructionSet();

    struct State; // every voice's running state, one lane per voice

private:
    // Last inputs and results of the costly per-lane functions (exp2, tan and the filter
    // coefficients), whose inputs mostly stay the same from one sample to the next.
    alignas(64) double cache[11][8];
};
