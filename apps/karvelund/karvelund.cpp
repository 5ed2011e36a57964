// The `karvelund` command-line tool: renders MIDI files through the instrument and inspects
// its presets, parameters and files.

#include "commands.h"

#include <algorithm>
#include <cstdio>

namespace {

using namespace kv::cli;

using Command = int (*)(const std::vector<std::string>&);

Command findCommand(const std::string& name) {
    if (name == "render") return runRender;
    if (name == "audition") return runAudition;
    if (name == "presets") return runPresets;
    if (name == "params") return runParams;
    if (name == "dump") return runDump;
    if (name == "screenshot") return runScreenshot;
    return nullptr;
}

int printUsage(const std::string& command) {
    const char* usage = commandUsage(command);
    if (!usage) return usageError("", "unknown command \"" + command + "\"");
    std::fputs(usage, stdout);
    return kExitOk;
}

bool asksForHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h"; });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usageError("", "no command given");
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") return printUsage("");
    if (command == "help") {
        if (args.size() > 1) return usageError("help", "expected at most one command");
        return printUsage(args.empty() ? "" : args[0]);
    }
    if (command == "--version") {
        std::printf("karvelund 1.1.3\n");
        return kExitOk;
    }
    const Command run = findCommand(command);
    if (!run) return usageError("", "unknown command \"" + command + "\"");
    if (asksForHelp(args)) return printUsage(command);
    return run(args);
}
