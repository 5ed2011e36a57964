#include "InstrumentHost.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

InstrumentHost::InstrumentHost(int block, double sampleRate, bool factoryPreset)
    : blockSize(block), rate(sampleRate), mPlug(MakePlug()) {
    if (!factoryPreset) {
        for (int i = 0; i < mPlug->NParams(); ++i)
            mPlug->GetParam(i)->Set(mPlug->GetParam(i)->GetDefault());
    }
    mPlug->Initialize(rate, blockSize);
}

void InstrumentHost::send(int status, int data1, int data2, int offset) {
    mPlug->SendMidiToPlug(IMidiMsg(offset, static_cast<unsigned char>(status),
                                   static_cast<unsigned char>(data1),
                                   static_cast<unsigned char>(data2)));
}

void InstrumentHost::noteOn(int note, int velocity, int offset) {
    send(0x90, note, velocity, offset);
}

void InstrumentHost::noteOff(int note, int offset) {
    send(0x80, note, 0, offset);
}

void InstrumentHost::control(int controller, int value, int offset) {
    send(0xB0, controller, value, offset);
}

void InstrumentHost::setParam(int idx, double value) {
    mPlug->GetParam(idx)->Set(value);
    mPlug->OnParamChange(idx);
}

IGraphicsHeadless& InstrumentHost::editor() {
    return *dynamic_cast<IGraphicsHeadless*>(mPlug->GetGUI());
}

void InstrumentHost::syncEditor() {
    for (int i = 0; i < mPlug->NParams(); ++i)
        editor().SetParameterFromPlug(i, mPlug->GetParam(i)->GetNormalized(), true);
    editor().DrawDirty();
}

void InstrumentHost::renderBlocks(int blocks) {
    std::vector<double> l(static_cast<size_t>(blockSize)), r(l.size());
    double* outputs[2] = {l.data(), r.data()};
    for (int b = 0; b < blocks; ++b) {
        mPlug->Render(outputs, blockSize);
        left.insert(left.end(), l.begin(), l.end());
        right.insert(right.end(), r.begin(), r.end());
    }
}

void InstrumentHost::renderSeconds(double seconds) {
    renderBlocks(static_cast<int>(seconds * rate / blockSize) + 1);
}

IsolatedUserData::IsolatedUserData() {
    char pattern[] = "/tmp/karvelund-test-XXXXXX";
    mFolder = mkdtemp(pattern);
    if (const char* value = std::getenv("XDG_DATA_HOME")) {
        mHadValue = true;
        mSaved = value;
    }
    setenv("XDG_DATA_HOME", mFolder.c_str(), 1);
}

IsolatedUserData::~IsolatedUserData() {
    if (mHadValue)
        setenv("XDG_DATA_HOME", mSaved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    std::error_code ec;
    std::filesystem::remove_all(mFolder, ec);
}
