#pragma once

#include <string>
#include <vector>

namespace auhost {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Each command takes the arguments after its name and returns the exit status.
int RunValidate(const std::vector<std::string>& args);
int RunRender(const std::vector<std::string>& args);
int RunSaveState(const std::vector<std::string>& args);
int RunLoadState(const std::vector<std::string>& args);

// Print "karvelund-auhost: message" on standard error and return the status.
int UsageError(const std::string& message);
int Failure(const std::string& message);

// Parses a whole number or a decimal number; false for anything else or out of range.
bool ParseInt(const std::string& text, long min, long max, long& value);
bool ParseDouble(const std::string& text, double min, double max, double& value);

} // namespace auhost
