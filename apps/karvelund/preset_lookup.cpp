#include "preset_lookup.h"

#include "param_assignment.h"

#include "core/IPluginBase.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>

namespace kv::cli {

namespace {

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Lower is closer. A name containing what was typed counts as close as a one-letter slip.
size_t distance(const std::string& typed, const std::string& candidate) {
    if (!typed.empty() && candidate.find(typed) != std::string::npos) return 1;
    return editDistance(typed, candidate);
}

} // namespace

int findPresetByName(IPluginBase& plug, std::string_view name) {
    name = trim(name);
    const std::string wanted = lowered(name);
    int caseless = -1;
    for (int i = 0; i < plug.NPresets(); ++i) {
        const std::string_view candidate = trim(plug.GetPresetName(i));
        if (candidate == name) return i;
        if (caseless < 0 && lowered(candidate) == wanted) caseless = i;
    }
    return caseless;
}

std::vector<std::string> closestPresetNames(IPluginBase& plug, std::string_view name,
                                            size_t count) {
    const std::string typed = lowered(trim(name));
    std::vector<std::pair<size_t, std::string>> ranked;
    for (int i = 0; i < plug.NPresets(); ++i) {
        const std::string candidate = plug.GetPresetName(i);
        ranked.emplace_back(distance(typed, lowered(candidate)), candidate);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (const auto& [score, candidate] : ranked) {
        if (names.size() == count) break;
        if (std::find(names.begin(), names.end(), candidate) == names.end())
            names.push_back(candidate);
    }
    return names;
}

std::string presetNumber(int index) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02d", index + 1);
    return text;
}

std::string presetChangeText(IPluginBase& plug, int from, int to) {
    std::string text = "preset ";
    text.append(std::to_string(from + 1))
        .append(" \u2192 ")
        .append(std::to_string(to + 1))
        .append(" (")
        .append(plug.GetPresetName(to))
        .append(")");
    return text;
}

std::vector<PresetCategory> readPresetCategories(const std::string& path) {
    std::vector<PresetCategory> categories;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        categories.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return categories;
}

std::string formatPresetCategories(const std::vector<PresetCategory>& categories) {
    std::string text;
    for (const PresetCategory& c : categories)
        text.append(c.category).append("\t").append(c.preset).append("\n");
    return text;
}

std::string programFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

} // namespace kv::cli
