// Entry point of Simvale: compares the motifs of one type in a node attribute
// file with reference matrices (ACE folder, JASPAR file or both) and writes
// each motif's closest reference above a cutoff.
#pragma once

#include <ostream>

namespace tav {

// Runs Simvale with the given arguments (argv[0] is the program name) and
// writes the whole run report to `out`. Returns the exit status: 0 on success,
// after the no-motif warning and after a malformed motif; 1 after the usage
// screen and after every "ERROR: " line.
int runSimvale(int argc, const char* const* argv, std::ostream& out);

}  // namespace tav
