#pragma once

#include "core/IPluginBase.h"
#include "util/UTIL_String.h"

#include <functional>
#include <string>
#include <vector>

// What the binding keeps for each instance it creates.
struct IPluginInstanceInfo {
    UTIL_String mOSXBundleID;
    UTIL_String mCocoaViewFactoryClassName;
};

// The LV2 editor binding: the editor module builds its own instance of the plug-in, whose
// parameters mirror the audio module's control ports. The editor's changes go to the ports
// (with touch gestures), the ports' changes come back to the parameters and the controls, and
// preset changes (recall, rename, bank and program files) travel to the audio module as an
// editor state message.
class IPluginLV2UI : public IPluginBase {
public:
    // What the editor sends to the host; set by the LV2 entry points (lv2_ui.cpp).
    struct HostLink {
        std::function<void(int paramIdx, float value)> writeControl;
        std::function<void(int paramIdx, bool grabbed)> touch;
        // The parameter state, current preset and preset names, in the saved-state layout.
        std::function<void(const ByteChunk& params, int preset, const ByteChunk& names)> sendState;
    };

    IPluginLV2UI(const IPluginInstanceInfo& instanceInfo, int nParams, const char* channelIOStr,
                 int nPresets, const char* effectName, const char* productName, const char* mfrName,
                 int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                 bool plugDoesChunks, bool plugIsInst);

    void SetHostLink(HostLink link) { mLink = std::move(link); }
    // Prepares the instance (its engine only keeps the keyboard's notes moving).
    void Prepare(double sampleRate);
    // A control port moved: the parameter and its control follow, without echo.
    void ControlPortChanged(int idx, float value);
    // A note the audio module played, for the keyboard.
    void NotePlayed(unsigned char status, unsigned char note, unsigned char velocity);
    // The audio module's parameter state, preset and names; false when malformed.
    bool ReceiveState(const void* params, int paramsSize, int preset, const void* names,
                      int namesSize);
    // Sends what changed since the last call: parameter values that the editor changed other
    // than by a gesture (presets, files) go to the ports, preset changes to the audio module.
    void SyncToHost();

    // ---- What the plug-in asks of its host ----
    void BeginInformHostOfParamChange(int paramIdx) override;
    void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
    void EndInformHostOfParamChange(int paramIdx) override;
    void InformHostOfProgramChange() override {}
    int GetSamplePos() override { return 0; }
    double GetTempo() override { return 120.0; }
    void GetTimeSig(int* numerator, int* denominator) override;
    void GetTime(ITimeInfo* timeInfo) override;
    void ResizeGraphics(int, int) override {}
    bool SendMidiMsg(IMidiMsg*) override { return false; }

    const IPluginInstanceInfo& GetInstanceInfo() const { return mInstanceInfo; }

private:
    void WriteControl(int idx);
    std::vector<std::string> PresetNames() const;

    IPluginInstanceInfo mInstanceInfo;
    HostLink mLink;
    std::vector<float> mPortValues; // what the ports hold as far as we know
    int mSentPreset = -1;
    std::vector<std::string> mSentNames;
    double mSilence[2][1] = {};
};
