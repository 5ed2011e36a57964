#pragma once

#include <string>

// What karvelund-jack was asked to do.
struct StandaloneOptions {
    bool gui = true;      // --no-gui turns the editor off
    bool connect = false; // --connect: outputs to the first physical playback ports, every
                          // MIDI source to the input
    std::string preset;   // --preset NAME, restored after the saved state
    std::string clientName = "Karvelund"; // --name
    std::string statePath;                // --state FILE (default: the XDG state folder)
    int scale = 0;                        // --scale 1|2 (0: from the desktop)
    bool help = false;
};

// False with a one-line message for bad usage.
bool ParseStandaloneOptions(int argc, char** argv, StandaloneOptions& options, std::string& error);

extern const char* const kJackUsage;
