// Entry point of the two conservation scorers (nucleotide and protein motifs):
// parameters, run report, the four inputs in a fixed order, scoring and the
// conservation attribute file.
#pragma once

#include <ostream>

#include "conservation_alphabet.h"

namespace tav {

// Runs one scorer with the given arguments (argv[0] is the program name) and
// writes the whole run report to `out`. Returns the exit status: 0 on success,
// after the no-motif warning and after a malformed motif; 1 after the usage
// screen and after every "ERROR: " line.
int runConservation(int argc, const char* const* argv, std::ostream& out,
                    ConservationAlphabet alphabet);

}  // namespace tav
