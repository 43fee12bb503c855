#include "motif_model.h"

#include <gtest/gtest.h>

#include "console.h"
#include "test_inputs.h"

namespace tav {
namespace {

using testing::motifOf;
using testing::recordsOf;

TEST(MutualInformation, TableValuesAndNegativeAssociation) {
  // One observation (present, present), one (absent, present), two (absent, absent).
  PresenceCounts counts;
  counts.bothPresent = 1;
  counts.secondOnly = 1;
  counts.neither = 2;
  EXPECT_EQ(formatReal(mutualInformation(counts)), "0.0937041");
  // Fewer joint presences than independence predicts: clamped to 0.
  counts = PresenceCounts{0, 2, 2, 0};
  EXPECT_EQ(mutualInformation(counts), 0.0);
  // Both motifs everywhere: every cell equals its expectation.
  counts = PresenceCounts{8, 0, 0, 0};
  EXPECT_EQ(mutualInformation(counts), 0.0);
  EXPECT_EQ(mutualInformation(PresenceCounts{}), 0.0);
  EXPECT_EQ(countsFromMargins(10, 4, 3, 2).neither, 5);
}

TEST(PairMutualInformation, CountsBothDirectionsOfEveryInteraction) {
  // g1 holds the first motif, g2 the second, g3 neither; interactions g1-g2, g2-g3.
  auto records = recordsOf({"AAAA", "CCCC", "GGGG"}, false);
  markPresence(motifOf("AA"), records, PresenceSlot::A);
  markPresence(motifOf("CC"), records, PresenceSlot::B);
  const std::vector<InteractionPair> list = {{0, 1}, {1, 2}};
  EXPECT_EQ(formatReal(pairMutualInformation(records, list, 2)), "0.0937041");
  // A motif never facing itself scores 0.
  markPresence(motifOf("AA"), records, PresenceSlot::B);
  EXPECT_EQ(pairMutualInformation(records, list, 2), 0.0);
}

struct QueueFixture : ::testing::Test {
  std::vector<MotifPair> queue;
  std::vector<MaskMotif> store;
  void offer(int capacity, const std::string& a, const std::string& b, double x) {
    if (queueAccepts(queue, capacity, x))
      insertMotifPair(queue, store, capacity, motifOf(a), motifOf(b), x);
  }
  std::vector<std::string> contents() const {
    std::vector<std::string> texts;
    for (const MotifPair& p : queue)
      texts.push_back(motifText(store[static_cast<size_t>(p.first)]) + "/" +
                      motifText(store[static_cast<size_t>(p.second)]));
    return texts;
  }
};

TEST_F(QueueFixture, EqualScoresKeepTheOlderPairFirst) {
  for (auto [m, x] : {std::pair{"A", 0.5}, {"C", 0.7}, {"G", 0.5}, {"T", 0.7}}) offer(5, m, m, x);
  EXPECT_EQ(contents(), (std::vector<std::string>{"C/C", "T/T", "A/A", "G/G"}));
}

TEST_F(QueueFixture, FullQueueDropsTheLastPairAndReusesItsStoreSlots) {
  offer(3, "AA", "AC", 0.3);
  offer(3, "CA", "CC", 0.2);
  offer(3, "GA", "GC", 0.1);
  offer(3, "TA", "TC", 0.1);  // equal to the last: not inserted
  EXPECT_EQ(store.size(), 6u);
  offer(3, "TT", "TG", 0.25);
  EXPECT_EQ(contents(), (std::vector<std::string>{"AA/AC", "TT/TG", "CA/CC"}));
  EXPECT_EQ(store.size(), 6u);
  // The new pair took the dropped pair's slots.
  EXPECT_EQ(queue[1].first, 4);
  EXPECT_EQ(queue[1].second, 5);
}

TEST_F(QueueFixture, CapacityOneKeepsTheFirstStrictlyBestPair) {
  for (auto [m, x] : {std::pair{"A", 0.0}, {"C", 0.4}, {"G", 0.4}, {"T", 0.3}}) offer(1, m, m, x);
  EXPECT_EQ(contents(), (std::vector<std::string>{"C/C"}));
  EXPECT_EQ(store.size(), 2u);
}

}  // namespace
}  // namespace tav
