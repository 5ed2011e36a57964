#pragma once

#include <string>
#include <string_view>

class IParam;
class IPluginBase;

namespace kv::cli {

// The index of the parameter named name (exactly, else ignoring case), or -1.
int findParamByName(IPluginBase& plug, std::string_view name);

// A value for param from text: one of its display texts, or a plain number in its own units
// within its range. On failure, error says why.
bool parseParamValue(const IParam& param, std::string_view text, double& value, std::string& error);

// Applies "Parameter Name=value" to the plug-in: sets the parameter and lets the plug-in apply
// it. The value is a display text, a number in the parameter's range, or a time or rate with
// its unit where the parameter has one (see param_units.h). Nothing changes when the text is
// malformed, the name unknown or the value invalid.
bool applyAssignment(IPluginBase& plug, std::string_view assignment, std::string& error);

// Sets every parameter to its declared default and applies it.
void applyDefaults(IPluginBase& plug);

std::string_view trim(std::string_view text);

} // namespace kv::cli
