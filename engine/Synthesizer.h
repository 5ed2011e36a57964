#pragma once

#include "ADSR.h"
#include "Dezipper.h"
#include "GlobalState.h"
#include "LFO.h"
#include "NoteList.h"
#include "Voice.h"
#include "VoiceBank.h"

#include <algorithm>
#include <array>
#include <cmath>

// The engine: eight voices, the shared envelope rates, the LFO, the parameter smoothers and
// the synth-wide noise and pulse-width sources. process() returns one output sample; render()
// a run of them. Note handling starts, retriggers and releases voices through the operations
// below, so that every caller starts a note the same way.
class Synthesizer {
public:
    static constexpr int kMaxVoices = 8;
    static constexpr int kNumSmoothed = 12;
    // The smoothed parameters, in the order of paramDezippers.
    enum Smoothed {
        kSmoothHardSync,
        kSmoothPulseWidth,
        kSmoothSawDetune,
        kSmoothSubOscBalance,
        kSmoothNoise,
        kSmoothPulse,
        kSmoothSaw,
        kSmoothSub,
        kSmoothCutoff,
        kSmoothResonance,
        kSmoothEnvAmount,
        kSmoothDrive,
    };
    // What one sample of the voices and the master volume read of the pulse-width triangle and
    // the free-running LFO.
    struct SampleModulation {
        double pwmLFO;
        double lfoPitch, lfoPWM, lfoFilter, lfoAmp, lfoHS; // as published to globalState
        double volume;                                     // the master volume's target
    };

    Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    // The voices are computed by the reference engine, one voice at a time (the default), or
    // side by side in SIMD lanes. KARVELUND_ENGINE=simd in the environment selects the lanes
    // when the synthesizer is built. Both give the same sound within 1e-7.
    enum class Engine { kScalar, kSimd };
    void setEngine(Engine e) { engine = e; }
    Engine getEngine() const { return engine; }
    // The instruction set the SIMD engine runs on, and the choice of another; see VoiceBank.
    const char* instructionSet() const { return bank.instructionSet(); }
    bool useInstructionSet(std::string_view name) { return bank.useInstructionSet(name); }

    void init(double sampleRate);
    double process();
    // n samples into out, exactly as n calls of process().
    void render(double* out, int n);

    // Voice queries; indices run over all eight voices, the searches over numVoices.
    bool isBusy(int v) const { return voices[v].state.isBusy(); }
    const VoiceState& voiceState(int v) const { return voices[v].state; }
    // The first busy voice below numVoices playing note, or -1.
    int findVoicePlaying(int note) const;
    // The lowest free voice below numVoices; when all are busy, steals the one rendered
    // longest (greatest envelope counter, lowest index on ties) and resets its counter.
    int findFreeVoice();

    // Starts voice v on note: restarts the LFO (below), sets the velocity factors, retriggers
    // the envelope through its fade and glides (or jumps) to note. The voice's noteNumber is
    // left alone; assignNote sets it.
    void startVoice(int v, int note, int velocity, bool& lfogateisstart);
    void assignNote(int v, int note) { voices[v].state.noteNumber = note; }
    // Moves voice v's pitch target; the voice glides there when portamento is on.
    void setTargetNote(int v, double note) { voices[v].state.osc.targetNote = note; }
    // Sets voice v's pitch at once, without a glide.
    void jumpToNote(int v, double note);

    void releaseVoice(int v) { voices[v].state.adsrState.release(); }
    // Note-off: with the pedal down marks the first busy voice on note as sustained; otherwise
    // releases every busy voice on note.
    void releaseNote(int note);
    // Releases the voices the pedal was holding.
    void releaseSustained();
    // Releases every busy voice below numVoices and forgets the held notes.
    void releaseAll();
    // Marks every busy voice as held by the pedal, to be released with releaseSustained.
    void sustainAll();
    // Stops every voice at once, without a release, and forgets the held notes.
    void silenceAll();

    double out = 0.0; // the voice being rendered
    double env = 0.0; // that voice's envelope value
    double pwmPhase = 0.0, pwmValue = 0.0;
    double noise = 0.0, noiseClock = 0.0;
    GlobalState globalState;
    std::array<Voice, kMaxVoices> voices;
    ADSR adsr;
    LFO lfo;
    Dezipper volumeDezipper;
    Dezipper paramDezippers[kNumSmoothed];
    NoteList heldNotes;
    // Output samples that came out non-finite and were replaced by silence; stays 0 unless a
    // voice's state has gone bad.
    unsigned long long silencedSamples = 0;

private:
    friend class VoiceBank;

    // The synth-wide part of a sample before the voices (smoothers, noise, pulse-width
    // triangle, free-running LFO); returns whether the LFO is a one-shot type.
    bool beginSample();
    // The pulse-width triangle and the free-running LFO, for one sample.
    void advanceModulation();
    // n samples of advanceModulation(), what each sample reads into out.
    void advanceModulation(SampleModulation* out, int n);
    // The smoothers' targets, in their order, and the smoothed values published to
    // globalState from the smoothers' states.
    void smootherTargets(double* targets) const;
    void publishSmoothed();
    // What the master volume moves towards for this sample.
    double volumeTarget(bool oneShot) const {
        return oneShot ? globalState.volume : globalState.volume * (1.0 - globalState.LFOAmp);
    }
    // Master volume and output guard after the voices.
    double endSample(double sum, bool oneShot) { return finishSample(sum, volumeTarget(oneShot)); }
    // The same, with the master volume moving towards volume.
    double finishSample(double sum, double volume) {
        return clampOutput(sum * volumeDezipper.process(volume));
    }
    double processScalar();
    // What the last voice rendered with a one-shot LFO left in GlobalState.
    void publishVoiceLFO(double pitch, double pwm, double filter, double amp, double hs);

    // Restarts a one-shot sweep for the voice, or the free-running LFO at a phrase's start.
    void restartLFO(VoiceState& vs, bool& lfogateisstart);
    void setVelocityFactors(VoiceState& vs, int velocity) const;
    void smoothParameters();
    void advanceNoise();
    void advancePulseWidthLFO();
    void publishLFO();
    double renderVoice(Voice& voice);
    double drive(double x) const;
    // The host never sees a non-finite sample: such a sample becomes silence.
    double clampOutput(double y) {
        if (!std::isfinite(y)) {
            ++silencedSamples;
            return 0.0;
        }
        return std::clamp(y, -1.0, 1.0);
    }

    // The pulse-width triangle's step for the knob position and rate it was computed for.
    double pwmStep = 0.0, pwmStepWidth = NAN, pwmStepRate = NAN;
    Engine engine;
    VoiceBank bank;
};
