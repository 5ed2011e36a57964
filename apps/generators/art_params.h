#pragma once
// What the artwork needs of the instrument's parameters: display texts and declared defaults.

#include <string>
#include <vector>

namespace art {

struct ParamArt {
    double defaultNormalized;       // the value a control shows when the editor opens
    std::vector<std::string> texts; // display texts in entry order (empty for continuous ones)
};

ParamArt paramArt(int paramIdx);

} // namespace art
