#pragma once

#include <string>
#include <vector>

namespace kv::cli {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInputError = 1;
inline constexpr int kExitUsage = 2;

// Each subcommand takes the arguments after its name and returns the exit status.
int runRender(const std::vector<std::string>& args);
int runAudition(const std::vector<std::string>& args);
int runPresets(const std::vector<std::string>& args);
int runParams(const std::vector<std::string>& args);
int runDump(const std::vector<std::string>& args);
int runScreenshot(const std::vector<std::string>& args);

// The usage page of a command, or of the whole tool for an empty name; null for an unknown
// command.
const char* commandUsage(const std::string& command);

// "karvelund: COMMAND: message" and "Try 'karvelund COMMAND --help'" on standard error;
// returns the usage status.
int usageError(const std::string& command, const std::string& message);
// "karvelund: message" on standard error; returns the status.
int inputError(const std::string& message);

} // namespace kv::cli
