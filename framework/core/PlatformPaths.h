#pragma once

#include "util/UTIL_String.h"

// File locations, supplied by the platform layer.

// folder/fileName inside the user's data folder; false when there is none.
bool GetUserDataPath(const char* folder, const char* fileName, UTIL_String* path);
// fileName beside the program or library that contains the plug-in; false when unknown.
bool GetInstalledPath(const char* fileName, UTIL_String* path);
