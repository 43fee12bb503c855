// Tavrin, the sequence-element pair finder: reads genes, interactions and
// gene-element associations, finds the element pairs whose presence across
// interactions is significantly and robustly associated, and writes them as
// a small network.
#pragma once

#include <ostream>

namespace tav {

// Runs the whole program on the given arguments (argv[0] is the program
// name), writing the console report to `out`. Returns the exit status: 0
// when at least one pair was written, 1 otherwise.
int runPairFinder(int argc, const char* const* argv, std::ostream& out);

}  // namespace tav
