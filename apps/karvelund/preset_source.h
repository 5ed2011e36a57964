#pragma once

#include <string>
#include <vector>

namespace kv::cli {

// One preset of a bank source file: its name and "Parameter Name = value" settings, each with
// the line it came from for error messages.
struct PresetSource {
    struct Setting {
        std::string assignment;
        int line = 0;
    };
    std::string name;
    std::string category; // the section the preset stands in, or empty
    int line = 0;
    std::vector<Setting> settings;
};

// Reads the bank source text:
//   # comment
//   # -----------
//   # Category     (a one-line comment between two rules names the section that follows)
//   # -----------
//   [Preset Name]
//   Parameter Name = value
// Blank lines and comments are ignored. False, with a message naming the line, when a line is
// neither, a setting comes before the first preset, or a name is empty or longer than
// maxNameLength characters.
bool parsePresetSource(const std::string& text, std::vector<PresetSource>& presets,
                       std::string& error, size_t maxNameLength = 255);

} // namespace kv::cli
