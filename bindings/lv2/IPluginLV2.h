#pragma once

#include "LV2StateHandover.h"
#include "LV2Transport.h"

#include "core/IPluginBase.h"
#include "util/UTIL_String.h"

#include <vector>

// What the binding keeps for each instance it creates.
struct IPluginInstanceInfo {
    UTIL_String mOSXBundleID;
    UTIL_String mCocoaViewFactoryClassName;
};

// The LV2 host binding: the audio-side instance of an LV2 plug-in. The LV2 entry points
// (lv2_plugin.cpp) drive it; the host serialises run() against instantiation-class calls, so
// the render path takes no lock of its own. A state restored while the instance runs is
// handed to the next run() through an LV2StateHandover and applied before that block.
class IPluginLV2 : public IPluginBase {
public:
    IPluginLV2(const IPluginInstanceInfo& instanceInfo, int nParams, const char* channelIOStr,
               int nPresets, const char* effectName, const char* productName, const char* mfrName,
               int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
               bool plugDoesChunks, bool plugIsInst);

    // ---- Host side (lv2_plugin.cpp) ----
    // Instantiation thread: sizes the buffers for blocks of up to maxBlockLength frames.
    void Prepare(double sampleRate, int maxBlockLength);
    // Resets the plug-in and applies every parameter, as activate() asks.
    void Activate();
    void Deactivate() { mActive = false; }
    bool IsActive() const { return mActive; }
    LV2Transport& Transport() { return mTransport; }
    // Audio thread: renders nFrames (at most the prepared maximum) into the two outputs.
    void RenderBlock(float* left, float* right, int nFrames);
    // Audio thread: applies control value v to parameter idx unless the parameter already
    // holds it in single precision (so exact preset values survive the float ports).
    bool ApplyControl(int idx, float v);
    // Audio thread: applies a state restore waiting in the hand-over; true when there was one.
    bool ApplyPendingState();

    // Audio thread: applies what the editor sent (any piece may be null): the parameter state,
    // the current preset, the preset names (the layout of a saved state). A malformed piece is
    // ignored. Allocates nothing.
    void ApplyEditorState(const void* params, int paramsSize, const int* preset, const void* names,
                          int namesSize);

    // ---- State (instantiation or any non-audio thread) ----
    // The parameter state, the current preset and every preset name, consistent with what the
    // next block plays.
    bool SaveState(ByteChunk* params, int* currentPreset, ByteChunk* presetNames);
    // Checks the pieces (any may be null but not all) and then applies them: directly when the
    // instance is not running, else through the hand-over. A parameter state without a preset
    // number keeps the current one; a preset number alone recalls that preset. False, with
    // nothing changed, when a piece is malformed.
    bool RestoreState(const ByteChunk* params, const int* preset, const ByteChunk* presetNames);

    // ---- What the plug-in asks of its host ----
    void BeginInformHostOfParamChange(int) override {}
    void InformHostOfParamChange(int, double) override {}
    void EndInformHostOfParamChange(int) override {}
    void InformHostOfProgramChange() override {}
    int GetSamplePos() override;
    double GetTempo() override { return mTransport.Info().mTempo; }
    void GetTimeSig(int* numerator, int* denominator) override;
    // Fields the transport has not reported keep their previous values.
    void GetTime(ITimeInfo* timeInfo) override;
    void ResizeGraphics(int, int) override {}
    bool SendMidiMsg(IMidiMsg*) override { return false; }

    const IPluginInstanceInfo& GetInstanceInfo() const { return mInstanceInfo; }

private:
    bool BuildPendingState(LV2PendingState& pending, const ByteChunk* params, const int* preset,
                           const ByteChunk* presetNames);
    void Apply(const LV2PendingState& pending);
    void WritePresetNames(ByteChunk* names) const;

    IPluginInstanceInfo mInstanceInfo;
    LV2Transport mTransport;
    LV2StateHandover mHandover;
    bool mActive = false;
    int mMaxBlock = 0;
    std::vector<double> mLeft, mRight;
    ByteChunk mEditorParams; // room for the editor's parameter state, kept between blocks
    double* mOutputs[2] = {};
};
