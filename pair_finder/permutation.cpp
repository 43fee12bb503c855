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

  // Fast form only: an index per network of a batch, built from snapshots of
  // the work list, so that the batch's networks are scored at once.
  void refreshBatch(const std::vector<std::vector<InteractionPair>>& lists, int64_t size) {
    batch_.resize(std::max(batch_.size(), static_cast<size_t>(size)));
#pragma omp parallel for schedule(dynamic, 1)
    for (int64_t b = 0; b < size; ++b) {
      EdgeIndex& index = batch_[static_cast<size_t>(b)];
      const std::vector<InteractionPair>& list = lists[static_cast<size_t>(b)];
      if (index_.allUsable()) {
        if (index.genes() != index_.genes()) index = index_;
        index.refill(list, count_);
      } else {
        index.build(genes_, n_, list, count_);
      }
    }
  }

  // Fast form on network b of the batch with the caller's mark buffer (n
  // entries, all zero between calls).
  double scoreInBatch(const PairRecord& p, int64_t b, std::vector<uint8_t>& mark) const {
    const auto x = static_cast<size_t>(p.first);
    const auto y = static_cast<size_t>(p.second);
    return mutualInformation(indexCounts(batch_[static_cast<size_t>(b)], carriers_[x], degree_[x],
                                         carriers_[y], degree_[y], mark));
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
  std::vector<EdgeIndex> batch_;
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
  auto progress = [&](int k, size_t runningCount) {
    const long long f = (100LL * k) / shuffles;
    if (f > last) {
      if (verbose) {
        line(out, "[", f, "%]: ", k + 1, " permutations have been completed so far. ", runningCount,
             " Sequence Element pairs have remained...");
      } else {
        write(out, ".");
      }
      last = f;
    }
  };
  auto tally = [&](size_t i, double h) {
    SlotStats& stats = pairs[i].slots[static_cast<size_t>(slot)];
    if (h >= stats.observed) stats.pValue += 1;
    stats.mean += h;
    stats.meanSquare += h * h;
  };
  auto leaves = [&](size_t i) {
    return pairs[i].slots[static_cast<size_t>(slot)].pValue > allowed;
  };

  if (path == ScoringPath::Plain) {
    bool skipped = false;
    for (int k = 0; k < shuffles; ++k) {
      // A pair leaves the running at the exceedance that puts it over the cut-off.
      std::erase_if(running, leaves);
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
      for (size_t i : running) tally(i, scorer.score(pairs[i]));
      progress(k, running.size());
    }
  } else {
    // The same networks in batches: the shuffles' reorderings are drawn
    // ahead on all threads from copies of the generator and applied in order
    // on one; then every running pair goes through the batch's networks in
    // order on its own thread, leaving at the network where its exceedances
    // pass the cut-off, exactly as one network at a time.
    constexpr int kBatch = 64;
    const ShuffleModuli moduli = shuffleModuli(count);
    const uint64_t drawsPerShuffle = count > 1 ? static_cast<uint64_t>(count - 1) : 0;
    std::vector<std::vector<int32_t>> orders(kBatch);
    std::vector<std::vector<InteractionPair>> lists(kBatch);
    std::vector<InteractionPair> scratch;
    std::vector<int> leftAt;  // per running pair: network at which it left, or shuffles
    for (int k = 0; k < shuffles;) {
      std::erase_if(running, leaves);
      if (running.empty()) {
        // No pair can re-enter: skip the remaining networks' draws.
        skipRandom(static_cast<uint64_t>(shuffles - k) * drawsPerShuffle);
        for (; k < shuffles; ++k) progress(k, 0);
        break;
      }
      const int size = std::min(kBatch, shuffles - k);
      if (count > 0) {
#pragma omp parallel for schedule(dynamic, 1)
        for (int b = 0; b < size; ++b) {
          RandomStream stream(static_cast<uint64_t>(b) * drawsPerShuffle);
          drawShuffleOrder(stream, moduli, count, orders[static_cast<size_t>(b)]);
        }
        skipRandom(static_cast<uint64_t>(size) * drawsPerShuffle);
      }
      for (int b = 0; b < size; ++b) {
        if (count > 0) applyShuffleOrder(orders[static_cast<size_t>(b)], work, count, scratch);
        lists[static_cast<size_t>(b)] = work;
      }
      scorer.refreshBatch(lists, size);
      const auto runningCount = static_cast<int64_t>(running.size());
      leftAt.assign(running.size(), shuffles);
#pragma omp parallel
      {
        std::vector<uint8_t> mark(static_cast<size_t>(std::max(n, 0)), 0);
#pragma omp for schedule(dynamic, 1)
        for (int64_t r = 0; r < runningCount; ++r) {
          const size_t i = running[static_cast<size_t>(r)];
          for (int b = 0; b < size; ++b) {
            if (leaves(i)) {
              leftAt[static_cast<size_t>(r)] = k + b;
              break;
            }
            tally(i, scorer.scoreInBatch(pairs[i], b, mark));
          }
        }
      }
      for (int b = 0; b < size; ++b) {
        const auto still =
            std::count_if(leftAt.begin(), leftAt.end(), [&](int at) { return at > k + b; });
        progress(k + b, static_cast<size_t>(still));
      }
      k += size;
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
