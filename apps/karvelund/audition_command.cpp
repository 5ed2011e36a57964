// `karvelund audition`: a short built-in phrase rendered with each chosen preset, one file per
// preset, so the bank can be heard without writing MIDI.

#include "commands.h"

#include "Karvelund.h"
#include "preset_lookup.h"
#include "render_job.h"
#include "render_options.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace kv::cli {

namespace {

constexpr double kAuditionRate = 48000.0;
constexpr int kAuditionBlock = 512;

struct AuditionOptions {
    PluginSetup setup;
    bool all = false;
    std::string phrase = "chord";
    double rate = kAuditionRate;
    bool quiet = false;
    std::string folder;
};

struct Note {
    double start, length;
    uint8_t key, velocity;
};

// The phrases at 120 BPM: a held chord, a bass line and a lead line with a leap.
std::vector<Note> phraseNotes(const std::string& name) {
    if (name == "bass")
        return {{0.0, 0.4, 36, 110}, {0.5, 0.2, 36, 90},  {0.75, 0.2, 48, 100},
                {1.0, 0.4, 43, 110}, {1.5, 0.4, 39, 100}, {2.0, 0.9, 36, 120}};
    if (name == "lead")
        return {{0.0, 0.45, 72, 100}, {0.5, 0.45, 74, 90},  {1.0, 0.45, 76, 100},
                {1.5, 0.25, 79, 110}, {1.75, 0.25, 77, 90}, {2.0, 1.0, 84, 120}};
    return {{0.0, 2.0, 60, 100}, {0.0, 2.0, 64, 90}, {0.0, 2.0, 67, 90}, {0.0, 2.0, 72, 80}};
}

std::vector<MidiFileEvent> phraseEvents(const std::vector<Note>& notes) {
    std::vector<MidiFileEvent> events;
    for (const Note& n : notes) {
        events.push_back({n.start, 0x90, n.key, n.velocity});
        events.push_back({n.start + n.length, 0x80, n.key, 0});
    }
    std::stable_sort(
        events.begin(), events.end(),
        [](const MidiFileEvent& a, const MidiFileEvent& b) { return a.seconds < b.seconds; });
    return events;
}

// "01 Trance Gate 1-16.wav": the number keeps the bank order; a slash cannot stand in a name.
std::string fileNameFor(int index, const std::string& preset) {
    std::string name = presetNumber(index) + " " + preset;
    for (char& c : name)
        if (c == '/' || c == '\0') c = '-';
    return name + ".wav";
}

bool parseAuditionOptions(const std::vector<std::string>& args, AuditionOptions& o,
                          std::string& error) {
    std::vector<std::string> folders;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--all") {
            o.all = true;
            continue;
        }
        if (arg == "--quiet") {
            o.quiet = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            folders.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--preset") {
            o.setup.presetName = value;
        } else if (arg == "--program") {
            int n = 0;
            if (!parseInt(value, n) || n < 1) {
                error = "--program " + value + ": expected a program number from 1";
                return false;
            }
            o.setup.program = n - 1;
        } else if (arg == "--phrase") {
            if (value != "chord" && value != "bass" && value != "lead") {
                error = "--phrase " + value + ": expected chord, bass or lead";
                return false;
            }
            o.phrase = value;
        } else if (arg == "--bank") {
            o.setup.bank = value;
        } else if (arg == "--rate") {
            if (!parseDouble(value, o.rate) || o.rate < 1000.0 || o.rate > 768000.0) {
                error = "--rate " + value + ": expected a sample rate from 1000 to 768000 Hz";
                return false;
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    const int choices = (o.setup.program ? 1 : 0) + (o.setup.presetName.empty() ? 0 : 1) + o.all;
    if (choices > 1) {
        error = "choose one of --preset, --program and --all";
        return false;
    }
    if (folders.size() != 1) {
        error = "expected OUT_DIR";
        return false;
    }
    o.folder = folders[0];
    return true;
}

} // namespace

int runAudition(const std::vector<std::string>& args) {
    AuditionOptions options;
    std::string error;
    if (!parseAuditionOptions(args, options, error)) return usageError("audition", error);

    std::unique_ptr<Karvelund> plug(MakePlug());
    if (!applySetup(*plug, options.setup, error)) return inputError(error);
    std::vector<int> chosen;
    if (options.setup.program || !options.setup.presetName.empty()) {
        chosen.push_back(plug->GetCurrentPresetIdx());
    } else {
        for (int i = 0; i < plug->NPresets(); ++i)
            chosen.push_back(i);
    }
    std::error_code ec;
    std::filesystem::create_directories(options.folder, ec);
    if (!std::filesystem::is_directory(options.folder, ec))
        return inputError(options.folder + ": not a folder and cannot be made one");

    const std::vector<MidiFileEvent> events = phraseEvents(phraseNotes(options.phrase));
    for (int index : chosen) {
        std::unique_ptr<Karvelund> player(MakePlug());
        if (!options.setup.bank.empty() && !player->LoadBankFromFXB(options.setup.bank.c_str()))
            return inputError(options.setup.bank + ": cannot be read");
        if (!player->RestorePreset(index))
            return inputError("preset " + presetNumber(index) + " would not load");
        player->Initialize(options.rate, kAuditionBlock);
        const std::string name = player->GetPresetName(index);
        const AudioFileSpec file{
            (std::filesystem::path(options.folder) / fileNameFor(index, name)).string()};
        RenderStats stats;
        if (!renderToFile(*player, events, options.rate, kAuditionBlock, quietTail(options.rate),
                          {}, file, false, stats, error))
            return inputError(error);
        if (!options.quiet)
            std::printf("%s: %.1f s, peak %.1f dBFS\n", file.path.c_str(),
                        static_cast<double>(stats.frames) / options.rate, toDecibels(stats.peak));
    }
    return kExitOk;
}

} // namespace kv::cli
