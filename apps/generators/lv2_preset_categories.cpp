#include "lv2_preset_categories.h"

#include <sstream>

namespace kv::lv2gen {
namespace {

bool IsRule(const std::string& line) {
    return line.rfind("# ----", 0) == 0;
}

std::string Trimmed(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    const size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

} // namespace

bool readPresetCategories(const std::string& text, std::vector<std::string>& categories,
                          std::string& error) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::string current;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trimmed(lines[i]);
        if (IsRule(line) && i + 2 < lines.size() && IsRule(Trimmed(lines[i + 2]))) {
            std::string heading = Trimmed(lines[i + 1]);
            if (heading.rfind('#', 0) == 0) heading = Trimmed(heading.substr(1));
            // "Tempo-synced and rhythmic (the LFO ...)": the words before the remark.
            const size_t remark = heading.find(" (");
            if (remark != std::string::npos) heading.resize(remark);
            current = heading;
            i += 2;
        } else if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            if (current.empty()) {
                error = "line " + std::to_string(i + 1) + ": preset before the first category";
                return false;
            }
            categories.push_back(current);
        }
    }
    return true;
}

} // namespace kv::lv2gen
