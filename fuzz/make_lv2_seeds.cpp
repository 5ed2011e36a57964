// Writes the seeds of the LV2 state target into the folder given: the states the instance
// saves with four factory presets current, restored before activation and while running, and
// the pieces a host may store alone (the preset, the preset names).
#include "LV2FuzzUnit.h"
#include "util/UTIL_File.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    return UTIL_WriteFileReplacing(path.c_str(), bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_lv2_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "lv2_state" / "seeds";
    std::filesystem::create_directories(folder);
    kvfuzz::LV2FuzzUnit& unit = kvfuzz::LV2FuzzUnit::Get();
    bool ok = true;
    for (int preset : {0, 21, 42, 63}) {
        unit.Plug().RestorePreset(preset);
        kvfuzz::LV2StoredState state;
        ok = unit.Save(&state) && ok;
        const std::string name = "preset" + std::to_string(preset);
        ok = Write(folder / (name + ".state"), state.Encode()) && ok;
        state.whileRunning = true;
        ok = Write(folder / (name + "-running.state"), state.Encode()) && ok;
        // Each piece alone.
        for (const kvfuzz::LV2StoredValue& value : state.values) {
            if (preset != 21) break;
            const kvfuzz::LV2StoredState piece = {true, {value}};
            ok = Write(folder / (name + "-key" + std::to_string(value.key) + ".state"),
                       piece.Encode()) &&
                 ok;
        }
    }
    return ok ? 0 : 1;
}
