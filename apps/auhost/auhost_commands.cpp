#include "auhost_commands.h"
#include "AUHostBundle.h"
#include "AUHostUnit.h"
#include "midi_file.h"
#include "render_timing.h"
#include "validate.h"
#include "wav_writer.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace auhost {

namespace {

constexpr size_t kMaxStateFileBytes = size_t{16} << 20;

// Options shared by the commands that prepare an instance.
struct PrepareOptions {
    long preset = -1;
    std::string aupreset;
    double rate = 48000.0;
    long block = 512;
};

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.size() > kMaxStateFileBytes) {
        error = path + ": too large for a state file";
        return false;
    }
    return true;
}

// Writes under a temporary name, then moves the file into place.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    const std::string temporary = path + ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<std::streamsize>(bytes.size()))) {
            std::remove(temporary.c_str());
            error = path + ": cannot write";
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = path + ": cannot write";
        return false;
    }
    return true;
}

// Takes "--name value" options from args into the fields; the rest stay in positional.
bool ParseOptions(const std::vector<std::string>& args, PrepareOptions& options, double* tempo,
                  double* tail, std::vector<std::string>& positional, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        const std::string& v = args[++i];
        bool ok = true;
        if (a == "--preset")
            ok = ParseInt(v, 0, 1 << 20, options.preset);
        else if (a == "--aupreset")
            options.aupreset = v;
        else if (a == "--rate")
            ok = ParseDouble(v, 8000.0, 384000.0, options.rate);
        else if (a == "--block")
            ok = ParseInt(v, 1, 4096, options.block);
        else if (a == "--tempo" && tempo)
            ok = ParseDouble(v, 1.0, 999.0, *tempo);
        else if (a == "--tail" && tail)
            ok = ParseDouble(v, 0.0, 3600.0, *tail);
        else {
            error = "unknown option " + a;
            return false;
        }
        if (!ok) {
            error = "bad value \"" + v + "\" for " + a;
            return false;
        }
    }
    return true;
}

// Sets the unit up as the options say: format, rate and block, then the preset and state.
bool PrepareUnit(AUHostUnit& unit, const PrepareOptions& options, std::string& error) {
    if (!unit.IsOpen()) {
        error = "the component does not open";
        return false;
    }
    if (OSStatus r = unit.Prepare(options.rate, static_cast<UInt32>(options.block)); r != noErr) {
        error = "the component refused its set-up (" + std::to_string(r) + ")";
        return false;
    }
    if (options.preset >= 0) {
        UInt32 size = 0;
        Boolean writable = false;
        CFArrayRef presets = nullptr;
        unit.GetProperty(kAudioUnitProperty_FactoryPresets, 0, 0, presets);
        const long count = presets ? CFArrayGetCount(presets) : 0;
        if (presets) CFRelease(presets);
        (void)size;
        (void)writable;
        if (options.preset >= count) {
            error = "--preset " + std::to_string(options.preset) + ": the component has " +
                    std::to_string(count) + " presets";
            return false;
        }
        const AUPreset preset = {static_cast<SInt32>(options.preset), nullptr};
        unit.SetProperty(kAudioUnitProperty_PresentPreset, 0, 0, preset);
    }
    if (!options.aupreset.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(options.aupreset, bytes, error)) return false;
        std::string problem;
        CFPropertyListRef state = PropertyListFromBytes(bytes, &problem);
        if (!state) {
            error = options.aupreset + ": not a property list (" + problem + ")";
            return false;
        }
        const OSStatus r = unit.SetProperty(kAudioUnitProperty_ClassInfo, 0, 0, state);
        CFRelease(state);
        if (r != noErr) {
            error =
                options.aupreset + ": the component refused this state (" + std::to_string(r) + ")";
            return false;
        }
    }
    return true;
}

bool LoadBundle(const std::string& path, AUHostBundle& bundle, std::string& error) {
    return bundle.Load(path, error);
}

} // namespace

