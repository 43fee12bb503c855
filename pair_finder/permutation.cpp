#include "permutation.h"

#include <algorithm>
#include <cmath>

#include "console.h"
#include "interactions.h"
#include "pair_counting.h"
#include "pair_list.h"
#include "random.h"

namespace tav {

namespace {

// Running pairs from which a network's scoring is split across threads.
constexpr int64_t kThreadedPairs = 64;

// Scores pairs over the current state of the work list. The fast form keeps
// per-gene partner lists that are refilled after each shuffle (degrees do
// not change, so the row and column counts of every pair stay too).
class WorkScorer {
 public:
  WorkScorer(std::vector<GeneRecord>& genes, int n, const std::vector<PairRecord>& pairs,
             const std::vector<InteractionPair>& work, int count, ScoringPath path)
      : genes_(genes), n_(n), work_(work), count_(count), path_(path) {
    if (path_ == ScoringPath::Plain) return;
    int limit = 0;
    for (const PairRecord& p : pairs) limit = std::max(limit, std::max(p.first, p.second) + 1);
    carriers_ = elementCarriers(genes, n, limit);
    index_.build(genes, n, work, count);
    degree_.resize(static_cast<size_t>(limit));
    for (int e = 0; e < limit; ++e)
      degree_[static_cast<size_t>(e)] = elementDegree(index_, carriers_[static_cast<size_t>(e)]);
    mark_.assign(static_cast<size_t>(n), 0);
  }

  // The work list has been shuffled.
  void refresh() {
    if (path_ == ScoringPath::Plain) return;
    if (index_.allUsable()) {
      index_.refill(work_, count_);
    } else {
      index_.build(genes_, n_, work_, count_);
    }
  }

  // Only the fast form scores pairs on several threads at once (the plain
  // one sets the genes' presence fields).
  bool threadSafe() const { return path_ != ScoringPath::Plain; }

  // Fast form with the caller's mark buffer (n entries, all zero between calls).
  double score(const PairRecord& p, std::vector<uint8_t>& mark) const {
    const auto a = static_cast<size_t>(p.first);
    const auto b = static_cast<size_t>(p.second);
    return mutualInformation(
        indexCounts(index_, carriers_[a], degree_[a], carriers_[b], degree_[b], mark));
  }

  double score(const PairRecord& p) {
    if (path_ == ScoringPath::Plain) {
      setPresenceA(genes_, n_, p.first);
      setPresenceB(genes_, n_, p.second);
      return pairScore(genes_, n_, work_, count_);
    }
    const auto a = static_cast<size_t>(p.first);
    const auto b = static_cast<size_t>(p.second);
    return mutualInformation(
        indexCounts(index_, carriers_[a], degree_[a], carriers_[b], degree_[b], mark_));
  }

 private:
  std::vector<GeneRecord>& genes_;
  int n_;
  const std::vector<InteractionPair>& work_;
  int count_;
  ScoringPath path_;
  std::vector<std::vector<int32_t>> carriers_;
  EdgeIndex index_;
  std::vector<int64_t> degree_;
  std::vector<uint8_t> mark_;
};

}  // namespace

double zScore(double observed, double mean, double meanSquare) {
  return (observed - mean) / std::sqrt(meanSquare - mean * mean);
}

void permutationTest(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                     int shuffles, int slot, double cutoff, bool verbose, std::ostream& out,
                     ScoringPath path) {
  std::vector<InteractionPair> work;
  const int count = buildTrainingSet(genes, n, work, out);
  WorkScorer scorer(genes, n, pairs, work, count, path);

  for (PairRecord& p : pairs) p.slot(slot).observed = scorer.score(p);
  for (PairRecord& p : pairs) {
    SlotStats& stats = p.slot(slot);
    stats.pValue = 0.0;
    stats.mean = 0.0;
    stats.meanSquare = 0.0;
    stats.zScore = 0.0;
  }

  const double allowed = shuffles * cutoff;
  std::vector<size_t> running;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (!pairs[i].removed) running.push_back(i);
  }
  long long last = 0;
  bool skipped = false;
  for (int k = 0; k < shuffles; ++k) {
    // A pair leaves the running at the exceedance that puts it over the cut-off.
    std::erase_if(running, [&](size_t i) {
      return pairs[i].slots[static_cast<size_t>(slot)].pValue > allowed;
    });
    if (running.empty() && !skipped) {
      // No pair can re-enter, so the remaining networks change nothing but
      // the generator: advance it past their draws (count - 1 per shuffle)
      // so every later random step is the same as after shuffling.
      if (count > 1) {
        skipRandom(static_cast<uint64_t>(shuffles - k) * static_cast<uint64_t>(count - 1));
      }
      skipped = true;
    }
    if (!skipped) {
      shuffleInteractions(work, count);
      scorer.refresh();
    }
    // Pairs are independent and each sums its own tallies in network order;
    // the shuffle itself stays on one thread. Few pairs are not worth the
    // threads' start and wait.
    auto tally = [&](size_t i, double h) {
      SlotStats& stats = pairs[i].slots[static_cast<size_t>(slot)];
      if (h >= stats.observed) stats.pValue += 1;
      stats.mean += h;
      stats.meanSquare += h * h;
    };
    const auto runningCount = static_cast<int64_t>(running.size());
    if (scorer.threadSafe() && runningCount >= kThreadedPairs) {
#pragma omp parallel
      {
        std::vector<uint8_t> mark(static_cast<size_t>(std::max(n, 0)), 0);
#pragma omp for schedule(dynamic, 4)
        for (int64_t r = 0; r < runningCount; ++r) {
          const size_t i = running[static_cast<size_t>(r)];
          tally(i, scorer.score(pairs[i], mark));
        }
      }
    } else {
      for (size_t i : running) tally(i, scorer.score(pairs[i]));
    }
    const long long f = (100LL * k) / shuffles;
    if (f > last) {
      if (verbose) {
        line(out, "[", f, "%]: ", k + 1, " permutations have been completed so far. ",
             running.size(), " Sequence Element pairs have remained...");
      } else {
        write(out, ".");
      }
      last = f;
    }
  }

  for (PairRecord& p : pairs) {
    if (p.removed) continue;
    SlotStats& stats = p.slot(slot);
    stats.pValue = stats.pValue / shuffles;
    if (stats.pValue > cutoff) {
      stats.zScore = 0.0;
    } else {
      stats.mean = stats.mean / shuffles;
      stats.meanSquare = stats.meanSquare / shuffles;
      stats.zScore = zScore(stats.observed, stats.mean, stats.meanSquare);
    }
  }
  line(out);
}

int markNotSignificant(std::vector<PairRecord>& pairs, int slot, double cutoff) {
  int marked = 0;
  for (PairRecord& p : pairs) {
    const SlotStats* stats = p.slotIfAny(slot);
    if (stats != nullptr && stats->pValue > cutoff) {
      p.removed = true;
      ++marked;
    }
  }
  return marked;
}

}  // namespace tav
