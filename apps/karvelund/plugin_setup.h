#pragma once

#include <optional>
#include <string>
#include <vector>

class IPluginBase;
class IPluginOffline;

namespace kv::cli {

// How the tool prepares the instrument before it plays: applied in this order.
struct PluginSetup {
    std::string bank;              // a bank file replacing the presets
    std::optional<int> program;    // 0-based preset to restore
    std::string presetName;        // or the preset of that name (ignoring case and spaces)
    std::string fxp;               // a program file loaded over it
    bool defaults = false;         // every parameter to its declared default
    std::vector<std::string> sets; // "Parameter Name=value"
};

// False with a one-line message naming the file or setting that is wrong.
bool applySetup(IPluginBase& plug, const PluginSetup& setup, std::string& error);

// Plays the notes and renders one block, as a host would have, so that they sound and the
// on-screen keyboard shows them held.
void holdNotes(IPluginOffline& plug, const std::vector<int>& notes);

} // namespace kv::cli