int RunValidate(const std::vector<std::string>& args) {
    ValidateOptions options;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--stress-seconds" && i + 1 < args.size()) {
            if (!ParseDouble(args[++i], 0.1, 3600.0, options.stressSeconds))
                return UsageError("bad value for --stress-seconds");
        } else if (args[i] == "--only" && i + 1 < args.size()) {
            options.only = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            return UsageError("validate: unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1) return UsageError("validate needs one BUNDLE");
    AUHostBundle bundle;
    std::string error;
    if (!LoadBundle(positional[0], bundle, error)) return Failure(error);
    std::printf("validating %s (%s %s %s, %s)\n", bundle.GetName().c_str(),
                TextFromFourCharCode(bundle.GetDescription().componentType).c_str(),
                TextFromFourCharCode(bundle.GetDescription().componentSubType).c_str(),
                TextFromFourCharCode(bundle.GetDescription().componentManufacturer).c_str(),
                bundle.GetIdentifier().c_str());
    return Validate(bundle, options);
}

int RunRender(const std::vector<std::string>& args) {
    PrepareOptions options;
    double tempo = 120.0, tail = 2.0;
    std::vector<std::string> positional;
    std::string error;
    if (!ParseOptions(args, options, &tempo, &tail, positional, error))
        return UsageError("render: " + error);
    if (positional.size() != 3) return UsageError("render needs BUNDLE IN.mid OUT.wav");
    kv::cli::MidiFile midi;
    if (!kv::cli::readMidiFile(positional[1], midi, error)) return Failure(error);
    AUHostBundle bundle;
    if (!LoadBundle(positional[0], bundle, error)) return Failure(error);
    AUHostUnit unit(bundle.GetComponent());
    if (!PrepareUnit(unit, options, error)) return Failure(error);
    unit.Transport().tempo = tempo;

    kv::cli::WavWriter wav;
    if (!wav.open(positional[2], static_cast<int>(std::lround(options.rate)), 2,
                  kv::cli::WavSampleFormat::Float32, error))
        return Failure(error);
    const int block = static_cast<int>(options.block);
    kv::cli::RenderTail fixedTail;
    fixedTail.samples = std::llround(tail * options.rate);
    const int64_t total = kv::cli::renderLength(midi.events, options.rate, fixedTail);
    std::vector<float> left(static_cast<size_t>(block)), right(left.size()),
        frames(2 * left.size());
    size_t next = 0;
    for (int64_t start = 0; start < total; start += block) {
        const int n = static_cast<int>(std::min<int64_t>(block, total - start));
        // The block's MIDI goes in first, each event stamped with its offset in the block.
        for (; next < midi.events.size(); ++next) {
            const kv::cli::MidiFileEvent& e = midi.events[next];
            const int64_t p = kv::cli::eventSample(e.seconds, options.rate);
            if (p >= start + n) break;
            unit.Midi(e.status, e.data1, e.data2, static_cast<int>(p - start));
        }
        if (OSStatus r = unit.Render(static_cast<UInt32>(n), left.data(), right.data()); r != noErr)
            return Failure("render failed (" + std::to_string(r) + ")");
        for (int i = 0; i < n; ++i) {
            frames[2 * static_cast<size_t>(i)] = left[static_cast<size_t>(i)];
            frames[2 * static_cast<size_t>(i) + 1] = right[static_cast<size_t>(i)];
        }
        if (!wav.writeFrames(frames.data(), static_cast<size_t>(n), error)) return Failure(error);
    }
    if (!wav.finish(error)) return Failure(error);
    return kExitOk;
}

int RunSaveState(const std::vector<std::string>& args) {
    PrepareOptions options;
    std::vector<std::string> positional;
    std::string error;
    if (!ParseOptions(args, options, nullptr, nullptr, positional, error))
        return UsageError("save-state: " + error);
    if (positional.size() != 2) return UsageError("save-state needs BUNDLE OUT.aupreset");
    AUHostBundle bundle;
    if (!LoadBundle(positional[0], bundle, error)) return Failure(error);
    AUHostUnit unit(bundle.GetComponent());
    if (!PrepareUnit(unit, options, error)) return Failure(error);
    const std::vector<uint8_t> state = unit.SaveState();
    if (state.empty()) return Failure("the component gave no state");
    if (!WriteFile(positional[1], state, error)) return Failure(error);
    return kExitOk;
}

int RunLoadState(const std::vector<std::string>& args) {
    if (args.size() != 2) return UsageError("load-state needs BUNDLE IN.aupreset");
    AUHostBundle bundle;
    std::string error;
    if (!LoadBundle(args[0], bundle, error)) return Failure(error);
    AUHostUnit unit(bundle.GetComponent());
    PrepareOptions options;
    options.aupreset = args[1];
    if (!PrepareUnit(unit, options, error)) return Failure(error);
    AUPreset preset = {};
    unit.GetProperty(kAudioUnitProperty_PresentPreset, 0, 0, preset);
    std::printf("preset %d \"%s\"\n", preset.presetNumber, TextOf(preset.presetName).c_str());
    if (preset.presetName) CFRelease(preset.presetName);
    for (int i = 0; i < unit.NParams(); ++i) {
        AudioUnitParameterNameInfo name = {static_cast<UInt32>(i), kAudioUnitParameterName_Full,
                                           nullptr};
        unit.GetProperty(kAudioUnitProperty_ParameterIDName, 0, 0, name);
        const float value = unit.GetParameter(static_cast<UInt32>(i));
        AudioUnitParameterStringFromValue text = {static_cast<UInt32>(i), &value, nullptr};
        unit.GetProperty(kAudioUnitProperty_ParameterStringFromValue, 0, 0, text);
        std::printf("%2d %-28s %s\n", i, TextOf(name.outName).c_str(),
                    TextOf(text.outString).c_str());
        if (name.outName) CFRelease(name.outName);
        if (text.outString) CFRelease(text.outString);
    }
    return kExitOk;
}

} // namespace auhost
