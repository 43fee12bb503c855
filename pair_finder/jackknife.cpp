#include "jackknife.h"

#include <omp.h>

#include <algorithm>
#include <atomic>
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

// What the trials need before they run, drawn as the trials would draw it
// after the test: each trial's left-out genes and its own generator.
struct TrialDraws {
  std::vector<std::vector<uint8_t>> leftOut;
  std::vector<RandomStream> streams;
};

TrialDraws drawTrials(std::vector<GeneRecord>& genes, int n, int shuffles, int trials,
                      int fraction) {
  TrialDraws draws;
  draws.leftOut.resize(static_cast<size_t>(trials));
  std::vector<InteractionPair> list;
  std::ostringstream unused;
  for (int t = 0; t < trials; ++t) {
    std::vector<uint8_t>& flags = draws.leftOut[static_cast<size_t>(t)];
    flags.resize(static_cast<size_t>(n));
    for (int g = 0; g < n; ++g) {
      flags[static_cast<size_t>(g)] = drawRandom() % fraction == 0 ? 1 : 0;
      genes[static_cast<size_t>(g)].excluded = flags[static_cast<size_t>(g)] != 0;
    }
    const int count = buildTrainingSet(genes, n, list, unused);
    draws.streams.emplace_back(0);
    skipRandom(permutationDraws(shuffles, count));
  }
  return draws;
}

// Elements-only records of the pairs for the trials to work on, so that
// nothing else they touch is shared; `inTrials` says which go in not removed.
std::vector<PairRecord> trialRecords(const std::vector<PairRecord>& pairs,
                                     const std::vector<uint8_t>& inTrials) {
  std::vector<PairRecord> records(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    records[i].first = pairs[i].first;
    records[i].second = pairs[i].second;
    records[i].removed = inTrials[i] == 0;
  }
  return records;
}

// A trial draws its left-out genes, then permutationDraws for the network
// they leave; so where each trial's draws start is known before any trial
// runs, and the trials run at once, each from its own copy of the generator,
// of the genes and of `records`. `alongside`, when given, runs as one more
// task beside them. Returns each trial's records and console text; the
// caller passes the text on in trial order.
struct TrialResults {
  std::vector<std::vector<PairRecord>> records;
  std::vector<std::string> text;
};

TrialResults runTrials(const std::vector<GeneRecord>& genes, int n, TrialDraws& draws,
                       const std::vector<PairRecord>& records, int shuffles,
                       const std::function<void()>& alongside,
                       const std::atomic<uint8_t>* unused = nullptr) {
  const auto trials = static_cast<int>(draws.streams.size());
  TrialResults results;
  results.records.resize(static_cast<size_t>(trials));
  results.text.resize(static_cast<size_t>(trials));
#pragma omp parallel
  {
    std::vector<GeneRecord> own;
#pragma omp for schedule(dynamic, 1)
    for (int task = 0; task <= trials; ++task) {
      if (task == 0) {
        if (alongside) alongside();
        continue;
      }
      const auto t = static_cast<size_t>(task - 1);
      if (own.empty()) own = genes;
      for (int g = 0; g < n; ++g)
        own[static_cast<size_t>(g)].excluded = draws.leftOut[t][static_cast<size_t>(g)] != 0;
      results.records[t] = records;
      std::ostringstream console;
      write(console, "Jack-knife trial no. ", task, "...");
      PermutationParams params;
      params.shuffles = shuffles;
      params.slot = task;
      params.droppedElsewhere = unused;
      permutationTest(own, n, results.records[t], params, console, &draws.streams[t]);
      results.text[t] = console.str();
    }
  }
  return results;
}

// Gives every pair its trial slots from the trials' records.
void takeTrialSlots(std::vector<PairRecord>& pairs, const TrialResults& results) {
  const auto trials = static_cast<int>(results.records.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    pairs[i].slot(trials);
    for (int t = 1; t <= trials; ++t) {
      pairs[i].slots[static_cast<size_t>(t)] =
          results.records[static_cast<size_t>(t - 1)][i].slots[static_cast<size_t>(t)];
    }
  }
}

