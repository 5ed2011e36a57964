#pragma once

#include "core/IPluginStructs.h"

// The host transport as LV2 reports it: a time:Position object arrives only when the
// transport changes (start, stop, locate, tempo), so between updates the position runs on
// by itself at the last speed and tempo.
class LV2Transport {
public:
    // The fields of one time:Position object; a field the host left out keeps its old value.
    struct Update {
        bool hasFrame = false, hasSpeed = false, hasTempo = false;
        bool hasBar = false, hasBarBeat = false, hasBeatsPerBar = false, hasBeatUnit = false;
        double frame = 0.0, speed = 0.0, tempo = 0.0;
        double bar = 0.0, barBeat = 0.0, beatsPerBar = 0.0, beatUnit = 0.0;
    };

    void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
    void Apply(const Update& update);
    // Moves the position on by frames at the current speed.
    void Advance(int frames);
    const ITimeInfo& Info() const { return mInfo; }

private:
    double QuarterNotesPerBar() const;
    void UpdateLastBar();

    double mSampleRate = 44100.0;
    double mSpeed = 0.0;
    double mBeatUnit = 4.0;
    double mBeatsPerBar = 4.0;
    ITimeInfo mInfo;
};
