#pragma once

// Plays the instrument as a host does, for tests: initialise, deliver MIDI with offsets, render
// blocks and collect the left and right channels.

#include "IGraphicsHeadless.h"
#include "Karvelund.h"

#include <memory>
#include <vector>

class InstrumentHost {
public:
    // The instrument starts on the declared parameter defaults rather than on the factory
    // bank's first preset, unless factoryPreset is set.
    explicit InstrumentHost(int blockSize = 64, double rate = 48000.0, bool factoryPreset = false);

    Karvelund& plug() { return *mPlug; }
    const Synthesizer& synth() const { return mPlug->GetSynth(); }
    const VoiceState& voice(int i) const { return synth().voiceState(i); }

    void noteOn(int note, int velocity, int offset = 0);
    void noteOff(int note, int offset = 0);
    void control(int controller, int value, int offset = 0);
    void send(int status, int data1, int data2, int offset = 0);
    // Sets a parameter by its plain value and applies it, as the host would.
    void setParam(int idx, double value);

    // The instrument's editor, drawn in memory; syncEditor shows it the current values as a
    // host opening the editor would.
    IGraphicsHeadless& editor();
    void syncEditor();

    // Renders whole blocks; the samples are appended to left and right.
    void renderBlocks(int blocks = 1);
    void renderSeconds(double seconds);

    std::vector<double> left, right;
    int blockSize;
    double rate;

private:
    std::unique_ptr<Karvelund> mPlug;
};

// Points the per-user data folder at an empty temporary folder for the test's lifetime, so a
// bank saved by a user of this machine cannot change what the tests see.
class IsolatedUserData {
public:
    IsolatedUserData();
    ~IsolatedUserData();
    const std::string& folder() const { return mFolder; }

private:
    std::string mFolder;
    std::string mSaved;
    bool mHadValue = false;
};
