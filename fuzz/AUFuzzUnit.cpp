#include "AUFuzzUnit.h"

#include "KarvelundIdentity.h"

// The component's instances: the instrument built against the AudioUnit binding.
IPluginAU* MakeAUPlug() {
    return MakePlug();
}

namespace kvfuzz {

namespace {

constexpr double kRate = 48000.0;
constexpr UInt32 kMaxFrames = 4096;

} // namespace

AUFuzzUnit& AUFuzzUnit::Get() {
    static AUFuzzUnit* unit = new AUFuzzUnit(); // never closed: the process ends with it
    return *unit;
}

AUFuzzUnit::AUFuzzUnit() {
    UseInstalledFactoryBank();
    const ComponentDescription description = {kAudioUnitType_MusicDevice,
                                              static_cast<OSType>(karvelund::kUniqueID),
                                              static_cast<OSType>(karvelund::kMfrID), 0, 0};
    mComponent = AUSDKRegisterComponent(&description, IPluginAU::IPluginAUEntry);
    mHost = new AUHostUnit(mComponent);
    if (!mHost->IsOpen() || mHost->Prepare(kRate, kMaxFrames) != noErr)
        Fail("the component does not open and initialise");
    mPlug = static_cast<Karvelund*>(static_cast<IPluginAU*>(mHost->Storage()));
    mPristine = Capture(*mPlug);
}

void AUFuzzUnit::Restart() {
    RestoreStored(*mPlug, mPristine);
    mPlug->ClearPlayingState();
    mHost->Transport().samplePos = 0.0;
}

} // namespace kvfuzz
