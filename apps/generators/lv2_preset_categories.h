#pragma once

#include <string>
#include <vector>

namespace kv::lv2gen {

// The category of each preset of the bank source, in bank order. A category is the heading
// comment framed by two rule lines ("# ----"); it holds for the presets ("[Name]") below it.
// False, with a message, when a preset comes before the first heading.
bool readPresetCategories(const std::string& text, std::vector<std::string>& categories,
                          std::string& error);

} // namespace kv::lv2gen
