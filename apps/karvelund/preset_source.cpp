#include "preset_source.h"

#include "param_assignment.h"

#include <sstream>

namespace kv::cli {

namespace {

// Recognises section headings: a comment framed by two rules of dashes.
class SectionHeadings {
public:
    // Reads a comment line (without its '#'); returns true when it completes a heading.
    bool readComment(std::string_view text) {
        const bool rule = text.size() >= 3 && text.find_first_not_of('-') == std::string_view::npos;
        if (rule && mState == kAfterTitle) {
            mState = kNone;
            mCategory = mTitle;
            return true;
        }
        if (rule) {
            mState = kAfterRule;
        } else if (mState == kAfterRule) {
            mTitle = std::string(text);
            mState = kAfterTitle;
        } else {
            mState = kNone;
        }
        return false;
    }
    void readOther() { mState = kNone; }
    const std::string& category() const { return mCategory; }

private:
    enum { kNone, kAfterRule, kAfterTitle } mState = kNone;
    std::string mTitle;
    std::string mCategory;
};

} // namespace

bool parsePresetSource(const std::string& text, std::vector<PresetSource>& presets,
                       std::string& error, size_t maxNameLength) {
    presets.clear();
    std::istringstream in(text);
    std::string rawLine;
    int lineNumber = 0;
    SectionHeadings headings;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNumber) + ": " + what;
        presets.clear();
        return false;
    };
    while (std::getline(in, rawLine)) {
        ++lineNumber;
        const std::string_view line = trim(rawLine);
        if (line.empty()) continue;
        if (line.front() == '#') {
            headings.readComment(trim(line.substr(1)));
            continue;
        }
        headings.readOther();
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a preset name must end with ']'");
            const std::string_view name = trim(line.substr(1, line.size() - 2));
            if (name.empty()) return fail("empty preset name");
            if (name.size() > maxNameLength)
                return fail("preset name \"" + std::string(name) + "\" is longer than " +
                            std::to_string(maxNameLength) + " characters");
            presets.push_back({std::string(name), headings.category(), lineNumber, {}});
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
