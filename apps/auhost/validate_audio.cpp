// Checks of formats, rates, block sizes and the audio the component renders.

#include "validate.h"

#include <cmath>

namespace auhost {

namespace {

constexpr OSStatus kInvalid = kAudioUnitErr_InvalidProperty;

AudioStreamBasicDescription Format(double rate, UInt32 channels) {
    AudioStreamBasicDescription asbd = {};
    asbd.mSampleRate = rate;
    asbd.mFormatID = kAudioFormatLinearPCM;
    asbd.mFormatFlags =
        kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    asbd.mBytesPerPacket = asbd.mBytesPerFrame = 4;
    asbd.mFramesPerPacket = 1;
    asbd.mChannelsPerFrame = channels;
    asbd.mBitsPerChannel = 32;
    return asbd;
}

UInt32 OutputChannels(AUHostUnit& unit) {
    AudioStreamBasicDescription asbd = {};
    unit.GetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, asbd);
    return asbd.mChannelsPerFrame;
}

int FirstNonZero(const std::vector<float>& samples) {
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != 0.0f) return static_cast<int>(i);
    }
    return -1;
}

} // namespace

void CheckStreamFormats(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    AudioStreamBasicDescription asbd = {};
    report.ExpectStatus(
        unit.GetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, asbd), noErr,
        "output format");
    report.Expect(asbd.mSampleRate == 44100.0 && asbd.mFormatID == kAudioFormatLinearPCM &&
                      asbd.mFormatFlags == 0x29 && asbd.mBytesPerPacket == 4 &&
                      asbd.mBytesPerFrame == 4 && asbd.mFramesPerPacket == 1 &&
                      asbd.mChannelsPerFrame == 2 && asbd.mBitsPerChannel == 32,
                  "default output format is not 44100 Hz non-interleaved float, 2 channels");
    report.ExpectStatus(
        unit.GetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, asbd), kInvalid,
        "input format without an input bus");
    report.ExpectStatus(
        unit.GetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 1, asbd),
        kInvalid, "format of output bus 1");
    report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                         Format(48000, 1)),
                        noErr, "mono output");
    report.Expect(OutputChannels(unit) == 1, "mono output reads back %u channels",
                  OutputChannels(unit));
    Float64 rate = 0.0;
    unit.GetProperty(kAudioUnitProperty_SampleRate, 0, 0, rate);
    report.Expect(rate == 48000.0, "the format's rate gave sample rate %g", rate);
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, Format(0, 3)),
        kInvalid, "three output channels");
    report.Expect(OutputChannels(unit) == 0, "a refused format left %u host channels",
                  OutputChannels(unit));
    AudioStreamBasicDescription aac = Format(44100, 2);
    aac.mFormatID = 'aac ';
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, aac), kInvalid,
        "a compressed format");
    AudioStreamBasicDescription integer = Format(44100, 2);
    integer.mFormatFlags = kAudioFormatFlagIsSignedInteger;
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, integer),
        kInvalid, "an unpacked integer format");
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, Format(0, 2)),
        kInvalid, "an input format without an input bus");
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, Format(0, 2)),
        noErr, "stereo output");
    report.Expect(OutputChannels(unit) == 2, "stereo output reads back %u channels",
                  OutputChannels(unit));

    // One buffer renders the mono signal; more buffers than channels are refused.
    report.ExpectStatus(unit.Prepare(44100.0, 512, 1), noErr, "prepare mono");
    unit.Midi(0x90, 60, 100, 0);
    std::vector<float> mono(512);
    report.ExpectStatus(unit.Render(512, mono.data(), nullptr), noErr, "mono render");
    report.Expect(Peak(mono) > 0.0f && AllFinite(mono), "mono render is silent or not finite");
    float three[3][64];
    struct {
        UInt32 n;
        AudioBuffer b[3];
    } list = {3, {{1, 256, three[0]}, {1, 256, three[1]}, {1, 256, three[2]}}};
    AudioTimeStamp ts = {};
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    report.ExpectStatus(unit.RenderProc()(unit.Storage(), &flags, &ts, 0, 64,
                                          reinterpret_cast<AudioBufferList*>(&list)),
                        kAudioUnitErr_InvalidPropertyValue, "render into three buffers");
    report.ExpectStatus(unit.RenderProc()(unit.Storage(), &flags, &ts, 1, 64,
                                          reinterpret_cast<AudioBufferList*>(&list)),
                        kAudioUnitErr_InvalidPropertyValue, "render of output bus 1");
}

