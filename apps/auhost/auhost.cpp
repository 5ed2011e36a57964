// karvelund-auhost: loads an AudioUnit component bundle and drives it as a host does — to
// validate it, to render MIDI files through it, and to save and load its state.

#include "auhost_commands.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const kUsage =
    "usage: karvelund-auhost COMMAND BUNDLE [arguments]\n"
    "\n"
    "  validate BUNDLE [--stress-seconds S (10)] [--only CHECK]\n"
    "      run every conformance check on fresh instances; exit 1 on any failure\n"
    "  render BUNDLE IN.mid OUT.wav [--preset N] [--aupreset FILE] [--block N (512)]\n"
    "      [--rate HZ (48000)] [--tempo BPM (120)] [--tail SECONDS (2)]\n"
    "      play a Standard MIDI File through the component into a 32-bit float stereo WAV file\n"
    "  save-state BUNDLE OUT.aupreset [--preset N] [--aupreset FILE]\n"
    "      write the component's state (its ClassInfo) as an XML property list\n"
    "  load-state BUNDLE IN.aupreset\n"
    "      restore a state into the component and list its parameters\n";

} // namespace

namespace auhost {

int UsageError(const std::string& message) {
    std::fprintf(stderr, "karvelund-auhost: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "karvelund-auhost: %s\n", message.c_str());
    return kExitFailure;
}

bool ParseInt(const std::string& text, long min, long max, long& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && errno == 0 && *end == '\0' && value >= min && value <= max;
}

bool ParseDouble(const std::string& text, double min, double max, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value) && value >= min && value <= max;
}

} // namespace auhost

int main(int argc, char** argv) {
    using namespace auhost;
    if (argc < 2) return UsageError("no command given");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "validate") return RunValidate(args);
    if (command == "render") return RunRender(args);
    if (command == "save-state") return RunSaveState(args);
    if (command == "load-state") return RunLoadState(args);
    return UsageError("unknown command \"" + command + "\"");
}
