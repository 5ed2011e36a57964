#pragma once

#include "core/IPluginBase.h"
#include "util/UTIL_String.h"

#include <vector>

// What the binding keeps for each instance it creates.
struct IPluginInstanceInfo {
    UTIL_String mOSXBundleID;
    UTIL_String mCocoaViewFactoryClassName;
};

// The host binding for running a plug-in inside our own programs (the command-line renderer,
// build tools, tests): the caller plays the host. It sets the transport, delivers MIDI,
// renders blocks and, if it asks to, sees the parameter changes the plug-in reports.
class IPluginOffline : public IPluginBase {
public:
    struct ParamChange {
        enum Kind { kBegin, kChange, kEnd };
        Kind kind;
        int paramIdx;
        double normalizedValue; // for kChange
    };

    IPluginOffline(const IPluginInstanceInfo& instanceInfo, int nParams, const char* channelIOStr,
                   int nPresets, const char* effectName, const char* productName,
                   const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                   bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);

    // ---- Host side ----
    // Sets the rate and block size, connects every output, resets the plug-in and applies
    // every parameter, as a host does when it initialises a plug-in.
    void Initialize(double sampleRate, int blockSize);
    // The transport GetTime reports from now on.
    void SetTransport(const ITimeInfo& transport) { mTransport = transport; }
    const ITimeInfo& GetTransport() const { return mTransport; }
    // Delivers one MIDI message stamped with its offset in the next block.
    void SendMidiToPlug(const IMidiMsg& msg);
    // Selects a preset between blocks, as a host does for a program change. False when there
    // is no such preset or it would not load.
    bool SelectPreset(int idx);
    // Renders nFrames (at most the block size) into one buffer per output channel.
    void Render(double** outputs, int nFrames);
    // Records the plug-in's parameter-change reports (off by default: they are ignored).
    void SetRecordParamChanges(bool record) { mRecordParamChanges = record; }
    const std::vector<ParamChange>& GetParamChanges() const { return mParamChanges; }
    void ClearParamChanges() { mParamChanges.clear(); }
    const IPluginInstanceInfo& GetInstanceInfo() const { return mInstanceInfo; }

    // ---- What the plug-in asks of its host ----
    void BeginInformHostOfParamChange(int paramIdx) override;
    void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
    void EndInformHostOfParamChange(int paramIdx) override;
    void InformHostOfProgramChange() override {}
    bool IsRenderingOffline() override { return true; }
    int GetSamplePos() override;
    double GetTempo() override { return mTransport.mTempo; }
    void GetTimeSig(int* numerator, int* denominator) override;
    // Fields the transport leaves at or below zero keep their previous values.
    void GetTime(ITimeInfo* timeInfo) override;
    void ResizeGraphics(int /*w*/, int /*h*/) override {}
    bool SendMidiMsg(IMidiMsg* /*msg*/) override { return false; }

private:
    void Record(ParamChange::Kind kind, int paramIdx, double value);

    IPluginInstanceInfo mInstanceInfo;
    ITimeInfo mTransport;
    bool mRecordParamChanges = false;
    std::vector<ParamChange> mParamChanges;
};
