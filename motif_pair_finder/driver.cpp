#include <algorithm>
#include <fstream>

#include "capacities.h"
#include "console.h"
#include "fasta.h"
#include "interactions.h"
#include "motif_pair_finder.h"
#include "optimisation.h"
#include "output_files.h"
#include "random.h"
#include "se_file.h"
#include "seed_significance.h"
#include "seed_stage.h"

namespace tav {

namespace {

enum OptionIndex : size_t {
  kFasta,
  kInteractions,
  kSeed,
  kRandom,
  kQueue,
  kSeedLength,
  kShuffle,
  kCont,
  kOut,
  kMaxLength,
  kRevcomp,
};

constexpr int kAutomaticShuffleLimit = 100000;

void printMotifFinderBanner(std::ostream& out, MotifFinderVariant variant) {
  const std::string stars(27, '*');
  const char* title = variant == MotifFinderVariant::HomoValue ? " Tavrin-N.HV version 1.0 " : " Tavrin-N version 1.0 ";
  printBanner(out, stars + title + stars,
              {"This program is free for academic and non-profit use; any other use requires",
               "the permission of the authors. It comes without warranty of any kind.",
               "If you publish results obtained with it, please cite the article that",
               "describes the Tavrin method."});
}

void echoParameters(std::ostream& out, MotifFinderParameters& p) {
  line(out);
  line(out, "Inferred paramters:");
  line(out, "FASTA input file: ", p.fasta);
  line(out, "TAB interaction input file: ", p.interactions);
  line(out, "Output file: ", p.output);
  if (p.seed > 0) {
    line(out, "srand: ", p.seed);
    seedRandom(static_cast<uint32_t>(p.seed));
  } else {
    line(out, "srand: ", "will not be used.");
  }
  if (p.randomMode == 1) {
    line(out, "The interactions will be randomized.");
  } else if (p.randomMode == 2) {
    line(out, "The sequences will be randomized.");
  } else if (p.randomMode != 0) {
    line(out, "Unknown randomization request. Request will be ignored.");
    p.randomMode = 0;
  }
  line(out, "Maximum number of output motif pairs: ", p.queue);
  line(out, "Seed motif length: ", p.seedLength);
  line(out, "Maximum motif length: ", p.maxLength);
  if (p.shuffles > 1) {
    line(out, "Number of shufflings for assessing significance: ", p.shuffles);
  } else {
    line(out, "Number of shufflings for assessing significance: ", "automatic");
  }
  line(out, "The list of seed motifs will be cut before the first occurence of ", p.cont,
       " consequtive non-significant ", "seed motifs.");
  if (p.strandMode) {
    line(out, "Reverse complements of sequences will be considered.");
  } else {
    line(out, "Reverse complements of sequences will NOT be considered.");
  }
  line(out);
}

// Values the stages cannot work with are refused before any file is touched.
bool checkParameters(std::ostream& out, const MotifFinderParameters& p) {
  if (p.queue < 1) {
    line(out, "ERROR: -queue must be at least 1. Program aborted.");
    return false;
  }
  if (p.seedLength > kMaxSeedLength) {
    line(out, "ERROR: -seedl must be between 1 and ", kMaxSeedLength, ". Program aborted.");
    return false;
  }
  return true;
}

}  // namespace

OptionTable motifFinderOptions(MotifFinderVariant variant) {
  OptionTable table;
  table.entries = {
      textOption("-fasta ", true, kMaxFileName),
      textOption("-int ", true, kMaxFileName),
      integerOption("-srand ", 0),
      integerOption("-random ", 0),
      integerOption("-queue ", 500),
      integerOption("-seedl ", variant == MotifFinderVariant::HomoValue ? 7 : 6),
      integerOption("-shuffle ", 0),
      integerOption("-cont ", 10),
      textOption("-out ", true, kMaxFileName),
      integerOption("-maxl ", 9),
      integerOption("-revcomp ", 1),
  };
  return table;
}

std::vector<std::string> motifFinderUsage(MotifFinderVariant variant) {
  const bool hv = variant == MotifFinderVariant::HomoValue;
  std::vector<std::string> lines = {
      "",
      "Command line parameters are not provided properly. Please see below.",
      "NOTE: Command line paramters cannot contain white spaces.",
      "",
      "---",
  };
  if (hv) {
    lines.insert(lines.end(),
                 {"     Tavrin-N.HV finds nucleoide motifs that significantly co-occur with.",
                  "     other instances of themselves. It thus finds 'homo-value' co-occurrences",
                  "     in networks."});
  } else {
    lines.push_back("     Tavrin-N finds nucleoide motif pairs that significantly co-occur.");
  }
  lines.insert(lines.end(), {
      "---",
      "",
      hv ? "Usage: Tavrin-N.HV.exe -fasta [string] -int [string] -srand [integer]"
         : "Usage: Tavrin-N.exe -fasta [string] -int [string] -srand [integer]",
      "                    -random [integer] -queue [integer] -seedl [integer]",
      "                    -maxl [integer] -shuffle [integer] -cont [integer]",
      "                    -revcomp [string] -out [string]",
      "",
      "-fasta: The FASTA input file containing the nucleotide sequences.",
      "  NOTE: Maximum number of sequences: 30000",
      "        Maximum sequence length: 10000",
      "        Maximum line length in the file: 999",
      "",
      "-revcomp: If non-zero, the reverse complements of the sequences will",
      "  be considered as well.",
      "  DEFAULT: 1",
      "",
      "-int: The tab-delimited file containing interactions/associations. Each",
      "  line should contain the name of the two interacting partners.",
      "  NOTE: Maximum number of interactions: 30000",
      "",
      "-srand: The number to be used with 'srand' function.",
      "  0:  srand will not be used (DEFAULT)",
      "  <0: the current time will be used for srand",
      "",
      "-random: The status of randomizing the input data.",
      "  0: no randomization (DEFAULT)",
      "  1: interactions will be randomized",
      "  2: nucleotide sequences will be randomized",
      "",
      "-queue: The maximum number of motif pairs in the output.",
      "  DEFAULT: 500",
      "  NOTE: This number cannot be larger than 5000",
      "",
      "-seedl: The length of the seed motifs.",
      hv ? "  DEFAULT: 7" : "  DEFAULT: 6",
      "",
      "-maxl: The maximum length of the optimized motifs.",
      "  DEFAULT: 9",
      "",
      "-shuffle: The number of random networks that will be generated to assess the",
      "  significance of motif pairs.",
      "  <2: The number will be assigned automatically based on the number of motif",
      "      pairs that will be tested (DEFAULT).",
      "",
      "-cont: This paramter determines where the list of motif pairs should be cut",
      "  before optimizing the motifs. The list of sorted seed motifs will be cut",
      "  before the first occurrence of 'cont' consequtive non-significant seed",
      "  motifs.",
      "  DEFAULT: 10",
      "",
      "-out: The output SE file.",
      "",
  });
  return lines;
}

MotifFinderParameters motifFinderParameters(const OptionValues& values) {
  MotifFinderParameters p;
  p.fasta = values.text[kFasta];
  p.interactions = values.text[kInteractions];
  p.output = values.text[kOut];
  p.seed = values.integer[kSeed];
  p.randomMode = values.integer[kRandom];
  p.queue = values.integer[kQueue];
  p.seedLength = std::max(values.integer[kSeedLength], int32_t{1});
  p.shuffles = values.integer[kShuffle];
  p.cont = std::max(values.integer[kCont], int32_t{1});
  p.maxLength = std::max(values.integer[kMaxLength], p.seedLength);
  p.strandMode = values.integer[kRevcomp] != 0;
  return p;
}

int runMotifPairFinder(int argc, const char* const* argv, std::ostream& out,
                       MotifFinderVariant variant) {
  const std::string commandLine = joinArguments(argc, argv);
  printMotifFinderBanner(out, variant);
  line(out);
  line(out, "Received command line: ", commandLine);

  const OptionTable options = motifFinderOptions(variant);
  OptionValues values;
  if (parseCommandLine(options, commandLine, values) == 0) {
    printLines(out, motifFinderUsage(variant));
    return 1;
  }
  MotifFinderParameters p = motifFinderParameters(values);
  echoParameters(out, p);
  if (!checkParameters(out, p)) return 1;
  if (!checkOutputsAgainstInputs({{"-out", p.output}}, {{"-fasta", p.fasta}, {"-int", p.interactions}}, out)) {
    return 1;
  }

  std::ofstream output(p.output, std::ios::out | std::ios::trunc);
  if (!output.is_open()) {
    line(out, "ERROR: ", p.output, " cannot be opened. Program aborted");
    return 1;
  }

  std::vector<SequenceRecord> records;
  {
    std::ifstream fasta(p.fasta);
    if (!fasta.is_open()) {
      line(out, "ERROR: ", p.fasta, " was not found. Program aborted");
      return 1;
    }
    line(out, "Reading the FASTA input file...");
    const int read = readFasta(fasta, records, SequenceAlphabet::MotifFinderNucleotide, kMotifSequenceLimit, out);
    if (read == 0) {
      line(out, "ERROR: ", p.fasta, " does not seem to be a FASTA file or contain sequence sequences.",
           " Program aborted.");
      return 1;
    }
    line(out, read, " sequences were read successfully.");
  }
  if (p.randomMode == 2) shuffleSequences(records);
  if (p.strandMode) buildReverseComplements(records);

  int n = static_cast<int>(records.size());
  {
    std::ifstream interactions(p.interactions);
    if (!interactions.is_open()) {
      line(out, "ERROR: ", p.interactions, " was not found. Program aborted");
      return 1;
    }
    line(out);
    line(out, "Reading interaction input file...");
    const int first = readInteractions(interactions, records, n, "sequence", out);
    line(out, first, " interactions were read at the first attempt.");
  }
  n = removeLoners(records, n);
  {
    std::ifstream interactions(p.interactions);
    if (!interactions.is_open()) {
      line(out, "ERROR: ", p.interactions, " was not found. Program aborted");
      return 1;
    }
    const int second = readInteractions(interactions, records, n, "sequence", out);
    line(out, second, " interactions were read at the second attempt.");
    if (second == 0) {
      line(out, "ERROR: ", p.interactions, " does not seem to be a TAB interaction file or contain interactions.",
           " Program aborted.");
      return 1;
    }
  }
  // The fast occurrence test needs an index of the final codes.
  indexSequences(records, SequenceAlphabet::MotifFinderNucleotide);

  std::vector<InteractionPair> training;
  const int edges = buildTrainingSet(records, n, training, out);
  if (edges == 0) {
    line(out, "ERROR: The training set does not contain any interactions.", " Program aborted.");
    return 1;
  }
  line(out, edges, " interactions are in the training set.");
  if (p.randomMode == 1) {
    line(out, "Randomizing interactions...");
    shuffleInteractions(training, edges);
    rebuildInteractionRows(records, n, training, edges);
  }

  line(out);
  line(out, "Seeding the motifs...");
  std::vector<MotifPair> queue;
  std::vector<MaskMotif> store;
  const int64_t examined =
      seedMotifPairs(records, training, edges, p.seedLength, p.queue, p.strandMode, variant, queue, store, out);
  int64_t shuffles = p.shuffles;
  if (p.shuffles < 2) {
    shuffles = std::min<int64_t>(examined, kAutomaticShuffleLimit);
    line(out, "Number of shufflings for assessing significance: ", shuffles);
  }

  line(out);
  line(out, "Calculating the significance of the seed motifs...");
  const int queued = static_cast<int>(queue.size());
  assessSeedSignificance(records, store, queue, queued, shuffles, p.cont, out);
  const int kept = cutSeedList(queue, queued, p.cont);

  line(out);
  line(out, kept, " motif pairs will be optimized.");
  line(out);
  line(out, "Optimizing the motifs... ");
  line(out);
  ClimbTables tables{records, training, edges, variant};
  optimizeMotifPairs(tables, store, queue, kept, p.maxLength, out);
  rankPairs(queue, kept);

  line(out, "Writing the output...");
  writeSeFile(output, collectOutputPairs(records, store, queue, kept), records, p.strandMode);
  if (!finishOutput(output)) {
    printWriteFailure(out, p.output);
    return 1;
  }
  line(out, "Job finished successfully.");
  return 0;
}

}  // namespace tav
