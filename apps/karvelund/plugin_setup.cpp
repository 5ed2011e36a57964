#include "plugin_setup.h"

#include "param_assignment.h"
#include "preset_lookup.h"

#include "IPluginOffline.h"
#include "core/IPluginBase.h"

#include <filesystem>

namespace kv::cli {

namespace {

constexpr int kNoteBlock = 64;

// Why a file the framework refused could not be read.
std::string fileProblem(const std::string& path, const char* kind) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return path + ": no such file";
    if (!std::filesystem::is_regular_file(path, ec)) return path + ": not a file";
    return path + ": not a valid Karvelund " + kind + " file (or it holds broken values)";
}

// Only regular files go to the framework's readers: a FIFO without a writer would hold the
// reader up for ever.
bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

bool applySetup(IPluginBase& plug, const PluginSetup& setup, std::string& error) {
    if (!setup.bank.empty() &&
        (!isRegularFile(setup.bank) || !plug.LoadBankFromFXB(setup.bank.c_str()))) {
        error = fileProblem(setup.bank, "bank");
        return false;
    }
    if (setup.program) {
        if (*setup.program >= plug.NPresets() || !plug.RestorePreset(*setup.program)) {
            error = "program " + std::to_string(*setup.program + 1) + " does not exist (1 to " +
                    std::to_string(plug.NPresets()) + ")";
            return false;
        }
    } else if (!setup.presetName.empty()) {
        const int found = findPresetByName(plug, setup.presetName);
        if (found < 0 || !plug.RestorePreset(found)) {
            error = "no preset named \"" + setup.presetName + "\"";
            if (found < 0) {
                error += "; the closest are";
                const char* separator = " ";
                for (const std::string& name : closestPresetNames(plug, setup.presetName)) {
                    error.append(separator).append("\"").append(name).append("\"");
                    separator = ", ";
                }
            }
            return false;
        }
    }
    if (!setup.fxp.empty() &&
        (!isRegularFile(setup.fxp) || !plug.LoadProgramFromFXP(setup.fxp.c_str()))) {
        error = fileProblem(setup.fxp, "program");
        return false;
    }
    if (setup.defaults) applyDefaults(plug);
    for (const std::string& assignment : setup.sets) {
        if (!applyAssignment(plug, assignment, error)) {
            error = "--set " + assignment + ": " + error;
            return false;
        }
    }
    return true;
}

void holdNotes(IPluginOffline& plug, const std::vector<int>& notes) {
    for (int note : notes)
        plug.SendMidiToPlug(IMidiMsg(0, 0x90, static_cast<unsigned char>(note), 100));
    std::vector<double> left(kNoteBlock), right(kNoteBlock);
    double* outputs[2] = {left.data(), right.data()};
    plug.Render(outputs, kNoteBlock);
}

} // namespace kv::cli