// The trials after the test, on the pairs it left.
void concurrentTrials(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                      const PermutationParams& test, int trials, int fraction, std::ostream& out) {
  TrialDraws draws = drawTrials(genes, n, test.shuffles, trials, fraction);
  std::vector<uint8_t> inTrials(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) inTrials[i] = pairs[i].removed ? 0 : 1;
  const TrialResults results =
      runTrials(genes, n, draws, trialRecords(pairs, inTrials), test.shuffles, nullptr);
  takeTrialSlots(pairs, results);
  for (const std::string& text : results.text) write(out, text);
}

// Sets the robust count of every pair not removed, and ends the line.
void countRobust(std::vector<PairRecord>& pairs, int trials, double cutoff, std::ostream& out) {
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

}  // namespace

void significanceAndRobustness(std::vector<GeneRecord>& genes, int n,
                               std::vector<PairRecord>& pairs, const RobustnessParams& params,
                               std::ostream& out, const std::function<void()>& between) {
  const int trials = params.trials;
  if (trials <= 0 || omp_get_max_threads() < 2) {
    permutationTest(genes, n, pairs, params.shuffles, 0, 0.0, true, out);
    between();
    jackknife(genes, n, pairs, params.shuffles, 0.0, trials, params.fraction, out);
    return;
  }
  // The test's draws come first; the trials' start after them.
  std::vector<InteractionPair> list;
  std::ostringstream unused;
  const int count = buildTrainingSet(genes, n, list, unused);
  RandomStream testStream(0);
  skipRandom(permutationDraws(params.shuffles, count));
  std::vector<uint8_t> excluded(static_cast<size_t>(std::max(n, 0)));
  for (int g = 0; g < n; ++g)
    excluded[static_cast<size_t>(g)] = genes[static_cast<size_t>(g)].excluded ? 1 : 0;
  TrialDraws draws = drawTrials(genes, n, params.shuffles, trials, params.fraction);
  for (int g = 0; g < n; ++g)
    genes[static_cast<size_t>(g)].excluded = excluded[static_cast<size_t>(g)] != 0;

  // The test and the trials run side by side from the start, each whole on
  // one thread: eleven long tasks and no wait between networks. The trials
  // take every pair the test starts with; those the test drops are set back
  // below.
  // A pair the test drops is dropped by the trials too, whenever they see it
  // (its trial statistics are set back below either way).
  std::vector<std::atomic<uint8_t>> droppedByTest(pairs.size());
  PermutationParams test;
  test.shuffles = params.shuffles;
  test.verbose = true;
  test.dropsInto = droppedByTest.data();
  std::vector<uint8_t> inTrials(pairs.size(), 0);
  for (size_t i = 0; i < pairs.size(); ++i) inTrials[i] = pairs[i].removed ? 0 : 1;
  const TrialResults results = runTrials(
      genes, n, draws, trialRecords(pairs, inTrials), params.shuffles,
      [&] { permutationTest(genes, n, pairs, test, out, &testStream); }, droppedByTest.data());
  // Every pair takes its trial slots before `between` may reorder the pairs.
  takeTrialSlots(pairs, results);
  between();
  for (PairRecord& p : pairs) {
    if (!p.removed) continue;
    // A trial scores a removed pair once, on its network, and no further.
    for (int t = 1; t <= trials; ++t) {
      SlotStats& stats = p.slots[static_cast<size_t>(t)];
      stats = SlotStats{stats.observed, 0.0, 0.0, 0.0, 0.0};
    }
  }
  // The genes end as the trials' draws leave them.
  for (int g = 0; g < n; ++g)
    genes[static_cast<size_t>(g)].excluded = draws.leftOut.back()[static_cast<size_t>(g)] != 0;
  for (const std::string& text : results.text) write(out, text);
  countRobust(pairs, trials, 0.0, out);
}

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
  countRobust(pairs, trials, cutoff, out);
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
