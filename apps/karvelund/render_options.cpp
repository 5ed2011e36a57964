#include "render_options.h"

#include <charconv>
#include <cmath>

namespace kv::cli {

namespace {

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

} // namespace

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
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        auto bad = [&](const char* what) {
            error = arg + " " + value + ": " + what;
            return false;
        };
        if (arg == "--rate") {
            if (!parseDouble(value, o.rate) || o.rate < 1000.0 || o.rate > 768000.0)
                return bad("expected a sample rate from 1000 to 768000 Hz");
        } else if (arg == "--block") {
            if (!parseInt(value, o.block) || o.block < 1 || o.block > 16384)
                return bad("expected a block size from 1 to 16384 samples");
        } else if (arg == "--tempo") {
            if (!parseDouble(value, o.tempo) || o.tempo <= 0.0 || o.tempo > 1000.0)
                return bad("expected a tempo above 0 and up to 1000 BPM");
        } else if (arg == "--bank") {
            o.setup.bank = value;
        } else if (arg == "--program") {
            int n = 0;
            if (!parseInt(value, n) || n < 0) return bad("expected a program number from 0");
            o.setup.program = n;
        } else if (arg == "--preset") {
            o.setup.presetName = value;
        } else if (arg == "--fxp") {
            o.setup.fxp = value;
        } else if (arg == "--set") {
            o.setup.sets.push_back(value);
        } else if (arg == "--tail") {
            if (!parseDouble(value, o.tail) || o.tail < 0.0 || o.tail > 3600.0)
                return bad("expected a tail from 0 to 3600 seconds");
        } else if (arg == "--format") {
            if (!wavSampleFormatFromName(value, o.format))
                return bad("expected float, pcm16 or pcm24");
        } else if (arg == "--channels") {
            if (!parseInt(value, o.channels) || (o.channels != 1 && o.channels != 2))
                return bad("expected 1 or 2");
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
        error = "expected IN.mid and OUT.wav";
        return false;
    }
    o.midiPath = files[0];
    o.wavPath = files[1];
    return true;
}

} // namespace kv::cli
