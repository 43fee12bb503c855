#include "permutation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "console.h"
#include "interactions.h"
#include "pair_counting.h"
#include "pair_list.h"
#include "random.h"

namespace tav {

namespace {

// Scores kept per pair in the running, by joint count.
constexpr int64_t kKnownScores = 256;

// Scores the running pairs over the current state of the work list, on the
// calling thread (the test and the trials run side by side, each on one
// thread). Row and column counts of every pair are fixed by the genes'
// degrees, which no shuffle changes, so only the pairs' joint counts are
// counted per network: either with per-gene bit masks in the shuffle's own
// pass over the list, or from per-gene partner lists refilled after each
// shuffle, whichever costs less for the pairs in the running.
class WorkScorer {
 public:
  WorkScorer(std::vector<GeneRecord>& genes, int n, const std::vector<PairRecord>& pairs,
             std::vector<InteractionPair>& work, int count, ScoringPath path, Counting counting)
      : genes_(genes), n_(n), work_(work), count_(count), path_(path), counting_(counting) {
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
  void shuffled() { stale_ = true; }

  double score(const PairRecord& p) {
    if (path_ == ScoringPath::Plain) {
      setPresenceA(genes_, n_, p.first);
      setPresenceB(genes_, n_, p.second);
      return pairScore(genes_, n_, work_, count_);
    }
    refresh();
    return score(p, mark_);
  }

  // Shuffles the work list by `offsets` and sets scores[r] to the score of
  // pairs[running[r]] on the new network; few pairs are counted in the
  // shuffle's own pass over the list.
  void shuffleAndScore(const std::vector<uint32_t>& offsets, const std::vector<PairRecord>& pairs,
                       const std::vector<size_t>& running, std::vector<double>& scores) {
    stale_ = true;
    if (!masked(pairs, running)) {
      if (tagged_ || !index_.allUsable()) {
        shuffleWithOffsets(work_, count_, offsets);  // the lists are made afresh
      } else {
        index_.beginRefill();
        shuffleWithOffsets(work_, count_, offsets,
                           [&](const InteractionPair& e) { index_.refillEntry(e); });
        stale_ = false;
      }
      scoreRunning(pairs, running, scores);
      return;
    }
    // The counting takes its own pass after the shuffle: the shuffle's
    // loop runs fastest with nothing else in it.
    shuffleWithOffsets(work_, count_, offsets);
    counter_.reset(masks_);
    counter_.addTaggedList(work_, count_);
    const int64_t* both = counter_.counts().data();
    scores.resize(running.size());
    for (size_t r = 0; r < running.size(); ++r)
      scores[r] = scoreOf(pairs, running[r], both[bitOf_[running[r]]]);
  }

  // scores[r] = score of pairs[running[r]].
  void scoreRunning(const std::vector<PairRecord>& pairs, const std::vector<size_t>& running,
                    std::vector<double>& scores) {
    scores.resize(running.size());
    for (size_t r = 0; r < running.size(); ++r) scores[r] = score(pairs[running[r]]);
  }

 private:
  // Fast form with the caller's mark buffer (n entries, all zero between calls).
  double score(const PairRecord& p, std::vector<uint8_t>& mark) const {
    const auto a = static_cast<size_t>(p.first);
    const auto b = static_cast<size_t>(p.second);
    return mutualInformation(
        indexCounts(index_, carriers_[a], degree_[a], carriers_[b], degree_[b], mark));
  }

  // The score of pair i given its joint count. Its other counts are fixed
  // by the degrees, so a score depends on the joint count alone and is kept
  // for the next network that gives the same count: the counts of a pair
  // stay in a narrow range, kept from the first one seen on.
  double scoreOf(const std::vector<PairRecord>& pairs, size_t i, int64_t both) {
    if (known_.size() < pairs.size()) known_.resize(pairs.size());
    KnownScores& known = known_[i];
    if (known.scores.empty()) {
      known.first = std::max<int64_t>(0, both - kKnownScores / 2);
      known.scores.assign(kKnownScores, std::numeric_limits<double>::quiet_NaN());
    }
    const int64_t at = both - known.first;
    const bool kept = at >= 0 && at < kKnownScores;
    if (kept && !std::isnan(known.scores[static_cast<size_t>(at)]))
      return known.scores[static_cast<size_t>(at)];
    const PairRecord& p = pairs[i];
    PairCounts counts;
    counts.both = both;
    counts.rowPresent = degree_[static_cast<size_t>(p.first)];
    counts.columnPresent = degree_[static_cast<size_t>(p.second)];
    counts.observations = index_.observations();
    const double score = mutualInformation(counts);
    if (kept) known.scores[static_cast<size_t>(at)] = score;
    return score;
  }

  // Whether the running pairs are counted with masks; brings the masks up
  // to date when they are. The masks may hold pairs that have left the
  // running (their counts are not read): pairs only leave, so masks or
  // lists are chosen again only when the running pairs have halved, and the
  // masks made again when an eighth of their pairs have left (their carriers
  // would make the pick keep interactions that count for nobody).
  bool masked(const std::vector<PairRecord>& pairs, const std::vector<size_t>& running) {
    if (path_ == ScoringPath::Plain || counting_ == Counting::PartnerLists || running.empty() ||
        running.size() > static_cast<size_t>(kMaskedPairs) || !index_.allUsable()) {
      return false;
    }
    if (decidedFor_ == 0 || 2 * running.size() <= decidedFor_) {
      decidedFor_ = running.size();
      useMasks_ = counting_ == Counting::Masks || masksCheaper(pairs, running);
    }
    if (!useMasks_) return false;
    bool current = tagged_ && 8 * running.size() > 7 * maskedFor_.size();
    for (size_t r = 0; current && r < running.size(); ++r) current = bitOf_[running[r]] >= 0;
    if (!current) {
      std::vector<std::pair<int32_t, int32_t>> elements;
      for (size_t i : running) elements.emplace_back(pairs[i].first, pairs[i].second);
      masks_ = pairMasks(genes_, n_, elements);
      for (size_t i : maskedFor_) bitOf_[i] = -1;
      maskedFor_ = running;
      if (bitOf_.size() < pairs.size()) bitOf_.resize(pairs.size(), -1);
      for (size_t r = 0; r < running.size(); ++r) bitOf_[running[r]] = static_cast<int32_t>(r);
      tagCarriers(masks_, work_, count_);
      tagged_ = true;
    }
    return true;
  }

  // Masks cost a pass that picks out the interactions between two genes
  // carrying an element of some running pair, then a look at both genes'
  // masks for each picked one; partner lists cost a refill from the whole
  // list and, per pair, a walk over the partners of one element's carriers.
  // Either gives the same counts; this only picks the faster. The weights
  // are in twentieths of a nanosecond, measured on the bench inputs (protein
  // domains at the real scale, promoter motifs): masks won on all of them.
  bool masksCheaper(const std::vector<PairRecord>& pairs, const std::vector<size_t>& running) {
    std::vector<uint8_t> inPair(carriers_.size(), 0);
    int64_t walk = 0;
    for (size_t i : running) {
      const auto a = static_cast<size_t>(pairs[i].first);
      const auto b = static_cast<size_t>(pairs[i].second);
      inPair[a] = 1;
      inPair[b] = 1;
      walk += std::min(degree_[a] + static_cast<int64_t>(carriers_[b].size()),
                       degree_[b] + static_cast<int64_t>(carriers_[a].size()));
    }
    std::vector<uint8_t> carrier(static_cast<size_t>(n_), 0);
    for (size_t e = 0; e < inPair.size(); ++e) {
      if (inPair[e] == 0) continue;
      for (int32_t g : carriers_[e]) carrier[static_cast<size_t>(g)] = 1;
    }
    int64_t touching = 0;
    for (int i = 0; i < count_; ++i) {
      const InteractionPair& e = work_[static_cast<size_t>(i)];
      touching += carrier[static_cast<size_t>(untagged(e.first))] &
                  carrier[static_cast<size_t>(untagged(e.second))];
    }
    const auto words = static_cast<int64_t>((running.size() + 63) / 64);
    return 7 * static_cast<int64_t>(count_) + touching * (28 + 11 * words) <
           20 * (static_cast<int64_t>(count_) + walk);
  }

  // Brings the partner lists up to date with the work list.
  void refresh() {
    if (tagged_) {
      clearTags(work_, count_);
      tagged_ = false;
      for (size_t i : maskedFor_) bitOf_[i] = -1;
      maskedFor_.clear();
    }
    if (!stale_) return;
    if (index_.allUsable()) {
      index_.refill(work_, count_);
    } else {
      index_.build(genes_, n_, work_, count_);
    }
    stale_ = false;
  }

  std::vector<GeneRecord>& genes_;
  int n_;
  std::vector<InteractionPair>& work_;
  int count_;
  ScoringPath path_;
  Counting counting_;
  std::vector<std::vector<int32_t>> carriers_;
  EdgeIndex index_;
  bool stale_ = false;
  bool tagged_ = false;  // work list nodes carry the masks' tags
  std::vector<int64_t> degree_;
  std::vector<uint8_t> mark_;
  PairMasks masks_;
  MaskedCounter counter_;
  std::vector<size_t> maskedFor_;  // the pairs of the masks' bits, in bit order
  std::vector<int32_t> bitOf_;     // per pair: its bit in the masks, or -1
  struct KnownScores {
    int64_t first = 0;           // the joint count of scores[0]
    std::vector<double> scores;  // NaN where not yet known
  };
  std::vector<KnownScores> known_;  // per pair
  size_t decidedFor_ = 0;           // running pairs when masks or lists were last chosen
  bool useMasks_ = false;
};

}  // namespace

// The test's working state. The fast form draws its shuffles from `stream`,
// ahead of the process-wide generator, which the caller advances past them;
// the plain form (stream null) draws from the process-wide generator itself.
struct PermutationRun::State {
  State(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
        const PermutationParams& params, std::ostream& out, RandomStream* stream)
      : pairs(pairs),
        params(params),
        out(out),
        stream(stream),
        count(buildTrainingSet(genes, n, work, out)),
        scorer(genes, n, pairs, work, count, params.path, params.counting),
        allowed(params.shuffles * params.cutoff) {
    if (stream != nullptr) moduli = shuffleModuli(count);
  }

