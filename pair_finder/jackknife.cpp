#include "jackknife.h"

#include <omp.h>

#include <algorithm>
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

// A trial draws its left-out genes, then permutationDraws for the network
// they leave; so where each trial's draws start is known before any trial
// runs, and the trials run at once, each from its own copy of the generator
// and its own copy of the genes. Their console text is passed on in trial
// order as soon as every earlier trial's has been.
void concurrentTrials(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                      const PermutationParams& test, int trials, int fraction, std::ostream& out) {
  TrialDraws draws = drawTrials(genes, n, test.shuffles, trials, fraction);
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
            draws.leftOut[static_cast<size_t>(t)][static_cast<size_t>(g)] != 0;
      std::ostringstream console;
      write(console, "Jack-knife trial no. ", t + 1, "...");
      PermutationParams params = test;
      params.slot = t + 1;
      permutationTest(own, n, pairs, params, console, &draws.streams[static_cast<size_t>(t)]);
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

// Trials start once the test has at most this many pairs in the running, so
// that they do not score many pairs the test is about to drop; from then on
// the test scores in its pass over the network, on one thread.
constexpr size_t kTrialStartPairs = 64;

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

  // The test runs alone (scoring on every thread) until few pairs are left
  // in the running; the trials then start on those, beside the rest of it.
  PermutationParams test;
  test.shuffles = params.shuffles;
  test.verbose = true;
  PermutationRun run(genes, n, pairs, test, out, &testStream);
  run.runUntil(kTrialStartPairs);

  // Trials work on their own records of the pairs (elements only), so the
  // test can write its own slot meanwhile; a pair out of the running goes
  // in as removed.
  std::vector<PairRecord> candidates(pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    candidates[i].first = pairs[i].first;
    candidates[i].second = pairs[i].second;
    candidates[i].removed = true;
  }
  for (size_t i : run.running()) candidates[i].removed = false;
  std::vector<std::vector<PairRecord>> trialPairs(static_cast<size_t>(trials));
  std::vector<std::string> text(static_cast<size_t>(trials));

  // Task 0 ends the test; task t runs trial t. The test only reads the genes
  // (the fast path), so trials may copy them meanwhile.
#pragma omp parallel
  {
    std::vector<GeneRecord> own;
#pragma omp for schedule(dynamic, 1)
    for (int task = 0; task <= trials; ++task) {
      if (task == 0) {
        run.finish();
        continue;
      }
      const auto t = static_cast<size_t>(task - 1);
      if (own.empty()) own = genes;
      for (int g = 0; g < n; ++g)
        own[static_cast<size_t>(g)].excluded = draws.leftOut[t][static_cast<size_t>(g)] != 0;
      trialPairs[t] = candidates;
      std::ostringstream console;
      write(console, "Jack-knife trial no. ", task, "...");
      PermutationParams trial;
      trial.shuffles = test.shuffles;
      trial.slot = task;
      permutationTest(own, n, trialPairs[t], trial, console, &draws.streams[t]);
      text[t] = console.str();
    }
  }
  // Every pair takes its trial slots before `between` may reorder the pairs.
  for (size_t i = 0; i < pairs.size(); ++i) {
    pairs[i].slot(trials);
    for (int t = 1; t <= trials; ++t) {
      pairs[i].slots[static_cast<size_t>(t)] =
          trialPairs[static_cast<size_t>(t - 1)][i].slots[static_cast<size_t>(t)];
    }
  }
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
  for (const std::string& trialText : text) write(out, trialText);
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
