// Turns the factory bank source (names and parameter settings in text) into the bank file the
// instrument loads, written with the framework's own bank writer.
//
//   make_factory_bank SOURCE.txt OUT.kvb [OUT_CATEGORIES.txt]
//
// The categories file names the section of the source each preset stands in, for the tool's
// preset list.

#include "Karvelund.h"
#include "param_assignment.h"
#include "preset_lookup.h"
#include "preset_source.h"
#include "stdout_redirect.h"
#include "unique_fd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

constexpr size_t kMaxPresetName = 27; // what the editor's preset menu shows in full

int fail(const std::string& message) {
    std::fprintf(stderr, "make_factory_bank: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_factory_bank SOURCE.txt OUT.kvb [OUT_CATEGORIES.txt]\n");
        return 2;
    }
    const std::string sourcePath = argv[1];
    std::ifstream in(sourcePath);
    if (!in) return fail("cannot read " + sourcePath);
    std::stringstream text;
    text << in.rdbuf();

    std::vector<kv::cli::PresetSource> presets;
    std::string error;
    if (!kv::cli::parsePresetSource(text.str(), presets, error, kMaxPresetName))
        return fail(sourcePath + ": " + error);

    std::unique_ptr<Karvelund> plug;
    {
        // While we build the installed bank, its absence is no news.
        const kv::cli::UniqueFd devNull(open("/dev/null", O_WRONLY | O_CLOEXEC));
        const kv::cli::StdoutRedirect quiet(devNull.get());
        plug.reset(MakePlug());
    }
    if (static_cast<int>(presets.size()) != plug->NPresets())
        return fail(sourcePath + ": " + std::to_string(presets.size()) +
                    " presets, the bank holds " + std::to_string(plug->NPresets()));

    for (int i = 0; i < plug->NPresets(); ++i) {
        const kv::cli::PresetSource& preset = presets[static_cast<size_t>(i)];
        plug->RestorePreset(i);
        kv::cli::applyDefaults(*plug);
        for (const auto& setting : preset.settings) {
            if (!kv::cli::applyAssignment(*plug, setting.assignment, error))
                return fail(sourcePath + ": line " + std::to_string(setting.line) + ": " + error);
        }
        plug->ModifyCurrentPreset(preset.name.c_str());
    }
    plug->RestorePreset(0);
    if (!plug->SaveBankToFXB(argv[2])) return fail(std::string("cannot write ") + argv[2]);
    if (argc == 4) {
        std::vector<kv::cli::PresetCategory> categories;
        for (const kv::cli::PresetSource& preset : presets)
            categories.push_back({preset.category, preset.name});
        std::ofstream out(argv[3], std::ios::trunc);
        out << kv::cli::formatPresetCategories(categories);
        if (!out.flush()) return fail(std::string("cannot write ") + argv[3]);
    }
    return 0;
}