  // A pair leaves the running at the exceedance that puts it over the cut-off.
  // A pair another test has dropped leaves too: its statistics here will be
  // set back by the caller.
  void prune() {
    std::erase_if(running, [&](size_t i) {
      if (pairs[i].slots[static_cast<size_t>(params.slot)].pValue > allowed) {
        if (params.dropsInto != nullptr) params.dropsInto[i].store(1, std::memory_order_relaxed);
        return true;
      }
      return params.droppedElsewhere != nullptr &&
             params.droppedElsewhere[i].load(std::memory_order_relaxed) != 0;
    });
  }

  // Network k, made from network k - 1, scored for the pairs in the running
  // (pruned before).
  void network() {
    const int shuffles = params.shuffles;
    if (running.empty() && !skipped) {
      // No pair can re-enter, so the remaining networks change nothing but
      // the generator: advance it past their draws (count - 1 per shuffle)
      // so every later random step is the same as after shuffling.
      if (stream == nullptr && count > 1) {
        skipRandom(static_cast<uint64_t>(shuffles - k) * static_cast<uint64_t>(count - 1));
      }
      skipped = true;
    }
    if (skipped) {
      scores.clear();
    } else if (stream == nullptr) {
      shuffleInteractions(work, count);
      scorer.shuffled();
      scorer.scoreRunning(pairs, running, scores);
    } else {
      drawShuffleOffsets(*stream, moduli, offsets);
      scorer.shuffleAndScore(offsets, pairs, running, scores);
    }
    // Each pair sums its own tallies in network order.
    for (size_t r = 0; r < running.size(); ++r) {
      SlotStats& stats = pairs[running[r]].slots[static_cast<size_t>(params.slot)];
      const double h = scores[r];
      if (h >= stats.observed) stats.pValue += 1;
      stats.mean += h;
      stats.meanSquare += h * h;
    }
    const long long f = (100LL * k) / shuffles;
    if (f > last) {
      if (params.verbose) {
        line(out, "[", f, "%]: ", k + 1, " permutations have been completed so far. ",
             running.size(), " Sequence Element pairs have remained...");
      } else {
        write(out, ".");
      }
      last = f;
    }
  }

