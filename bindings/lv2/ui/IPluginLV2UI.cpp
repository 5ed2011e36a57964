#include "IPluginLV2UI.h"

#include "core/IPreset.h"
#include "editor/IGraphics.h"

#include <cstring>

IPluginLV2UI::IPluginLV2UI(const IPluginInstanceInfo& instanceInfo, int nParams,
                           const char* channelIOStr, int nPresets, const char* effectName,
                           const char* productName, const char* mfrName, int vendorVersion,
                           int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                           bool plugDoesChunks, bool plugIsInst)
    : IPluginBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPISA),
      mInstanceInfo(instanceInfo) {}

void IPluginLV2UI::Prepare(double sampleRate) {
    SetSampleRate(sampleRate);
    SetBlockSize(1);
    SetInputChannelConnections(0, NInChannels(), false);
    SetOutputChannelConnections(0, NOutChannels(), true);
    Reset();
    OnParamReset();
    mPortValues.assign(static_cast<size_t>(NParams()), 0.0f);
    for (int i = 0; i < NParams(); ++i)
        mPortValues[static_cast<size_t>(i)] = static_cast<float>(GetParam(i)->Value());
    mSentPreset = GetCurrentPresetIdx();
    mSentNames = PresetNames();
}

std::vector<std::string> IPluginLV2UI::PresetNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < NPresets(); ++i)
        names.emplace_back(GetPresetName(i));
    return names;
}

void IPluginLV2UI::WriteControl(int idx) {
    const float v = static_cast<float>(GetParam(idx)->Value());
    mPortValues[static_cast<size_t>(idx)] = v;
    if (mLink.writeControl) mLink.writeControl(idx, v);
}

void IPluginLV2UI::BeginInformHostOfParamChange(int idx) {
    if (mLink.touch) mLink.touch(idx, true);
}

void IPluginLV2UI::InformHostOfParamChange(int idx, double) {
    if (idx >= 0 && idx < NParams()) WriteControl(idx);
}

void IPluginLV2UI::EndInformHostOfParamChange(int idx) {
    if (mLink.touch) mLink.touch(idx, false);
}

void IPluginLV2UI::ControlPortChanged(int idx, float value) {
    IParam* param = GetParam(idx);
    if (!param || value != value) return;
    mPortValues[static_cast<size_t>(idx)] = value;
    if (static_cast<float>(param->Value()) == value) return;
    param->Set(value);
    OnParamChange(idx);
    if (GetGUI()) GetGUI()->SetParameterFromPlug(idx, param->Value(), false);
}

void IPluginLV2UI::NotePlayed(unsigned char status, unsigned char note, unsigned char velocity) {
    IMidiMsg msg(0, status, note & 0x7F, velocity & 0x7F);
    ProcessMidiMsg(&msg);
    // One sample of the instance's own engine moves the message to the keyboard's keys.
    double* outputs[2] = {mSilence[0], mSilence[1]};
    AttachOutputBuffers(0, NOutChannels(), outputs);
    ProcessBuffers(0.0, 1);
}

bool IPluginLV2UI::ReceiveState(const void* params, int paramsSize, int preset, const void* names,
                                int namesSize) {
    ByteChunk chunk;
    chunk.PutBytes(params, paramsSize);
    if (preset < 0 || preset >= NPresets() || CheckState(&chunk, 0) != paramsSize) return false;
    std::vector<std::string> newNames;
    const auto* bytes = static_cast<const unsigned char*>(names);
    int pos = 0;
    for (int i = 0; i < NPresets(); ++i) {
        int32_t length = -1;
        if (pos + 4 > namesSize) return false;
        std::memcpy(&length, bytes + pos, 4);
        if (length < 0 || length >= IPreset::kNameLen || pos + 4 + length > namesSize) return false;
        newNames.emplace_back(reinterpret_cast<const char*>(bytes) + pos + 4,
                              static_cast<size_t>(length));
        pos += 4 + length;
    }
    if (pos != namesSize) return false;
    UnserializeState(&chunk, 0);
    mCurrentPresetIdx = preset;
    for (int i = 0; i < NPresets(); ++i)
        mPresets.Get(i)->SetName(newNames[static_cast<size_t>(i)].c_str());
    RedrawParamControls();
    PresetsChangedByHost();
    for (int i = 0; i < NParams(); ++i)
        mPortValues[static_cast<size_t>(i)] = static_cast<float>(GetParam(i)->Value());
    mSentPreset = preset;
    mSentNames = std::move(newNames);
    return true;
}

void IPluginLV2UI::SyncToHost() {
    for (int i = 0; i < NParams(); ++i) {
        if (static_cast<float>(GetParam(i)->Value()) != mPortValues[static_cast<size_t>(i)]) {
            BeginInformHostOfParamChange(i);
            WriteControl(i);
            EndInformHostOfParamChange(i);
        }
    }
    std::vector<std::string> names = PresetNames();
    if (GetCurrentPresetIdx() == mSentPreset && names == mSentNames) return;
    mSentPreset = GetCurrentPresetIdx();
    mSentNames = std::move(names);
    if (!mLink.sendState) return;
    ByteChunk params, nameChunk;
    SerializeState(&params);
    for (const std::string& name : mSentNames)
        nameChunk.PutStr(name.c_str());
    mLink.sendState(params, mSentPreset, nameChunk);
}

void IPluginLV2UI::GetTimeSig(int* numerator, int* denominator) {
    *numerator = 4;
    *denominator = 4;
}

void IPluginLV2UI::GetTime(ITimeInfo*) {}
