#include "jack_options.h"

#include <cstring>

const char* const kJackUsage =
    "usage: karvelund-jack [--no-gui] [--connect] [--preset NAME] [--name CLIENT]\n"
    "                      [--state FILE] [--scale 1|2]\n"
    "Plays Karvelund as a JACK client with one MIDI input and two audio outputs.\n"
    "The state (parameters, current preset, user presets) is saved on quit and\n"
    "restored on start.\n";

bool ParseStandaloneOptions(int argc, char** argv, StandaloneOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc || !*argv[i + 1]) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--no-gui") {
            options.gui = false;
        } else if (arg == "--connect") {
            options.connect = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--preset") {
            if (!value(options.preset)) return false;
        } else if (arg == "--name") {
            if (!value(options.clientName)) return false;
        } else if (arg == "--state") {
            if (!value(options.statePath)) return false;
        } else if (arg == "--scale") {
            std::string scale;
            if (!value(scale)) return false;
            if (scale != "1" && scale != "2") {
                error = "--scale " + scale + ": expected 1 or 2";
                return false;
            }
            options.scale = scale[0] - '0';
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}
