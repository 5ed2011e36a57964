// The tool's usage pages, one per command.

#include "commands.h"

#include <cstdio>

namespace kv::cli {

namespace {

struct CommandUsage {
    const char* name;
    const char* text;
};

const char* const kToolUsage =
    "usage: karvelund COMMAND [options]\n"
    "\n"
    "  render      render a Standard MIDI File to an audio file\n"
    "  audition    render a short phrase with each chosen preset\n"
    "  presets     list the presets by category\n"
    "  params      list the parameters, their ranges, settings and units\n"
    "  dump        show what a program or bank file holds\n"
    "  screenshot  draw the editor after mouse gestures\n"
    "\n"
    "'karvelund help COMMAND' or 'karvelund COMMAND --help' shows a command's options.\n";

const CommandUsage kCommands[] = {
    {"render",
     "usage: karvelund render [options] IN.mid OUT.wav|OUT.flac|OUT.ogg|OUT.aiff|-\n"
     "\n"
     "Plays a Standard MIDI File (format 0 or 1) through Karvelund. The extension of OUT\n"
     "chooses the file type; '-' writes WAV to standard output.\n"
     "\n"
     "  --preset NAME        the factory preset of that name (case and spaces do not matter)\n"
     "  --program N          the preset numbered N (1 to 64, as 'karvelund presets' lists)\n"
     "  --bank FILE.kvb      a bank of presets to choose from instead of the factory bank\n"
     "  --fxp FILE.kvp       a program file loaded over the preset\n"
     "  --defaults           every parameter at its default\n"
     "  --set \"NAME=VALUE\"   one parameter, by a number, a setting or a time/rate (repeatable)\n"
     "  --tempo BPM          the tempo synced LFOs follow (default: the file's tempo map)\n"
     "  --tail auto|SECONDS  after the last event (auto: until quiet, at most 30 s)\n"
     "  --max-length SECONDS refuse longer renders (3600)\n"
     "  --channel N          play only MIDI channel N (1 to 16; default: all)\n"
     "  --ignore-program-changes  keep the chosen preset through the file's program changes\n"
     "  --rate HZ (48000)  --block N (512)  --channels 1|2 (2)\n"
     "  --oversample 1|2     2: run the instrument at twice the rate and filter it back down,\n"
     "                       for less aliasing on high notes (about twice the render time)\n"
     "  --format float|pcm16|pcm24  sample type (float; pcm24 for FLAC; Ogg is Vorbis)\n"
     "  --quiet              print nothing but errors\n"},
    {"audition",
     "usage: karvelund audition [--preset NAME | --program N | --all] [--phrase chord|bass|lead]\n"
     "                          [--bank FILE.kvb] [--rate HZ] [--quiet] OUT_DIR\n"
     "\n"
     "Renders a short built-in phrase (chord by default) with each chosen preset into\n"
     "OUT_DIR, one WAV file per preset named after it: '01 Warm Poly Synth.wav'.\n"
     "Without a choice every preset is rendered.\n"},
    {"presets",
     "usage: karvelund presets [--bank FILE.kvb]\n"
     "\n"
     "Lists the presets by category, numbered as the editor numbers them, and names the bank\n"
     "file that was read.\n"},
    {"params",
     "usage: karvelund params\n"
     "\n"
     "Lists the parameters: range, default, the settings they show and, where they have one,\n"
     "their meaning in seconds or hertz. These are what --set accepts.\n"},
    {"dump",
     "usage: karvelund dump [--raw] FILE.kvp|FILE.kvb\n"
     "\n"
     "Shows the name of a program or bank file, each program's name and its parameters as the\n"
     "editor shows them. --raw shows the file's header fields and the stored numbers.\n"},
    {"screenshot",
     "usage: karvelund screenshot [options] OUT.png\n"
     "\n"
     "Draws the editor after replaying mouse gestures on it, in order, and prints what they\n"
     "changed.\n"
     "\n"
     "  --click X,Y[,right][,double]  --drag X1,Y1,X2,Y2[,fine]  --wheel X,Y,D\n"
     "  --answer ITEM|TEXT|PATH|cancel  answers to the menus, text fields and file dialogs\n"
     "                                  (prefix item:, text: or path: to say which)\n"
     "  --note N                        hold a note so the keyboard shows it\n"
     "  --program N  --defaults  --set \"NAME=VALUE\"   prepare the instrument\n"
     "  --window                        draw through a real X11 window (an Xvfb of its own\n"
     "                                  without $DISPLAY; KARVELUND_SCALE=2 for 2x)\n"},
};

} // namespace

const char* commandUsage(const std::string& command) {
    if (command.empty()) return kToolUsage;
    for (const CommandUsage& c : kCommands)
        if (command == c.name) return c.text;
    return nullptr;
}

int usageError(const std::string& command, const std::string& message) {
    if (command.empty()) {
        std::fprintf(stderr, "karvelund: %s\nTry 'karvelund --help'\n", message.c_str());
    } else {
        std::fprintf(stderr, "karvelund: %s: %s\nTry 'karvelund %s --help'\n", command.c_str(),
                     message.c_str(), command.c_str());
    }
    return kExitUsage;
}

int inputError(const std::string& message) {
    std::fprintf(stderr, "karvelund: %s\n", message.c_str());
    return kExitInputError;
}

} // namespace kv::cli
