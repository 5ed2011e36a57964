// Rendering on one thread while another changes parameters, presets, state and properties.

#include "validate.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

namespace auhost {

namespace {

// What the render notifications see: the parameters before and after each block, read
// inside the render call.
struct BlockWatch {
    AUHostUnit* unit;
    int nParams;
    float before[64];
    std::atomic<long> blocks{0};
    std::atomic<long> mixed{0};
};

OSStatus WatchBlock(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32,
                    UInt32, AudioBufferList*) {
    auto* watch = static_cast<BlockWatch*>(refCon);
    for (int i = 0; i < watch->nParams; ++i) {
        const float value = watch->unit->GetParameter(static_cast<UInt32>(i));
        if (*flags & kAudioUnitRenderAction_PreRender) {
            watch->before[i] = value;
        } else if (value != watch->before[i] &&
                   !(std::isnan(value) && std::isnan(watch->before[i]))) {
            ++watch->mixed;
            break;
        }
    }
    if (*flags & kAudioUnitRenderAction_PostRender) ++watch->blocks;
    return noErr;
}

} // namespace

void CheckStress(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    AUHostUnit other(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen() && other.IsOpen(), "open failed")) return;
    unit.Prepare(44100.0, 1024);
    other.Prepare(44100.0, 1024);
    const int nParams = std::min(unit.NParams(), 64);
    std::vector<AudioUnitParameterInfo> infos(static_cast<size_t>(nParams));
    for (int i = 0; i < nParams; ++i) {
        unit.GetProperty(kAudioUnitProperty_ParameterInfo, 0, static_cast<UInt32>(i),
                         infos[static_cast<size_t>(i)]);
        CFRelease(infos[static_cast<size_t>(i)].cfNameString);
        if (infos[static_cast<size_t>(i)].unitName)
            CFRelease(infos[static_cast<size_t>(i)].unitName);
    }
    // Two states to switch between: this instance's and a changed one.
    const std::vector<uint8_t> stateA = unit.SaveState();
    const AUPreset preset = {12, nullptr};
    other.SetProperty(kAudioUnitProperty_PresentPreset, 0, 0, preset);
    const std::vector<uint8_t> stateB = other.SaveState();

    BlockWatch watch{&unit, nParams, {}, {}, {}};
    AudioUnitAddRenderNotify(unit.Get(), WatchBlock, &watch);
    std::atomic<bool> stop{false};
    std::atomic<long> nonFinite{0}, renderErrors{0}, changeErrors{0}, changes{0};

    std::thread renderer([&] {
        std::vector<float> left(512), right(512);
        int note = 0;
        while (!stop.load()) {
            unit.Midi(0x90, 40 + note % 40, 100, 0);
            unit.Midi(0x80, 40 + (note + 37) % 40, 0, 17);
            ++note;
            if (unit.Render(512, left.data(), right.data()) != noErr) ++renderErrors;
            for (int i = 0; i < 512; ++i) {
                if (!std::isfinite(left[i]) || !std::isfinite(right[i])) ++nonFinite;
            }
        }
    });

    std::mt19937 random(1234);
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration<double>(context.options.stressSeconds);
    while (std::chrono::steady_clock::now() < end) {
        OSStatus r = noErr;
        switch (random() % 6) {
        case 0:
        case 1: {
            const int i = static_cast<int>(random() % static_cast<unsigned>(nParams));
            const AudioUnitParameterInfo& info = infos[static_cast<size_t>(i)];
            const float t = static_cast<float>(random() % 1001) / 1000.0f;
            r = unit.SetParameter(static_cast<UInt32>(i),
                                  info.minValue + t * (info.maxValue - info.minValue));
            break;
        }
        case 2: {
            const AUPreset choice = {static_cast<SInt32>(random() % 64), nullptr};
            r = unit.SetProperty(kAudioUnitProperty_PresentPreset, 0, 0, choice);
            break;
        }
        case 3:
            r = unit.LoadState(random() % 2 ? stateA : stateB);
            break;
        case 4:
            r = unit.SetProperty(kAudioUnitProperty_OfflineRender, 0, 0, UInt32(random() % 2));
            break;
        case 5:
            r = unit.SetProperty(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0,
                                 UInt32(random() % 2 ? 1024 : 2048));
            break;
        }
        if (r != noErr) ++changeErrors;
        ++changes;
    }
    stop = true;
    renderer.join();
    report.Expect(watch.blocks > 10, "only %ld blocks rendered", watch.blocks.load());
    report.Expect(changes > 10, "only %ld changes made", changes.load());
    report.Expect(nonFinite == 0, "%ld non-finite samples", nonFinite.load());
    report.Expect(renderErrors == 0, "%ld renders failed", renderErrors.load());
    report.Expect(changeErrors == 0, "%ld changes failed", changeErrors.load());
    report.Expect(watch.mixed == 0, "%ld of %ld blocks saw parameters change while they rendered",
                  watch.mixed.load(), watch.blocks.load());
    AudioUnitRemoveRenderNotify(unit.Get(), WatchBlock, &watch);
}

} // namespace auhost
