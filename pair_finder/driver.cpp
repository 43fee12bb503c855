#include <algorithm>
#include <array>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "command_line.h"
#include "console.h"
#include "fasta.h"
#include "interactions.h"
#include "jackknife.h"
#include "network_output.h"
#include "output_files.h"
#include "pair_finder.h"
#include "pair_list.h"
#include "permutation.h"
#include "random.h"
#include "redundant_motifs.h"
#include "se_file.h"

namespace tav {

namespace {

enum Option {
  kFasta,
  kSe,
  kInt,
  kSrand,
  kRandom,
  kQueue,
  kShuffle,
  kJfrac,
  kJnum,
  kOut,
  kDomethod
};

// The output base name leaves room for the longest suffix (".1.noa").
constexpr int kMaxOutBase = 253;
constexpr int kMaxTrials = 99;
constexpr int kMaxAutomaticShuffles = 100000;

OptionTable optionTable() {
  OptionTable table;
  table.entries = {textOption("-fasta ", true, kMaxFileName),
                   textOption("-se ", true, kMaxFileName),
                   textOption("-int ", true, kMaxFileName),
                   integerOption("-srand ", 0),
                   integerOption("-random ", 0),
                   integerOption("-queue ", 500),
                   integerOption("-shuffle ", 0),
                   integerOption("-jfrac ", 3),
                   integerOption("-jnum ", 10),
                   textOption("-out ", true, kMaxOutBase),
                   textOption("-domethod ", false, kMaxWord)};
  return table;
}

const std::vector<std::string>& usageLines() {
  static const std::vector<std::string> lines = {
      "",
      "Command line parameters are not provided properly. Please see below.",
      "NOTE: Command line paramters cannot contain white spaces.",
      "",
      "---",
      "     Tavrin finds significant sequence element pairs and evaluates them using",
      "     different statistical analysis.",
      "---",
      "",
      "Usage: Tavrin.exe -fasta [string] -se [string] -domethod [string]",
      "                  -int [string] -srand [integer] -random [integer]",
      "                  -queue [integer] -shuffle [integer] -jfrac [integer]",
      "                  -jnum [integer] -out [string]",
      "",
      "-fasta: The FASTA input file containing the gene names. Only the names will",
      "  be read and the rest of the information will be ignored.",
      "  NOTE: Maximum number of genes: 30000",
      "        Maximum line length in the file: 999",
      "",
      "-se: The SE file containing protein-sequence element associations.",
      "  NOTE: Maximum number of sequence elements: 30000",
      "",
      "-domethod: The method of defining sequence elements. If this paramter is used,",
      "  only the elements that are defined using this method will be considered in",
      "  the analysis and the rest of the sequence elements will be ignored.",
      "",
      "-int: The tab-delimited file containing interactions/associations. Each",
      "  line should contain the name of the two interacting genes.",
      "  NOTE: Maximum number of interactions: 30000",
      "",
      "-srand: The number to be used with 'srand' function.",
      "  0:  srand will not be used (DEFAULT)",
      "  <0: the current time will be used for srand",
      "",
      "-random: The status of randomizing the input data.",
      "  0: no randomization (DEFAULT)",
      "  1: interactions will be randomized",
      "  2: protein-sequence element associations will be randomized",
      "",
      "-queue: The maximum number of sequence element pairs in the output.",
      "  DEFAULT: 500",
      "  NOTE: This number cannot be larger than 30000",
      "",
      "-shuffle: The number of random networks that will be generated to assess the",
      "  significance of domain-motif pairs.",
      "  <2: The number will be assigned automatically based on the number of sequence",
      "      element pairs that will be tested (DEFAULT).",
      "",
      "-jfrac: The fraction of interactions that will be removed in each jack-knife",
      "  trial. For example, 3 means that 1/3 of the interactions will be removed.",
      "  DEFAULT: 3",
      "",
      "-jnum: The number of jack-knife trials.",
      "  DEFAULT: 10",
      "",
      "-out: The generic name of output files. Five files will be created:",
      "  *.sif, *.1.noa, *.1.eda, *.2.eda, *.3.eda",
      "",
  };
  return lines;
}

void printTavrinBanner(std::ostream& out) {
  printBanner(out, "*************************** Tavrin version 1.0 ***************************",
              {"Free for academic and non-profit use; any other use needs the authors' permission.",
               "Please cite the publication of the method in work that uses its results.",
               "This program comes without any warranty."});
}

// The values a run uses, after the echo and its corrections.
struct RunSettings {
  std::string fasta;
  std::string se;
  std::string interactions;
  std::string outBase;
  std::string method;
  int randomMode = 0;
  int queue = 500;
  int shuffle = 0;
  int jackknifeFraction = 3;
  int jackknifeTrials = 10;
};

// Values outside these ranges would overrun the per-pair statistics, divide
// by zero or read an empty pair list.
bool validate(const RunSettings& s, std::ostream& out) {
  if (s.queue < 1) {
    line(out, "ERROR: -queue must be at least 1. Program aborted.");
    return false;
  }
  if (s.jackknifeFraction < 1) {
    line(out, "ERROR: -jfrac must be at least 1. Program aborted.");
    return false;
  }
  if (s.jackknifeTrials < 0 || s.jackknifeTrials > kMaxTrials) {
    line(out, "ERROR: -jnum must be between 0 and ", kMaxTrials, ". Program aborted.");
    return false;
  }
  return true;
}

bool openInput(std::ifstream& in, const std::string& name, std::ostream& out) {
  in.open(name);
  if (in.is_open()) return true;
  line(out, "ERROR: ", name, " was not found. Program aborted");
  return false;
}

}  // namespace

int runPairFinder(int argc, const char* const* argv, std::ostream& out) {
  // 1. Command line.
  const std::string commandLine = joinArguments(argc, argv);
  printTavrinBanner(out);
  line(out);
  line(out, "Received command line: ", commandLine);
  OptionValues values;
  if (!parseCommandLine(optionTable(), commandLine, values)) {
    printLines(out, usageLines());
    return 1;
  }
  RunSettings run;
  run.fasta = values.text[kFasta];
  run.se = values.text[kSe];
  run.interactions = values.text[kInt];
  run.outBase = values.text[kOut];
  run.method = values.text[kDomethod];
  run.queue = values.integer[kQueue];
  run.shuffle = values.integer[kShuffle];
  run.jackknifeFraction = values.integer[kJfrac];
  run.jackknifeTrials = values.integer[kJnum];

  // 2-5. Echo, seed, randomisation mode, limits.
  line(out);
  line(out, "Inferred paramters:");
  line(out, "FASTA input file: ", run.fasta);
  line(out, "Sequence Element input file: ", run.se, " (", run.method, ")");
  line(out, "TAB interaction input file: ", run.interactions);
  line(out, "Output file: ", run.outBase);
  const int32_t srandValue = values.integer[kSrand];
  if (srandValue == 0) {
    line(out, "srand: will not be used.");
    // The generator's initial state: a second run in the same process
    // starts exactly like the first.
    seedRandom(1);
  } else {
    const long long seed = srandValue > 0 ? static_cast<long long>(srandValue)
                                          : static_cast<long long>(std::time(nullptr));
    line(out, "srand: ", seed);
    seedRandom(static_cast<uint32_t>(seed));
  }
  run.randomMode = values.integer[kRandom];
  if (run.randomMode == 1) {
    line(out, "The interactions will be randomized.");
  } else if (run.randomMode == 2) {
    line(out, "The sequence elements will be randomized.");
  } else if (run.randomMode != 0) {
    line(out, "Unknown randomization request. Request will be ignored.");
    run.randomMode = 0;
  }
  line(out, "Maximum number of output sequence element pairs: ", run.queue);
  if (run.shuffle >= 2) {
    line(out, "Number of shufflings for assessing significance: ", run.shuffle);
  } else {
    line(out, "Number of shufflings for assessing significance: automatic");
  }
  line(out, "The fraction of sequences to be removed in each jack-knife trial: 1/",
       run.jackknifeFraction);
  line(out, "The number of jack-knife trials: ", run.jackknifeTrials);
  line(out);
  if (!validate(run, out)) return 1;

  // 6. Output files, never on top of an input.
  const std::array<const char*, 5> suffixes = {".sif", ".1.noa", ".1.eda", ".2.eda", ".3.eda"};
  std::vector<NamedPath> outputs;
  for (const char* suffix : suffixes) outputs.push_back({"-out", run.outBase + suffix});
  const std::vector<NamedPath> inputs = {
      {"-fasta", run.fasta}, {"-se", run.se}, {"-int", run.interactions}};
  if (!checkOutputsAgainstInputs(outputs, inputs, out)) return 1;
  std::array<std::ofstream, 5> files;
  for (size_t i = 0; i < files.size(); ++i) {
    files[i].open(outputs[i].path, std::ios::out | std::ios::trunc);
    if (!files[i].is_open()) {
      line(out, "ERROR: ", outputs[i].path, " cannot be opened. Program aborted");
      return 1;
    }
  }

  // 7. Genes.
  std::vector<GeneRecord> genes;
  int geneCount = 0;
  {
    std::ifstream in;
    if (!openInput(in, run.fasta, out)) return 1;
    line(out, "Reading the FASTA input file...");
    geneCount = readFasta(in, genes, true, out);
  }
  if (geneCount == 0) {
    line(out, "ERROR: ", run.fasta,
         " does not seem to be a FASTA file or contain protein sequences.", " Program aborted.");
    return 1;
  }
  line(out, geneCount, " sequences were read successfully.");

  // 8-10. Interactions, loners, interactions again on the shortened table.
  {
    std::ifstream in;
    if (!openInput(in, run.interactions, out)) return 1;
    line(out);
    line(out, "Reading interaction input file...");
    const int accepted = readInteractions(in, genes, geneCount, "protein", out);
    line(out, accepted, " interactions were read at the first attempt.");
  }
  line(out, "Removing loners...");
  geneCount = removeLoners(genes, geneCount);
  int interactionCount = 0;
  {
    std::ifstream in;
    if (!openInput(in, run.interactions, out)) return 1;
    interactionCount = readInteractions(in, genes, geneCount, "protein", out);
  }
  line(out, interactionCount, " interactions were read at the second attempt.");
  if (interactionCount == 0) {
    line(out, "ERROR: ", run.interactions,
         " does not seem to be a TAB interaction file or contain interactions.",
         " Program aborted.");
    return 1;
  }

  // 11. Sequence elements.
  std::vector<std::string> seTable;
  int elementCount = 0;
  {
    std::ifstream in;
    if (!openInput(in, run.se, out)) return 1;
    line(out);
    line(out, "Reading Sequence Element input file...");
    elementCount = readSeFile(in, genes, geneCount, seTable, run.method);
  }
  if (elementCount < 0) {
    line(out, seReadErrorMessage(elementCount, run.se));
    return 1;
  }
  if (elementCount == 0) {
    line(out, "ERROR: ", run.se,
         " does not seem to be properly formatted or contain Sequence Element information.",
         " Program aborted.");
    return 1;
  }
  line(out, elementCount, " Sequence Elements had assigned seqeunces and were read.");

  // 12-13. Element randomisation, redundant motifs.
  if (run.randomMode == 2) shuffleElementAssociations(genes, geneCount);
  line(out, "Removing redundant nucleotide motifs...");
  elementCount = removeRedundantMotifs(seTable, elementCount, genes, geneCount, out);
  line(out, elementCount,
       " Sequence Elements remained after removing redundant nucleotide motifs.");

  // 14-15. Training set, interaction randomisation.
  std::vector<InteractionPair> training;
  const int trainingCount = buildTrainingSet(genes, geneCount, training, out);
  if (trainingCount == 0) {
    line(out, "ERROR: The training set does not contain any interactions.", " Program aborted.");
    return 1;
  }
  line(out, trainingCount, " interactions are in the training set.");
  if (run.randomMode == 1) {
    shuffleInteractions(training, trainingCount);
    rebuildInteractionRows(genes, geneCount, training, trainingCount);
  }

  // 16-17. Pair list, number of shuffles.
  line(out);
  line(out, "Creating the initial Sequence Element pair list...");
  PairList list;
  const int64_t examined =
      buildPairList(genes, geneCount, elementCount, list, run.queue, training, trainingCount, out);
  int shuffles = run.shuffle;
  if (shuffles < 2) {
    shuffles = static_cast<int>(std::min<int64_t>(examined, kMaxAutomaticShuffles));
    line(out, "Number of shufflings for assessing significance: ", shuffles);
  }
  std::vector<PairRecord>& pairs = list.pairs;

  // 18-20. Significance, ordering, robustness (the jack-knife trials may
  // start while the significance test runs).
  line(out);
  line(out, "Calculating the significance of the Sequence Element pairs...");
  const RobustnessParams robustness{shuffles, run.jackknifeTrials, run.jackknifeFraction};
  significanceAndRobustness(genes, geneCount, pairs, robustness, out, [&] {
    const int notSignificant = markNotSignificant(pairs, 0, 0.0);
    line(out, notSignificant, " out of ", list.length(),
         " non-redundant Sequence Element pairs were not significant and removed.");
    line(out);
    orderPairs(pairs);
    line(out, "Calculating robustness scores...");
  });
  const int notRobust = markNotRobust(pairs, run.jackknifeTrials / 2 + 1);
  line(out, notRobust, " out of ", list.length(),
       " Sequence Element pairs were not robust and removed.");
  line(out);

  // 21. Output.
  line(out, "Writing the output...");
  const int pairsWritten = writeNetwork(files[0], seTable, pairs);
  const int elementsWritten = writeElementTypes(files[1], seTable, elementCount, pairs);
  line(out, pairsWritten, " significant Sequence Element pairs were written, including ",
       elementsWritten, " Sequence Elements.");
  writeScores(files[2], seTable, pairs);
  writeRobustness(files[3], seTable, pairs, run.jackknifeTrials);
  writeZScores(files[4], seTable, pairs);
  bool written = true;
  std::string failed;
  for (size_t i = 0; i < files.size(); ++i) {
    if (!finishOutput(files[i]) && written) {
      written = false;
      failed = outputs[i].path;
    }
  }
  if (!written) {
    printWriteFailure(out, failed);
    return 1;
  }

  // 22. Outcome.
  if (pairsWritten > 0) {
    line(out, "Job finished successfully.");
    return 0;
  }
  line(out, "Job finished successfully, but no significant element pairs were found.");
  return 1;
}

}  // namespace tav
