#pragma once

#include <AUSDKHost.h>

#include <cstdint>
#include <string>
#include <vector>

// The transport the host reports through its callbacks.
struct HostTransport {
    double tempo = 120.0;
    double sampleRate = 44100.0;
    double samplePos = 0.0;
    bool playing = true;
    float numerator = 4.0f;
    UInt32 denominator = 4;

    double Beat() const { return samplePos / sampleRate * tempo / 60.0; }
};

// One open instance of a component, driven as a host drives it. Closes it on destruction.
class AUHostUnit {
public:
    explicit AUHostUnit(Component component);
    ~AUHostUnit();
    AUHostUnit(const AUHostUnit&) = delete;
    AUHostUnit& operator=(const AUHostUnit&) = delete;

    bool IsOpen() const { return mUnit != nullptr; }
    AudioUnit Get() const { return mUnit; }
    HostTransport& Transport() { return mTransport; }

    // Sets the sample rate, the maximum frames, a non-interleaved float format of `channels`
    // on output bus 0 and the host callbacks, then initialises. Returns the first failure.
    OSStatus Prepare(double sampleRate, UInt32 maxFrames, int channels = 2);
    // Renders frames into left and right (right may be null for one channel) at the sample
    // time the transport holds, through fast dispatch or through the entry; then advances the
    // transport.
    OSStatus Render(UInt32 frames, float* left, float* right, bool fastDispatch = true);
    OSStatus Midi(int status, int data1, int data2, int offset);
    OSStatus SetParameter(AudioUnitParameterID id, float value);
    float GetParameter(AudioUnitParameterID id);
    // All parameter values through fast dispatch.
    std::vector<float> GetParameters();
    int NParams();

    template <typename T>
    OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         T& value) {
        UInt32 size = sizeof(T);
        return AudioUnitGetProperty(mUnit, id, scope, element, &value, &size);
    }
    template <typename T>
    OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         const T& value) {
        return AudioUnitSetProperty(mUnit, id, scope, element, &value, sizeof(T));
    }

    // The ClassInfo dictionary as XML property-list bytes; empty on failure.
    std::vector<uint8_t> SaveState();
    // Restores XML property-list bytes as ClassInfo; the unit's answer, or a parse failure.
    OSStatus LoadState(const std::vector<uint8_t>& xml);

    AudioUnitRenderProc RenderProc() const { return mRenderProc; }
    AudioUnitSetParameterProc SetParamProc() const { return mSetParamProc; }
    AudioUnitGetParameterProc GetParamProc() const { return mGetParamProc; }
    void* Storage() const { return mStorage; }

private:
    static OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo);
    static OSStatus MusicalTimeLocation(void* user, UInt32* deltaSampleOffset, Float32* numerator,
                                        UInt32* denominator, Float64* downBeat);
    static OSStatus TransportState(void* user, Boolean* playing, Boolean* changed, Float64* sample,
                                   Boolean* cycling, Float64* cycleStart, Float64* cycleEnd);

    AudioUnit mUnit = nullptr;
    void* mStorage = nullptr;
    AudioUnitRenderProc mRenderProc = nullptr;
    AudioUnitSetParameterProc mSetParamProc = nullptr;
    AudioUnitGetParameterProc mGetParamProc = nullptr;
    HostTransport mTransport;
};

// Property-list bytes of a dictionary, and back (null on failure; the caller releases).
std::vector<uint8_t> PropertyListBytes(CFPropertyListRef list);
CFPropertyListRef PropertyListFromBytes(const std::vector<uint8_t>& bytes, std::string* error);
std::string TextOf(CFStringRef str);
