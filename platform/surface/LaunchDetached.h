#pragma once

#include <string>

// Starts program with one argument, without a shell, in its own session, and returns without
// waiting for it to finish. program is looked up on PATH unless it holds a "/". True when the
// program was started.
bool LaunchDetached(const char* program, const char* argument);

// The executable file program names (a path, or a name looked up on PATH); "" when none.
std::string FindExecutable(const char* program);
