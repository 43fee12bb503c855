#include "optimisation.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "console.h"
#include "seed_stage.h"
#include "test_inputs.h"

namespace tav {
namespace {

using testing::motifOf;
using testing::randomList;
using testing::randomRecords;
using testing::recordsOf;

// The climb the plain way: every candidate marked record by record with the
// window-by-window rule and scored with pairMutualInformation.
struct PlainClimb {
  std::vector<SequenceRecord>& records;
  const std::vector<InteractionPair>& list;
  MotifFinderVariant variant;
  std::ostream& out;

  double score() { return pairMutualInformation(records, list, static_cast<int>(list.size())); }

  void mark(const MaskMotif& motif, PresenceSlot slot) {
    markPresence(motif, records, slot, motifOccursReference);
    if (variant == MotifFinderVariant::HomoValue) {
      for (SequenceRecord& r : records) r.presenceB = r.presenceA;
    }
  }

  // Tries every set at every position of `motif` (marked into `slot`),
  // keeping the first strictly best score.
  void tryAll(MaskMotif work, PresenceSlot slot, int which, double& best, int& bestWhich, int& at,
              LetterCode& set) {
    for (int i = 0; i < work.length(); ++i) {
      const LetterCode own = work.sets[static_cast<size_t>(i)];
      for (LetterCode s = 1; s <= 15; ++s) {
        work.sets[static_cast<size_t>(i)] = s;
        mark(work, slot);
        const double x = score();
        if (x > best) std::tie(best, bestWhich, at, set) = std::tuple{x, which, i, s};
      }
      work.sets[static_cast<size_t>(i)] = own;
    }
  }

  void refine(MaskMotif& first, MaskMotif& second, double& mi) {
    for (;;) {
      double best = -1.0;
      int which = 0;
      int at = -1;
      LetterCode set = 0;
      if (variant == MotifFinderVariant::Pairs) mark(second, PresenceSlot::B);
      tryAll(first, PresenceSlot::A, 0, best, which, at, set);
      if (variant == MotifFinderVariant::Pairs) {
        mark(first, PresenceSlot::A);
        tryAll(second, PresenceSlot::B, 1, best, which, at, set);
      }
      if (mi >= best) return;
      if (variant == MotifFinderVariant::HomoValue || which == 0)
        first.sets[static_cast<size_t>(at)] = set;
      if (variant == MotifFinderVariant::HomoValue || which == 1)
        second.sets[static_cast<size_t>(at)] = set;
      mi = best;
      line(out, motifText(first), " <--> ", motifText(second), " , MI = ", best);
    }
  }

  bool extend(MaskMotif& first, MaskMotif& second, double& mi, bool ofSecond, bool front) {
    const MaskMotif keepFirst = first;
    const MaskMotif keepSecond = second;
    const double old = mi;
    auto grow = [front](MaskMotif& m) {
      if (front) {
        m.sets.insert(m.sets.begin(), 15);
      } else {
        m.sets.push_back(15);
      }
    };
    if (variant == MotifFinderVariant::HomoValue) {
      grow(first);
      grow(second);
    } else {
      grow(ofSecond ? second : first);
    }
    mi = 0.0;
    refine(first, second, mi);
    if (mi > old) return true;
    first = keepFirst;
    second = keepSecond;
    mi = old;
    return false;
  }

  void optimize(MaskMotif& first, MaskMotif& second, double& mi, int maxLength) {
    refine(first, second, mi);
    bool grown = true;
    while (grown) {
      grown = false;
      if (variant == MotifFinderVariant::HomoValue) {
        if (first.length() < maxLength) grown = extend(first, second, mi, false, true) || grown;
        if (first.length() < maxLength) grown = extend(first, second, mi, false, false) || grown;
        continue;
      }
      if (first.length() < maxLength) grown = extend(first, second, mi, false, true) || grown;
      if (second.length() < maxLength) grown = extend(first, second, mi, true, true) || grown;
      if (first.length() < maxLength) grown = extend(first, second, mi, false, false) || grown;
      if (second.length() < maxLength) grown = extend(first, second, mi, true, false) || grown;
    }
  }
};

TEST(OptimizeMotifPairs, EqualsThePlainClimb) {
  std::mt19937 rng(5);
  int steps = 0;
  int grown = 0;
  for (int round = 0; round < 10; ++round) {
    const bool strandMode = round % 2 == 1;
    const auto variant = round < 6 ? MotifFinderVariant::Pairs : MotifFinderVariant::HomoValue;
    const int seedLength = 2 + round % 2;
    auto records = randomRecords(rng, 16, 4, 40, 0.04, strandMode);
    const auto list = randomList(rng, 16, 24);
    std::vector<MotifPair> queue;
    std::vector<MaskMotif> store;
    std::ostringstream ignored;
    seedMotifPairs(records, list, static_cast<int>(list.size()), seedLength, 3, strandMode, variant,
                   queue, store, ignored);
    const std::vector<MotifPair> seeds = queue;
    const std::vector<MaskMotif> seedStore = store;
    const int maxLength = seedLength + round % 3;

    std::ostringstream fast;
    ClimbTables tables{records, list, static_cast<int>(list.size()), variant};
    optimizeMotifPairs(tables, store, queue, static_cast<int>(queue.size()), maxLength, fast);

    std::ostringstream plain;
    PlainClimb climb{records, list, variant, plain};
    for (size_t k = 0; k < seeds.size(); ++k) {
      MaskMotif first = seedStore[static_cast<size_t>(seeds[k].first)];
      MaskMotif second = seedStore[static_cast<size_t>(seeds[k].second)];
      double mi = seeds[k].mutualInformation;
      line(plain, "Optimizing motif pair no. ", k + 1);
      line(plain);
      climb.optimize(first, second, mi, maxLength);
      line(plain, "Optimized MI = ", mi);
      line(plain);
      EXPECT_EQ(motifText(store[static_cast<size_t>(queue[k].first)]), motifText(first));
      EXPECT_EQ(motifText(store[static_cast<size_t>(queue[k].second)]), motifText(second));
      EXPECT_EQ(queue[k].mutualInformation, mi);
    }
    EXPECT_EQ(fast.str(), plain.str());
    for (size_t at = fast.str().find(" <--> "); at != std::string::npos;
         at = fast.str().find(" <--> ", at + 1))
      ++steps;
    for (const MotifPair& p : queue)
      grown += store[static_cast<size_t>(p.first)].length() > seedLength ? 1 : 0;
  }
  // The inputs exercise climbs and kept extensions.
  EXPECT_GT(steps, 20);
  EXPECT_GT(grown, 2);
}

TEST(RankPairs, HighestFirstAndEqualScoresKeepQueueOrder) {
  std::vector<MotifPair> queue(5);
  const double scores[] = {0.1, 0.3, 0.1, 0.3, 0.9};
  for (int i = 0; i < 5; ++i) {
    queue[static_cast<size_t>(i)].first = i;
    queue[static_cast<size_t>(i)].mutualInformation = scores[i];
  }
  rankPairs(queue, 4);
  std::vector<int> order;
  for (const MotifPair& p : queue) order.push_back(p.first);
  // The fifth pair lies beyond n and stays in place.
  EXPECT_EQ(order, (std::vector<int>{1, 3, 0, 2, 4}));
}

}  // namespace
}  // namespace tav
