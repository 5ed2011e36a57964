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
int runPresets(const std::vector<std::string>& args);
int runParams(const std::vector<std::string>& args);
int runDump(const std::vector<std::string>& args);
int runScreenshot(const std::vector<std::string>& args);

// Print "karvelund: message" on standard error and return the status.
int usageError(const std::string& message);
int inputError(const std::string& message);

} // namespace kv::cli
