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
    double tempo = 120.0;
    PluginSetup setup;
    double tail = 2.0;
    WavSampleFormat format = WavSampleFormat::Float32;
    int channels = 2;
    bool quiet = false;
    std::string midiPath;
    std::string wavPath;
};

// Parses the arguments after "render". False with a message on bad usage.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error);

} // namespace kv::cli
