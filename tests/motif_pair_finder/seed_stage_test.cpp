#include "seed_stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>

#include "plain_paths.h"
#include "test_inputs.h"

namespace tav {
namespace {

using testing::motifOf;
using testing::randomList;
using testing::randomRecords;
using testing::recordsOf;

TEST(SeedOrder, FirstPositionChangesFastest) {
  EXPECT_EQ(motifText(seedMotif(3, 3, 4)) + motifText(seedMotif(4, 3, 4)), "ATTTCT");
  EXPECT_EQ(motifText(seedMotif(4, 2, 5)) + motifText(seedMotif(5, 2, 5)), "[TCGA]TTC");
}

TEST(SeedOrder, CanonicalSeedCounts) {
  // (4^L + 4^(L/2)) / 2 for even L, 4^L / 2 for odd L; (5^L + 5^((L-1)/2)) / 2
  // for odd L with the all-nucleotide digit.
  std::string counts;
  for (auto [length, digits] : {std::pair{1, 5}, {3, 4}, {3, 5}, {6, 4}}) {
    int n = 0;
    for (uint64_t v = 0; v < seedSpaceSize(length, digits); ++v)
      n += isCanonicalSeed(v, length, digits);
    counts += std::to_string(n) + " ";
  }
  EXPECT_EQ(counts, "3 32 65 2080 ");
}

struct Scenario {
  MotifFinderVariant variant;
  bool strandMode;
  int length;
  int queueSize;
  size_t blockBytes = kHomoValueBlockBytes;
};

TEST(SeedMotifPairs, FastScoringEqualsThePlainComputation) {
  std::mt19937 rng(2024);
  const Scenario scenarios[] = {
      {MotifFinderVariant::Pairs, true, 1, 5},
      {MotifFinderVariant::Pairs, false, 1, 3},
      {MotifFinderVariant::Pairs, true, 2, 7},
      {MotifFinderVariant::Pairs, false, 2, 40},
      {MotifFinderVariant::Pairs, true, 3, 25},
      {MotifFinderVariant::Pairs, false, 3, 1},
      {MotifFinderVariant::HomoValue, true, 1, 5},
      {MotifFinderVariant::HomoValue, false, 2, 9},
      {MotifFinderVariant::HomoValue, true, 3, 30},
      {MotifFinderVariant::HomoValue, false, 3, 4},
      // Presence found in blocks of 5 and of 25 seeds.
      {MotifFinderVariant::HomoValue, true, 3, 30, 8},
      {MotifFinderVariant::HomoValue, false, 4, 12, 200},
  };
  for (int round = 0; round < 3; ++round) {
    for (const Scenario& s : scenarios) {
      auto records = randomRecords(rng, 18, 0, 24, 0.05, s.strandMode);
      auto list = randomList(rng, 18, 10 + round * 15);
      std::vector<MotifPair> fastQueue;
      std::vector<MaskMotif> fastStore;
      std::ostringstream console;
      const int64_t fast =
          seedMotifPairs(records, list, static_cast<int>(list.size()), s.length, s.queueSize,
                         s.strandMode, s.variant, fastQueue, fastStore, console, s.blockBytes);
      std::vector<MotifPair> plainQueue;
      std::vector<MaskMotif> plainStore;
      const int64_t plain = seedMotifPairsPlain(records, list, s.length, s.queueSize, s.strandMode,
                                                s.variant, plainQueue, plainStore);
      ASSERT_EQ(fast, plain);
      ASSERT_EQ(fastQueue.size(), plainQueue.size());
      EXPECT_EQ(fastStore.size(), 2 * fastQueue.size());
      for (size_t i = 0; i < fastQueue.size(); ++i) {
        EXPECT_EQ(fastQueue[i].mutualInformation, plainQueue[i].mutualInformation) << i;
        EXPECT_EQ(motifText(fastStore[static_cast<size_t>(fastQueue[i].first)]),
                  motifText(plainStore[static_cast<size_t>(plainQueue[i].first)]));
        EXPECT_EQ(motifText(fastStore[static_cast<size_t>(fastQueue[i].second)]),
                  motifText(plainStore[static_cast<size_t>(plainQueue[i].second)]));
      }
    }
  }
}

TEST(SeedMotifPairs, ExaminedCountsAndQueueCapacity) {
  auto records = recordsOf({"ACGTAC", "TTGCAA", "GGGCCC"}, false);
  const std::vector<InteractionPair> list = {{0, 1}, {1, 2}};
  std::vector<MotifPair> queue;
  std::vector<MaskMotif> store;
  std::ostringstream console;
  // 64 seeds without the strand mode: 64 * 65 / 2 pairs; 5^5 homo-value seeds.
  for (auto [length, variant, examined, kept] :
       {std::tuple{3, MotifFinderVariant::Pairs, 2080, 2080},
        std::tuple{5, MotifFinderVariant::HomoValue, 3125, 3125},
        std::tuple{6, MotifFinderVariant::HomoValue, 15625, 4999}}) {
    EXPECT_EQ(seedMotifPairs(records, list, 2, length, 6000, false, variant, queue, store, console),
              examined);
    EXPECT_EQ(queue.size(), static_cast<size_t>(kept));
    EXPECT_EQ(store.size(), 2 * queue.size());
  }
}

}  // namespace
}  // namespace tav
