#include "jackknife.h"

#include <sstream>
#include <string>

#include "console.h"
#include "interactions.h"
#include "permutation.h"
#include "random.h"

namespace tav {

namespace {

// The trials one after another on the process-wide generator.
void plainTrials(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                 const PermutationParams& test, int trials, int fraction, std::ostream& out) {
  for (int t = 1; t <= trials; ++t) {
    write(out, "Jack-knife trial no. ", t, "...");
    for (int g = 0; g < n; ++g)
      genes[static_cast<size_t>(g)].excluded = drawRandom() % fraction == 0;
    PermutationParams params = test;
    params.slot = t;
    permutationTest(genes, n, pairs, params, out);
  }
}

// A trial draws its left-out genes, then permutationDraws for the network
// they leave; so where each trial's draws start is known before any trial
// runs, and the trials run at once, each from its own copy of the generator
// and its own copy of the genes. Their console text is passed on in trial
// order as soon as every earlier trial's has been.
void concurrentTrials(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                      const PermutationParams& test, int trials, int fraction, std::ostream& out) {
  std::vector<std::vector<uint8_t>> leftOut(static_cast<size_t>(trials));
  std::vector<RandomStream> streams;
  std::vector<InteractionPair> list;
  std::ostringstream unused;
  for (int t = 0; t < trials; ++t) {
    std::vector<uint8_t>& flags = leftOut[static_cast<size_t>(t)];
    flags.resize(static_cast<size_t>(n));
    for (int g = 0; g < n; ++g) {
      flags[static_cast<size_t>(g)] = drawRandom() % fraction == 0 ? 1 : 0;
      genes[static_cast<size_t>(g)].excluded = flags[static_cast<size_t>(g)] != 0;
    }
    const int count = buildTrainingSet(genes, n, list, unused);
    streams.emplace_back(0);
    skipRandom(permutationDraws(test.shuffles, count));
  }
  // Every slot exists before the trials fill them side by side.
  for (PairRecord& p : pairs) p.slot(trials);

  std::vector<std::string> text(static_cast<size_t>(trials));
  std::vector<uint8_t> finished(static_cast<size_t>(trials), 0);
  int passedOn = 0;
#pragma omp parallel
  {
    std::vector<GeneRecord> own;
#pragma omp for schedule(dynamic, 1)
    for (int t = 0; t < trials; ++t) {
      if (own.empty()) own = genes;
      for (int g = 0; g < n; ++g)
        own[static_cast<size_t>(g)].excluded =
            leftOut[static_cast<size_t>(t)][static_cast<size_t>(g)] != 0;
      std::ostringstream console;
      write(console, "Jack-knife trial no. ", t + 1, "...");
      PermutationParams params = test;
      params.slot = t + 1;
      RandomStream stream = streams[static_cast<size_t>(t)];
      permutationTest(own, n, pairs, params, console, &stream);
#pragma omp critical(jackknifeConsole)
      {
        text[static_cast<size_t>(t)] = console.str();
        finished[static_cast<size_t>(t)] = 1;
        while (passedOn < trials && finished[static_cast<size_t>(passedOn)] != 0) {
          write(out, text[static_cast<size_t>(passedOn)]);
          text[static_cast<size_t>(passedOn)].clear();
          ++passedOn;
        }
      }
    }
  }
}

}  // namespace

void jackknife(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs, int shuffles,
               double cutoff, int trials, int fraction, std::ostream& out, ScoringPath path) {
  PermutationParams test;
  test.shuffles = shuffles;
  test.cutoff = cutoff;
  test.path = path;
  if (path == ScoringPath::Plain) {
    plainTrials(genes, n, pairs, test, trials, fraction, out);
  } else if (trials > 0) {
    concurrentTrials(genes, n, pairs, test, trials, fraction, out);
  }
  for (PairRecord& p : pairs) {
    if (p.removed) continue;
    int supported = 0;
    for (int t = 1; t <= trials; ++t) {
      const SlotStats* stats = p.slotIfAny(t);
      if (stats != nullptr && !(stats->pValue > cutoff)) ++supported;
    }
    p.robustCount = supported;
  }
  line(out);
}

int markNotRobust(std::vector<PairRecord>& pairs, int threshold) {
  int marked = 0;
  for (PairRecord& p : pairs) {
    if (!p.removed && p.robustCount < threshold) {
      p.removed = true;
      ++marked;
    }
  }
  return marked;
}

}  // namespace tav
