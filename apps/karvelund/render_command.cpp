// `karvelund render`: plays a MIDI file through the instrument into an audio file.

#include "commands.h"

#include "Karvelund.h"
#include "preset_lookup.h"
#include "render_job.h"
#include "render_options.h"
#include "stdout_redirect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace kv::cli {

namespace {

// Keeps the events of one MIDI channel (1..16); 0 keeps all.
void keepChannel(std::vector<MidiFileEvent>& events, int channel) {
    if (channel == 0) return;
    std::erase_if(events,
                  [channel](const MidiFileEvent& e) { return (e.status & 0x0F) != channel - 1; });
}

// A refusal naming the event that makes the render too long, or empty.
std::string lengthProblem(const std::vector<MidiFileEvent>& events, const RenderOptions& o) {
    const double last = events.empty() ? 0.0 : events.back().seconds;
    const double tail = o.tailSeconds.value_or(0.0);
    if (last + tail <= o.maxLengthSeconds) return {};
    char seconds[64];
    std::snprintf(seconds, sizeof(seconds), " (%.1f s)", last);
    std::string text = o.midiPath;
    text.append(": an event at ")
        .append(clockTime(last))
        .append(seconds)
        .append(" makes the render longer than the limit of ")
        .append(clockTime(o.maxLengthSeconds))
        .append("; --max-length SECONDS raises it");
    return text;
}

RenderTail tailFor(const RenderOptions& o, const std::vector<MidiFileEvent>& events) {
    if (o.tailSeconds) {
        RenderTail tail;
        tail.samples = static_cast<int64_t>(std::llround(*o.tailSeconds * o.rate));
        return tail;
    }
    RenderTail tail = quietTail(o.rate);
    const double last = events.empty() ? 0.0 : events.back().seconds;
    const double room = std::max(0.0, o.maxLengthSeconds - last);
    tail.maxSamples = std::min(tail.maxSamples, static_cast<int64_t>(room * o.rate));
    return tail;
}

std::string presetLine(Karvelund& plug, const RenderOptions& o) {
    const int current = plug.GetCurrentPresetIdx();
    std::string line = "preset " + presetNumber(current) + " " + plug.GetPresetName(current);
    if (!o.setup.fxp.empty()) line += ", program file " + o.setup.fxp;
    if (o.setup.defaults) line += ", all parameters at their defaults";
    if (!o.setup.sets.empty())
        line += " with " + std::to_string(o.setup.sets.size()) +
                (o.setup.sets.size() == 1 ? " setting" : " settings") + " changed";
    const char* bank = o.setup.bank.empty() ? plug.GetLoadedBankPath() : o.setup.bank.c_str();
    line += " (bank ";
    line += bank && *bank ? bank : "none: the factory bank could not be read";
    return line + ")";
}

void printSummary(FILE* to, const RenderOptions& o, const std::string& presetText,
                  const RenderStats& stats) {
    const double seconds = static_cast<double>(stats.frames) / o.rate;
    std::fprintf(to, "%s: %.1f s, %s\n", o.wavPath.c_str(), seconds, presetText.c_str());
    std::fprintf(to, "  peak %.1f dBFS, ", toDecibels(stats.peak));
    if (stats.clippedSamples == 0)
        std::fprintf(to, "no samples clipped\n");
    else
        std::fprintf(to, "%lld samples clipped at the engine's limit of 0 dBFS\n",
                     static_cast<long long>(stats.clippedSamples));
    std::fprintf(to, "  rendered in %.2f s (%.0fx realtime)\n", stats.elapsedSeconds,
                 stats.elapsedSeconds > 0.0 ? seconds / stats.elapsedSeconds : 0.0);
}

} // namespace

int runRender(const std::vector<std::string>& args) {
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(args, options, error)) return usageError("render", error);

    MidiFile midi;
    if (!readMidiFile(options.midiPath, midi, error)) return inputError(error);
    keepChannel(midi.events, options.midiChannel);
    if (const std::string problem = lengthProblem(midi.events, options); !problem.empty())
        return inputError(problem);

    std::unique_ptr<Karvelund> plug;
    {
        // Audio going to standard output keeps it free of the instrument's messages.
        const StdoutRedirect messages(options.wavPath == "-" ? STDERR_FILENO : STDOUT_FILENO);
        plug.reset(MakePlug());
    }
    if (!applySetup(*plug, options.setup, error)) return inputError(error);
    const std::string presetText = presetLine(*plug, options);
    ITimeInfo transport;
    transport.mTempo = options.tempo.value_or(120.0);
    plug->SetTransport(transport);
    // Oversampled, the instrument runs at the multiple of the rate and block size; the
    // renderer decimates its output back to the rate.
    plug->Initialize(options.rate * options.oversample, options.block * options.oversample);

    // Standard output carries the audio, so the report goes to standard error then.
    const bool report = !options.quiet;
    RenderHost host;
    if (!options.tempo) host.tempos = midi.tempos;
    host.programChangesSelectPresets = !options.ignoreProgramChanges;
    host.oversample = options.oversample;
    FILE* reportTo = options.wavPath == "-" ? stderr : stdout;
    host.onPresetChange = [&](int64_t sample, int from, int to) {
        if (!report) return;
        std::fprintf(reportTo, "%s: %s\n",
                     clockTime(static_cast<double>(sample) / options.rate).c_str(),
                     presetChangeText(*plug, from, to).c_str());
    };

    const AudioFileSpec file{options.wavPath, options.container, outputSampleFormat(options),
                             options.channels};
    RenderStats stats;
    if (!renderToFile(*plug, midi.events, options.rate, options.block,
                      tailFor(options, midi.events), host, file, report, stats, error))
        return inputError(error);
    if (report) printSummary(reportTo, options, presetText, stats);
    return kExitOk;
}

} // namespace kv::cli
