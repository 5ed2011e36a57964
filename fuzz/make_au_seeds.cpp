// Writes the seeds of the ClassInfo target into the folder given: the dictionaries the
// component saves (as a host stores them) with four factory presets current.
#include "AUFuzzUnit.h"
#include "util/UTIL_File.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_au_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "au_classinfo" / "seeds";
    std::filesystem::create_directories(folder);
    kvfuzz::AUFuzzUnit& au = kvfuzz::AUFuzzUnit::Get();
    bool ok = true;
    for (int preset : {0, 21, 42, 63}) {
        const AUPreset present = {preset, nullptr};
        au.Host().SetProperty(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, present);
        const std::vector<uint8_t> saved = au.Save();
        const std::string path = (folder / ("preset" + std::to_string(preset) + ".aupreset"));
        ok = !saved.empty() && UTIL_WriteFileReplacing(path.c_str(), saved.data(), saved.size()) &&
             ok;
    }
    return ok ? 0 : 1;
}
