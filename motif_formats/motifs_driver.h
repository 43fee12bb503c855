// Entry point of Tavrin-motifs: converts a collection of motifs (JASPAR,
// pfm, MEME, TRANSFAC, HOMER, ACE, or the suite's own motif strings) into
// JASPAR, ACE, MEME, TRANSFAC or pfm.
#pragma once

#include <ostream>

namespace tav {

// Runs the converter with the given arguments (argv[0] is the program name)
// and writes the run report to `out`. Returns 0 on success, 1 after the
// usage screen and after every "ERROR: " line.
int runMotifConverter(int argc, const char* const* argv, std::ostream& out);

}  // namespace tav
