// Entry point of Tavrin-N and Tavrin-N.HV: reads the command line, echoes
// the parameters, reads the sequences and the interactions, runs the seed,
// significance and optimisation stages and writes the SE file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "motif_model.h"

namespace tav {

// Run parameters after the corrections that follow the parse.
struct MotifFinderParameters {
  std::string fasta;
  std::string interactions;
  std::string output;
  int32_t seed = 0;
  int32_t randomMode = 0;
  int32_t queue = 500;
  int32_t seedLength = 6;
  int32_t shuffles = 0;
  int32_t cont = 10;
  int32_t maxLength = 9;
  bool strandMode = true;
};

OptionTable motifFinderOptions(MotifFinderVariant variant);

// The usage screen, one entry per line.
std::vector<std::string> motifFinderUsage(MotifFinderVariant variant);

// Reads parsed option values into parameters and applies the corrections:
// seed length at least 1, maximum length at least the seed length, cont at
// least 1. The randomisation mode is left as given.
MotifFinderParameters motifFinderParameters(const OptionValues& values);

// Runs the program with the given arguments (argv[0] is the program name);
// every message goes to `out`. Returns the exit status.
int runMotifPairFinder(int argc, const char* const* argv, std::ostream& out,
                       MotifFinderVariant variant);

}  // namespace tav
