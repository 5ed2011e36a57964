#pragma once

#include "ADSR.h"
#include "Dezipper.h"
#include "GlobalState.h"
#include "LFO.h"
#include "NoteList.h"
#include "Voice.h"

#include <array>
#include <memory>

// The engine: eight voices, the shared envelope rates, the LFO, the parameter smoothers and
// the synth-wide noise and pulse-width sources. process() returns one output sample.
class Synthesizer {
public:
    static constexpr int kMaxVoices = 8;
    static constexpr int kNumSmoothed = 12;

    Synthesizer();

    void init(double sampleRate);
    double process();

    double out = 0.0; // the voice being rendered
    double env = 0.0; // that voice's envelope value
    double pwmPhase = 0.0, pwmValue = 0.0;
    double noise = 0.0, noiseClock = 0.0;
    std::array<std::unique_ptr<Voice>, kMaxVoices> voices;
    GlobalState globalState;
    ADSR adsr;
    std::unique_ptr<LFO> lfo;
    Dezipper volumeDezipper;
    Dezipper paramDezippers[kNumSmoothed];
    NoteList heldNotes;

private:
    void smoothParameters();
    void advanceNoise();
    void advancePulseWidthLFO();
    void publishLFO();
    double renderVoice(Voice& voice);
    double drive(double x) const;
};
