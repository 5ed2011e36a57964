// The `karvelund` command-line tool: renders MIDI files through the instrument and inspects
// its presets, parameters and files.

#include "commands.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage =
    "usage: karvelund COMMAND [options]\n"
    "\n"
    "  render [options] IN.mid OUT.wav   render a Standard MIDI File to a WAV file\n"
    "      --rate HZ (48000)  --block N (512)  --tempo BPM (120)\n"
    "      --bank FILE.kvb  --program N | --preset NAME  --fxp FILE.kvp\n"
    "      --defaults  --set \"Param Name=value\"  (repeatable)\n"
    "      --tail SECONDS (2)  --format float|pcm16|pcm24  --channels 1|2  --quiet\n"
    "  presets [--bank FILE.kvb]          list the presets\n"
    "  params                             list the parameters\n"
    "  dump FILE.kvp|FILE.kvb             show a program or bank file\n"
    "  screenshot [options] OUT.png       draw the editor after mouse gestures\n"
    "      --program N  --defaults  --set \"Param Name=value\"\n"
    "      --click X,Y[,right][,double]  --drag X1,Y1,X2,Y2[,fine]  --wheel X,Y,D\n"
    "      --answer ITEM|TEXT|PATH|cancel (or item:, text:, path: to say which)\n"
    "      --note N   (all repeatable, in order)\n";

} // namespace

namespace kv::cli {

int usageError(const std::string& message) {
    std::fprintf(stderr, "karvelund: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

int inputError(const std::string& message) {
    std::fprintf(stderr, "karvelund: %s\n", message.c_str());
    return kExitInputError;
}

} // namespace kv::cli

int main(int argc, char** argv) {
    using namespace kv::cli;
    if (argc < 2) return usageError("no command given");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::printf("karvelund 1.1.3\n");
        return kExitOk;
    }
    if (command == "render") return runRender(args);
    if (command == "presets") return runPresets(args);
    if (command == "params") return runParams(args);
    if (command == "dump") return runDump(args);
    if (command == "screenshot") return runScreenshot(args);
    return usageError("unknown command \"" + command + "\"");
}
