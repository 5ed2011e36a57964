#pragma once

#include <string>

class IPluginBase;

// The standalone instrument's whole state between runs: every preset (user presets
// included), which one is current and the parameters as they stand. Kept in
// $XDG_STATE_HOME (else ~/.local/state)/Zerlinda Audio/Karvelund/standalone.kvstate.
std::string StandaloneStatePath();

// Writes the state under a temporary name and renames it into place, so an interrupted save
// leaves the previous file whole. False with a message in error.
bool SaveStandaloneState(IPluginBase& plug, const std::string& path, std::string& error);

// Reads and checks the whole file before anything changes, then applies it under the
// instance's lock. A missing file is not an error (false, error empty); a damaged one is
// refused with a message and changes nothing.
bool LoadStandaloneState(IPluginBase& plug, const std::string& path, std::string& error);
