#include "preset_source.h"

#include "param_assignment.h"

#include <sstream>

namespace kv::cli {

bool parsePresetSource(const std::string& text, std::vector<PresetSource>& presets,
                       std::string& error, size_t maxNameLength) {
    presets.clear();
    std::istringstream in(text);
    std::string rawLine;
    int lineNumber = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNumber) + ": " + what;
        presets.clear();
        return false;
    };
    while (std::getline(in, rawLine)) {
        ++lineNumber;
        const std::string_view line = trim(rawLine);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a preset name must end with ']'");
            const std::string_view name = trim(line.substr(1, line.size() - 2));
            if (name.empty()) return fail("empty preset name");
            if (name.size() > maxNameLength)
                return fail("preset name \"" + std::string(name) + "\" is longer than " +
                            std::to_string(maxNameLength) + " characters");
            presets.push_back({std::string(name), lineNumber, {}});
            continue;
        }
        if (line.find('=') == std::string_view::npos)
            return fail("expected \"[Preset Name]\" or \"Parameter Name = value\"");
        if (presets.empty()) return fail("setting before the first preset name");
        presets.back().settings.push_back({std::string(line), lineNumber});
    }
    return true;
}

} // namespace kv::cli
