#pragma once
// What some of Karvelund's parameters mean in physical units, derived from the engine's own
// formulas: the envelope's stage times, the glide time and the LFO's free-running rate.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IPluginBase;

namespace kv::cli {

// A value for parameter idx from a number with a unit ("250ms", "1.5 s", "4 Hz"); nothing when
// the text carries no unit. With a unit that does not fit the parameter or a value out of its
// reach, the result is empty and error says why. The LFO rate depends on the waveform the
// plug-in has selected and is refused while the LFO follows the tempo.
std::optional<double> parseValueInUnit(IPluginBase& plug, int idx, std::string_view text,
                                       bool& hasUnit, std::string& error);

// The words the editor's switches show for parameters that have no display texts of their own
// ("LP", "HP", "BP" for the filter type), value 0 first; empty for other parameters.
const std::vector<std::string>& editorSwitchLabels(int idx);

// The physical meaning of parameter idx for listings ("stage time 30·v^4 s: 6.2 ms to 30 s"),
// or empty.
std::string describeParamMeaning(int idx);

// The same meaning for one value of parameter idx ("1.9 s"), or empty.
std::string physicalValueText(IPluginBase& plug, int idx, double value);

} // namespace kv::cli
