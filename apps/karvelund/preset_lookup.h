#pragma once
// Finding presets by what a musician types, and the categories the factory bank files them in.

#include <string>
#include <string_view>
#include <vector>

class IPluginBase;

namespace kv::cli {

// The preset named name, ignoring case and surrounding spaces (an exact match first), or -1.
int findPresetByName(IPluginBase& plug, std::string_view name);

// Up to `count` preset names closest to name, closest first.
std::vector<std::string> closestPresetNames(IPluginBase& plug, std::string_view name,
                                            size_t count = 3);

// How presets are numbered for people, as the editor shows them: "01" for index 0.
std::string presetNumber(int index);

// "preset 1 → 2 (name)": a change of preset as the editor numbers them.
std::string presetChangeText(IPluginBase& plug, int from, int to);

// Category of each factory preset, by preset name, as the build writes it beside the bank:
// one "Category<TAB>Preset Name" line per preset in bank order.
struct PresetCategory {
    std::string category;
    std::string preset;
};
inline constexpr const char* kFactoryCategoriesFileName = "KarvelundFactoryCategories.txt";
std::vector<PresetCategory> readPresetCategories(const std::string& path);
std::string formatPresetCategories(const std::vector<PresetCategory>& categories);

// The folder of the running program.
std::string programFolder();

} // namespace kv::cli
