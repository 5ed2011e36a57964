#include "param_assignment.h"

#include "param_units.h"

#include "core/IParam.h"
#include "core/IPluginBase.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace kv::cli {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool parseNumber(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

// Joins the pieces of a message (plain appends: g++ 12 warns falsely on chains of +).
std::string join(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces)
        text.append(piece);
    return text;
}

std::string rangeText(double lo, double hi) {
    char text[64];
    std::snprintf(text, sizeof(text), "%g..%g", lo, hi);
    return text;
}

// One of the words the editor's switch shows for the parameter, in any case.
bool parseSwitchLabel(int idx, std::string_view text, double& value) {
    const std::vector<std::string>& labels = editorSwitchLabels(idx);
    for (size_t i = 0; i < labels.size(); ++i) {
        if (equalsIgnoringCase(labels[i], text)) {
            value = static_cast<double>(i);
            return true;
        }
    }
    return false;
}

} // namespace

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

int findParamByName(IPluginBase& plug, std::string_view name) {
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < plug.NParams(); ++i) {
            const std::string_view candidate = plug.GetParam(i)->GetNameForHost();
            if (pass == 0 ? candidate == name : equalsIgnoringCase(candidate, name)) return i;
        }
    }
    return -1;
}

bool parseParamValue(const IParam& param, std::string_view text, double& value,
                     std::string& error) {
    text = trim(text);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < param.GetNDisplayTexts(); ++i) {
            int textValue = 0;
            const std::string_view candidate = param.GetDisplayTextAtIdx(i, &textValue);
            if (pass == 0 ? candidate == text : equalsIgnoringCase(candidate, text)) {
                value = textValue;
                return true;
            }
        }
    }
    double number = 0.0;
    if (!parseNumber(text, number)) {
        error = join(
            {"\"", text, "\" is not a number or a setting of \"", param.GetNameForHost(), "\""});
        return false;
    }
    double lo = 0.0, hi = 0.0;
    param.GetBounds(lo, hi);
    if (number < lo || number > hi) {
        error = join({"value ", text, " is outside ", rangeText(lo, hi), " for \"",
                      param.GetNameForHost(), "\""});
        return false;
    }
    if (param.Type() != kTypeDouble && number != std::floor(number)) {
        error = join({"\"", param.GetNameForHost(), "\" takes whole numbers, not ", text});
        return false;
    }
    value = number;
    return true;
}

bool applyAssignment(IPluginBase& plug, std::string_view assignment, std::string& error) {
    const size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        error = join({"\"", assignment, "\" is not of the form \"Parameter Name=value\""});
        return false;
    }
    const std::string_view name = trim(assignment.substr(0, equals));
    const int idx = findParamByName(plug, name);
    if (idx < 0) {
        error = join({"unknown parameter \"", name, "\""});
        return false;
    }
    IParam* param = plug.GetParam(idx);
    const std::string_view text = trim(assignment.substr(equals + 1));
    bool hasUnit = false;
    const std::optional<double> inUnit = parseValueInUnit(plug, idx, text, hasUnit, error);
    if (hasUnit && !inUnit) return false;
    double value = inUnit.value_or(0.0);
    if (!inUnit && !parseSwitchLabel(idx, text, value) &&
        !parseParamValue(*param, text, value, error))
        return false;
    param->Set(value);
    plug.OnParamChange(idx);
    return true;
}

void applyDefaults(IPluginBase& plug) {
    for (int i = 0; i < plug.NParams(); ++i) {
        IParam* param = plug.GetParam(i);
        param->Set(param->GetDefault());
        plug.OnParamChange(i);
    }
}

} // namespace kv::cli
