#include "optimisation.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "climb_index.h"
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
// window-by-window rule and scored with pairMutualInformation. A homo-value
// pair holds the same motif twice.
struct PlainClimb {
  std::vector<SequenceRecord>& records;
  const std::vector<InteractionPair>& list;
  bool homoValue;
  std::ostream& out;

  double score(const MaskMotif& first, const MaskMotif& second) {
    markPresence(first, records, PresenceSlot::A, motifOccursReference);
    markPresence(second, records, PresenceSlot::B, motifOccursReference);
    return pairMutualInformation(records, list, static_cast<int>(list.size()));
  }

  // Every set at every position, the first strictly best score winning.
  void refine(MaskMotif& first, MaskMotif& second, double& mi) {
    for (;;) {
      double best = -1.0;
      MaskMotif* target = nullptr;
      size_t at = 0;
      LetterCode set = 0;
      for (MaskMotif* m : {&first, &second}) {
        for (size_t i = 0; i < m->sets.size() && !(homoValue && m == &second); ++i) {
          const LetterCode own = m->sets[i];
          for (LetterCode s = 1; s <= 15; ++s) {
            m->sets[i] = s;
            if (homoValue) second.sets[i] = s;
            const double x = score(first, second);
            if (x > best) std::tie(best, target, at, set) = std::tuple{x, m, i, s};
          }
          m->sets[i] = own;
          if (homoValue) second.sets[i] = own;
        }
      }
      if (mi >= best) return;
      target->sets[at] = set;
      if (homoValue) second.sets[at] = set;
      mi = best;
      line(out, motifText(first), " <--> ", motifText(second), " , MI = ", best);
    }
  }

  bool extend(MaskMotif& first, MaskMotif& second, double& mi, bool ofSecond, bool front) {
    const auto kept = std::tuple{first, second, mi};
    for (MaskMotif* m : {&first, &second}) {
      if (homoValue || (m == &second) == ofSecond)
        m->sets.insert(front ? m->sets.begin() : m->sets.end(), LetterCode{15});
    }
    mi = 0.0;
    refine(first, second, mi);
    if (mi > std::get<2>(kept)) return true;
    std::tie(first, second, mi) = kept;
    return false;
  }

  void optimize(MaskMotif& first, MaskMotif& second, double& mi, int maxLength) {
    refine(first, second, mi);
    for (bool grown = true; grown;) {
      grown = false;
      for (auto [ofSecond, front] :
           {std::pair{false, true}, {true, true}, {false, false}, {true, false}}) {
        if (homoValue && ofSecond) continue;
        if ((ofSecond ? second : first).length() < maxLength)
          grown = extend(first, second, mi, ofSecond, front) || grown;
      }
    }
  }
};

// The codes a scan finds at each motif position, from the positions grouped
// by code, are those of the windows read one by one; records over 64 bases
// and motifs of every set, wildcards and empty sets included.
TEST(ClimbIndex, ScanEqualsTheWindowByWindowScan) {
  std::mt19937 rng(8);
  for (bool strandMode : {false, true}) {
    const std::vector<SequenceRecord> records = randomRecords(rng, 12, 1, 140, 0.05, strandMode);
    const ClimbIndex index(records);
    for (int round = 0; round < 60; ++round) {
      MaskMotif motif;
      for (int k = static_cast<int>(rng() % 10); k > 0; --k)
        motif.sets.push_back(static_cast<LetterCode>(rng() % 17));
      PositionCodes fast;
      PositionCodes plain;
      index.scan(motif, fast);
      scanPlain(records, motif, plain);
      ASSERT_EQ(fast.codes, plain.codes) << round;
      ASSERT_EQ(fast.present, plain.present) << round;
    }
  }
}

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
    PlainClimb climb{records, list, variant == MotifFinderVariant::HomoValue, plain};
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