void CheckSampleRates(CheckContext& context, CheckReport& report) {
    for (double rate : {22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0}) {
        AUHostUnit unit(context.bundle.GetComponent());
        if (!report.Expect(unit.IsOpen(), "open failed")) return;
        report.ExpectStatus(unit.Prepare(rate, 512), noErr, "prepare");
        Float64 got = 0.0;
        unit.GetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, got);
        report.Expect(got == rate, "sample rate %g reads back %g", rate, got);
        unit.Midi(0x90, 57, 100, 0);
        const std::vector<float> out = RenderMono(unit, static_cast<int>(rate / 4), 512);
        report.Expect(AllFinite(out), "%g Hz: not finite", rate);
        report.Expect(Peak(out) > 0.01f && Peak(out) < 4.0f, "%g Hz: note peak %g", rate,
                      Peak(out));
    }
    AUHostUnit unit(context.bundle.GetComponent());
    for (double bad : {0.0, -44100.0, double(NAN), double(INFINITY)})
        report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_SampleRate, 0, 0, bad),
                            kAudioUnitErr_InvalidPropertyValue, "an impossible sample rate");
}

namespace {

// Sets the maximum and renders one call of every size up to it, each writing its last sample;
// then one frame too many is refused.
void RenderEverySize(AUHostUnit& unit, UInt32 max, CheckReport& report) {
    if (!report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, max),
                             noErr, "maximum frames"))
        return;
    UInt32 got = 0;
    unit.GetProperty(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, got);
    report.Expect(got == max, "maximum frames %u reads back %u", max, got);
    std::vector<float> left(max + 1), right(max + 1);
    for (UInt32 n = 1; n <= max; ++n) {
        left[n - 1] = right[n - 1] = NAN;
        const OSStatus r = unit.Render(n, left.data(), right.data());
        if (!report.Expect(r == noErr, "render of %u frames with maximum %u answered %d", n, max,
                           static_cast<int>(r)))
            break;
        report.Expect(std::isfinite(left[n - 1]) && left[n - 1] == right[n - 1],
                      "render of %u frames: last sample not written or channels differ", n);
    }
    report.ExpectStatus(unit.Render(max + 1, left.data(), right.data()),
                        kAudioUnitErr_InvalidPropertyValue,
                        "render of one frame more than the maximum");
}

} // namespace

void CheckMaxFrames(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    report.ExpectStatus(unit.Prepare(44100.0, 512), noErr, "prepare");
    // A held note keeps the voices busy through the sizes up to 1024.
    for (UInt32 max : {1u, 2u, 3u, 17u, 64u, 256u, 512u, 1024u}) {
        const int note = 48 + static_cast<int>(max % 24);
        unit.Midi(0x90, note, 100, 0);
        RenderEverySize(unit, max, report);
        unit.Midi(0x80, note, 0, 0);
    }
    // Up to 4096 the instance has played no note: the calls test the buffers, not the voices.
    AUHostUnit idle(context.bundle.GetComponent());
    report.ExpectStatus(idle.Prepare(44100.0, 512), noErr, "prepare");
    RenderEverySize(idle, 4096, report);
    // One full block of 4096 with a note.
    unit.SetProperty(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, UInt32{4096});
    unit.Midi(0x90, 60, 100, 0);
    const std::vector<float> full = RenderMono(unit, 4096, 4096);
    report.Expect(AllFinite(full) && Peak(full) > 0.0f,
                  "a block of 4096 with a note is silent or not finite");
    for (UInt32 bad : {0u, 1u << 20, 0xFFFFFFFFu})
        report.ExpectStatus(unit.SetProperty(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, bad),
                            kAudioUnitErr_InvalidPropertyValue, "an impossible maximum");
}

void CheckSilenceAndNote(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    report.ExpectStatus(unit.Prepare(44100.0, 512), noErr, "prepare");
    const std::vector<float> quiet = RenderMono(unit, 44100, 512);
    report.Expect(Peak(quiet) == 0.0f, "a second without notes peaks at %g", Peak(quiet));
    unit.Midi(0x90, 69, 110, 0);
    const std::vector<float> note = RenderMono(unit, 22050, 512);
    report.Expect(AllFinite(note), "the note is not finite");
    report.Expect(Peak(note) > 0.05f && Peak(note) < 4.0f, "the note peaks at %g", Peak(note));
    unit.Midi(0x80, 69, 0, 0);
    const std::vector<float> release = RenderMono(unit, 88200, 512);
    report.Expect(AllFinite(release), "the release is not finite");
    report.Expect(Peak(release, 66150) < 1e-4f, "the last half second after note-off peaks at %g",
                  Peak(release, 66150));
}

