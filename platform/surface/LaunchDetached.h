#pragma once

// Starts program with one argument, without a shell, in its own session, and returns without
// waiting for it to finish. program is looked up on PATH unless it holds a "/". True when the
// program was started.
bool LaunchDetached(const char* program, const char* argument);
