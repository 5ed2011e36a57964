#include "render_options.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>

namespace kv::cli {

bool parseDouble(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

namespace {

// Whether the two paths name one file (also through links).
bool isSameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool parseOutputPath(RenderOptions& o, std::string& error) {
    if (isSameFile(o.midiPath, o.wavPath)) {
        error = o.wavPath + " is the input file; choose another output";
        return false;
    }
    // Standard output, a FIFO or a device without a known extension gets WAV.
    if (!audioContainerFromPath(o.wavPath, o.container) && !isDirectOutput(o.wavPath)) {
        error = o.wavPath + ": unknown audio file type (name it .wav, .flac, .ogg or .aiff)";
        return false;
    }
    if (o.format && !containerTakesSampleFormat(o.container, *o.format)) {
        error = std::string("--format ") + wavSampleFormatName(*o.format) + ": " +
                audioContainerName(o.container) + " files cannot hold it" +
                (o.container == AudioContainer::Flac ? " (use pcm16 or pcm24)" : "");
        return false;
    }
    return true;
}

} // namespace

WavSampleFormat outputSampleFormat(const RenderOptions& o) {
    if (o.format) return *o.format;
    return o.container == AudioContainer::Flac ? WavSampleFormat::Pcm24 : WavSampleFormat::Float32;
}

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& o,
                        std::string& error) {
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            files.push_back(arg);
            continue;
        }
        if (arg == "--defaults") {
            o.setup.defaults = true;
            continue;
        }
        if (arg == "--quiet") {
            o.quiet = true;
            continue;
        }
        if (arg == "--ignore-program-changes") {
            o.ignoreProgramChanges = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        auto bad = [&](const char* what) {
            error = arg + " " + value + ": " + what;
            return false;
        };
        double number = 0.0;
        if (arg == "--rate") {
            if (!parseDouble(value, o.rate) || o.rate < 1000.0 || o.rate > 768000.0)
                return bad("expected a sample rate from 1000 to 768000 Hz");
        } else if (arg == "--block") {
            if (!parseInt(value, o.block) || o.block < 1 || o.block > 16384)
                return bad("expected a block size from 1 to 16384 samples");
        } else if (arg == "--oversample") {
            if (!parseInt(value, o.oversample) || (o.oversample != 1 && o.oversample != 2))
                return bad("expected 1 (no oversampling) or 2");
        } else if (arg == "--tempo") {
            if (!parseDouble(value, number) || number <= 0.0 || number > 1000.0)
                return bad("expected a tempo above 0 and up to 1000 BPM");
            o.tempo = number;
        } else if (arg == "--bank") {
            o.setup.bank = value;
        } else if (arg == "--program") {
            int n = 0;
            if (!parseInt(value, n) || n < 1) return bad("expected a program number from 1");
            o.setup.program = n - 1;
        } else if (arg == "--preset") {
            o.setup.presetName = value;
        } else if (arg == "--fxp") {
            o.setup.fxp = value;
        } else if (arg == "--set") {
            o.setup.sets.push_back(value);
        } else if (arg == "--tail") {
            if (value == "auto") {
                o.tailSeconds.reset();
            } else {
                if (!parseDouble(value, number) || number < 0.0 || number > 3600.0)
                    return bad("expected auto or a tail from 0 to 3600 seconds");
                o.tailSeconds = number;
            }
        } else if (arg == "--max-length") {
            if (!parseDouble(value, o.maxLengthSeconds) || o.maxLengthSeconds <= 0.0 ||
                o.maxLengthSeconds > 86400.0 * 7)
                return bad("expected a length above 0 and up to 604800 seconds");
        } else if (arg == "--format") {
            WavSampleFormat format;
            if (!wavSampleFormatFromName(value, format))
                return bad("expected float, pcm16 or pcm24");
            o.format = format;
        } else if (arg == "--channels") {
            if (!parseInt(value, o.channels) || (o.channels != 1 && o.channels != 2))
                return bad("expected 1 or 2");
        } else if (arg == "--channel") {
            if (!parseInt(value, o.midiChannel) || o.midiChannel < 1 || o.midiChannel > 16)
                return bad("expected a MIDI channel from 1 to 16");
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (o.setup.program && !o.setup.presetName.empty()) {
        error = "--program and --preset cannot be used together";
        return false;
    }
    if (files.size() != 2) {
        error = files.size() < 2 ? "expected IN.mid and OUT.wav"
                                 : "too many files: expected IN.mid and OUT.wav";
        return false;
    }
    o.midiPath = files[0];
    o.wavPath = files[1];
    return parseOutputPath(o, error);
}

} // namespace kv::cli