void CheckMidi(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    report.ExpectStatus(unit.Prepare(44100.0, 512), noErr, "prepare");
    RenderMono(unit, 512, 512);
    report.ExpectStatus(unit.Midi(0x90, 60, 100, 200), noErr, "note-on at offset 200");
    const std::vector<float> block = RenderMono(unit, 512, 512);
    const int first = FirstNonZero(block);
    report.Expect(first >= 200 && first < 260, "the note at offset 200 starts at sample %d", first);
    unit.Midi(0x80, 60, 0, 0);
    RenderMono(unit, 88200, 512);

    NoteInstanceID id = 0;
    MusicDeviceNoteParams params = {2, 64.7f, 100.9f, {}};
    report.ExpectStatus(
        MusicDeviceStartNote(unit.Get(), kMusicNoteEvent_UseGroupInstrument, 0, &id, 0, &params),
        noErr, "start note");
    report.Expect(id == 64, "note instance %u, expected 64", id);
    const std::vector<float> started = RenderMono(unit, 11025, 512);
    report.Expect(Peak(started) > 0.05f, "the started note peaks at %g", Peak(started));
    report.ExpectStatus(MusicDeviceStopNote(unit.Get(), 0, id, 0), noErr, "stop note");
    const std::vector<float> stopped = RenderMono(unit, 88200, 512);
    report.Expect(Peak(stopped, 66150) < 1e-4f, "the stopped note still sounds (%g)",
                  Peak(stopped, 66150));
    report.ExpectStatus(MusicDeviceStartNote(unit.Get(), 0, 0, &id, 0, nullptr), paramErr,
                        "start note without parameters");
}

void CheckHostCallbacks(CheckContext& context, CheckReport& report) {
    // Renders two seconds of one note with the LFO on the pitch, synced or free.
    auto render = [&](double tempo, bool synced) {
        AUHostUnit unit(context.bundle.GetComponent());
        unit.Prepare(44100.0, 512);
        const int sync = FindParameter(unit, "BPM Sync On/Off");
        const int target = FindParameter(unit, "LFO Target select");
        const int amount = FindParameter(unit, "LFO Amount");
        const int speed = FindParameter(unit, "LFO Speed");
        if (sync < 0 || target < 0 || amount < 0 || speed < 0) return std::vector<float>();
        unit.SetParameter(static_cast<UInt32>(sync), synced ? 1.0f : 0.0f);
        unit.SetParameter(static_cast<UInt32>(target), 0.0f); // Pitch
        unit.SetParameter(static_cast<UInt32>(amount), 1.0f);
        unit.SetParameter(static_cast<UInt32>(speed), 0.5f);
        unit.Transport().tempo = tempo;
        unit.Midi(0xB0, 1, 127, 0); // the LFO's depth follows the mod wheel
        unit.Midi(0x90, 48, 100, 0);
        std::vector<float> out = RenderMono(unit, 88200, 512);
        if (unit.Transport().samplePos != 88200.0) out.clear(); // the transport did not move
        return out;
    };
    const std::vector<float> synced120 = render(120.0, true), synced80 = render(80.0, true);
    const std::vector<float> free120 = render(120.0, false), free80 = render(80.0, false);
    if (!report.Expect(!synced120.empty() && !free80.empty(), "the LFO parameters were not found"))
        return;
    report.Expect(AllFinite(synced120) && AllFinite(synced80), "synced renders are not finite");
    report.Expect(synced120 != synced80, "the synced LFO ignores the host tempo");
    report.Expect(free120 == free80, "the free LFO follows the host tempo");
    report.Expect(synced120 == render(120.0, true), "two renders at the same tempo differ");
}

void CheckBypass(CheckContext& context, CheckReport& report) {
    AUHostUnit unit(context.bundle.GetComponent());
    if (!report.Expect(unit.IsOpen(), "open failed")) return;
    report.ExpectStatus(unit.Prepare(44100.0, 512), noErr, "prepare");
    unit.Midi(0x90, 60, 100, 0);
    report.Expect(Peak(RenderMono(unit, 4096, 512)) > 0.0f, "the note is silent before bypass");
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, UInt32{1}),
        noErr, "bypass on");
    UInt32 bypassed = 0;
    unit.GetProperty(kAudioUnitProperty_BypassEffect, 0, 0, bypassed);
    report.Expect(bypassed == 1, "bypass reads back %u", bypassed);
    unit.Midi(0x90, 64, 100, 0);
    report.Expect(Peak(RenderMono(unit, 4096, 512)) == 0.0f, "bypassed output is not silent");
    report.ExpectStatus(
        unit.SetProperty(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, UInt32{0}),
        noErr, "bypass off");
    unit.Midi(0x90, 67, 100, 0);
    report.Expect(Peak(RenderMono(unit, 4096, 512)) > 0.0f, "no sound after bypass off");
}

} // namespace auhost
