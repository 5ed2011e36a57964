#pragma once
// Checks that the artwork fits the editor's layout: every control, its value marks and its
// label inside one panel, nothing overlapping anything else.

#include <string>
#include <vector>

namespace art {

// One line per problem; empty when the layout is sound.
std::vector<std::string> layoutProblems();

} // namespace art
