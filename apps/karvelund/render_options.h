#pragma once

#include "plugin_setup.h"
#include "wav_writer.h"

#include <optional>
#include <string>
#include <vector>

namespace kv::cli {

// Everything `karvelund render` is told on its command line.
struct RenderOptions {
    double rate = 48000.0;
    int block = 512;
    int oversample = 1;          // 2: the instrument runs at twice the rate, decimated back
    std::optional<double> tempo; // overrides the file's tempo map
    PluginSetup setup;
    std::optional<double> tailSeconds; // none: until the output is quiet
    double maxLengthSeconds = 3600.0;
    std::optional<WavSampleFormat> format; // none: the container's own default
    AudioContainer container = AudioContainer::Wav;
    int channels = 2;
    int midiChannel = 0; // 1..16, or 0 for all
    bool ignoreProgramChanges = false;
    bool quiet = false;
    std::string midiPath;
    std::string wavPath;
};

// Parses the arguments after "render". False with a message on bad usage.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error);

// The sample format written: the one asked for, else float (24-bit for FLAC).
WavSampleFormat outputSampleFormat(const RenderOptions& options);

// Shared by the commands that read numbers from their arguments.
bool parseDouble(const std::string& text, double& value);
bool parseInt(const std::string& text, int& value);

} // namespace kv::cli