  std::vector<PairRecord>& pairs;
  const PermutationParams params;
  std::ostream& out;
  RandomStream* stream;
  std::vector<InteractionPair> work;
  int count;
  WorkScorer scorer;
  double allowed;
  ShuffleModuli moduli;
  std::vector<uint32_t> offsets;
  std::vector<size_t> running;
  std::vector<double> scores;
  int k = 0;  // the next network
  long long last = 0;
  bool skipped = false;
};

PermutationRun::PermutationRun(std::vector<GeneRecord>& genes, int n,
                               std::vector<PairRecord>& pairs, const PermutationParams& params,
                               std::ostream& out, RandomStream* stream)
    : state_(std::make_unique<State>(genes, n, pairs, params, out, stream)) {
  State& s = *state_;
  const int slot = params.slot;
  for (PairRecord& p : pairs) p.slot(slot).observed = s.scorer.score(p);
  for (PairRecord& p : pairs) {
    SlotStats& stats = p.slot(slot);
    stats.pValue = 0.0;
    stats.mean = 0.0;
    stats.meanSquare = 0.0;
    stats.zScore = 0.0;
  }
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (!pairs[i].removed) s.running.push_back(i);
  }
}

PermutationRun::~PermutationRun() = default;

int PermutationRun::finish() {
  State& s = *state_;
  for (; s.k < s.params.shuffles; ++s.k) {
    s.prune();
    s.network();
  }
  const int shuffles = s.params.shuffles;
  for (PairRecord& p : s.pairs) {
    if (p.removed) continue;
    SlotStats& stats = p.slot(s.params.slot);
    stats.pValue = stats.pValue / shuffles;
    if (stats.pValue > s.params.cutoff) {
      stats.zScore = 0.0;
    } else {
      stats.mean = stats.mean / shuffles;
      stats.meanSquare = stats.meanSquare / shuffles;
      stats.zScore = zScore(stats.observed, stats.mean, stats.meanSquare);
    }
  }
  line(s.out);
  return s.count;
}

uint64_t permutationDraws(int shuffles, int count) {
  if (shuffles <= 0 || count <= 1) return 0;
  return static_cast<uint64_t>(shuffles) * static_cast<uint64_t>(count - 1);
}

void permutationTest(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                     const PermutationParams& params, std::ostream& out, RandomStream* stream) {
  if (params.path == ScoringPath::Plain) {
    PermutationRun(genes, n, pairs, params, out, nullptr).finish();
    return;
  }
  if (stream != nullptr) {
    PermutationRun(genes, n, pairs, params, out, stream).finish();
    return;
  }
  RandomStream own(0);
  const int count = PermutationRun(genes, n, pairs, params, out, &own).finish();
  skipRandom(permutationDraws(params.shuffles, count));
}

void permutationTest(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                     int shuffles, int slot, double cutoff, bool verbose, std::ostream& out,
                     ScoringPath path) {
  PermutationParams params;
  params.shuffles = shuffles;
  params.slot = slot;
  params.cutoff = cutoff;
  params.verbose = verbose;
  params.path = path;
  permutationTest(genes, n, pairs, params, out);
}

double zScore(double observed, double mean, double meanSquare) {
  return (observed - mean) / std::sqrt(meanSquare - mean * mean);
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
