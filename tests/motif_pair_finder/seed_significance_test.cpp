#include "seed_significance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "console.h"
#include "plain_paths.h"
#include "random.h"
#include "seed_stage.h"
#include "test_inputs.h"

namespace tav {
namespace {

using testing::connectRecords;
using testing::randomList;
using testing::randomRecords;
using testing::recordsOf;

std::vector<MotifPair> pairsWithPValues(const std::vector<double>& pValues) {
  std::vector<MotifPair> queue(pValues.size());
  for (size_t i = 0; i < pValues.size(); ++i) queue[i].pValue = pValues[i];
  return queue;
}

TEST(CutSeedList, CutsBeforeTheFirstFullRunOfNonSignificantPairs) {
  // No run of 10 fits in 5 pairs.
  EXPECT_EQ(cutSeedList(pairsWithPValues({0.1, 0.1, 0.1, 0.1, 0.1}), 5, 10), 5);
  EXPECT_EQ(cutSeedList(pairsWithPValues({0, 0, 0.2, 0}), 4, 1), 2);
  // A run reaching the end shorter than cont does not cut.
  EXPECT_EQ(cutSeedList(pairsWithPValues({0, 0.1, 0, 0.1, 0.1}), 5, 3), 5);
  // A significant pair below the first run is dropped with it.
  EXPECT_EQ(cutSeedList(pairsWithPValues({0, 0.1, 0.1, 0, 0.1, 0.1, 0.1, 0}), 8, 3), 4);
  EXPECT_EQ(cutSeedList(pairsWithPValues({0.1, 0.1}), 2, 2), 0);
  // Only the first `length` pairs are looked at.
  EXPECT_EQ(cutSeedList(pairsWithPValues({0, 0.1, 0.1, 0.1}), 2, 2), 2);
  EXPECT_EQ(cutSeedList(pairsWithPValues({}), 0, 1), 0);
}

TEST(AssessSeedSignificance, FastCountingEqualsThePlainComputation) {
  std::mt19937 rng(77);
  for (int round = 0; round < 8; ++round) {
    const bool strandMode = round % 2 == 0;
    auto records = randomRecords(rng, 16, 3, 20, 0.03, strandMode);
    // Rows from a list with repeats and a self-pair, as after -random 1.
    auto list = randomList(rng, 16, 12 + round * 4);
    connectRecords(records, list);
    std::vector<MotifPair> queue;
    std::vector<MaskMotif> store;
    std::ostringstream ignored;
    seedMotifPairs(records, list, static_cast<int>(list.size()), 2, 12 + round, strandMode,
                   round < 4 ? MotifFinderVariant::Pairs : MotifFinderVariant::HomoValue, queue,
                   store, ignored);
    std::vector<MotifPair> plainQueue = queue;
    const int64_t shuffles = round == 0 ? 2500 : 40 + round * 7;
    const int cont = 1 + round % 3;

    std::ostringstream fastConsole;
    seedRandom(static_cast<uint32_t>(round + 1));
    assessSeedSignificance(records, store, queue, static_cast<int>(queue.size()), shuffles, cont,
                           fastConsole);
    const int fastNext = drawRandom();
    std::ostringstream plainConsole;
    seedRandom(static_cast<uint32_t>(round + 1));
    assessSeedSignificancePlain(records, store, plainQueue, shuffles, cont, plainConsole);
    EXPECT_EQ(fastNext, drawRandom());

    EXPECT_EQ(fastConsole.str(), plainConsole.str());
    for (size_t i = 0; i < queue.size(); ++i) {
      EXPECT_EQ(queue[i].observed, plainQueue[i].observed) << i;
      EXPECT_EQ(queue[i].pValue, plainQueue[i].pValue) << i;
    }
  }
}

// All queued pairs counted at once from per-record bits over an edge list
// (whole rounds of sixteen and the rest) are the counts edge by edge.
TEST(CountQueueOnEdges, MatchesCountingEachEdge) {
  std::mt19937_64 next(99);
  for (int round = 0; round < 30; ++round) {
    const int records = 1 + round * 7;
    const size_t motifs = 3 + static_cast<size_t>(round % 11);
    StorePresence presence;
    presence.reset(motifs, records);
    const uint64_t density = 1 + next() % 4;  // about a density-th of the records hold a motif
    for (size_t m = 0; m < motifs; ++m) {
      for (int32_t r = 0; r < records; ++r) {
        if (next() % density == 0)
          presence.bits[m][static_cast<size_t>(r) >> 6] |= uint64_t{1} << (r & 63);
      }
    }
    const int count = 1 + round * 5;  // past one word of pairs from round 13 on
    std::vector<MotifPair> queue(static_cast<size_t>(count));
    for (MotifPair& pair : queue) {
      pair.first = static_cast<int32_t>(next() % motifs);
      pair.second = static_cast<int32_t>(next() % motifs);
    }
    std::vector<InteractionPair> list(static_cast<size_t>(round * 13));
    for (InteractionPair& e : list) {
      e.first = static_cast<int32_t>(next() % static_cast<uint64_t>(records));
      e.second = static_cast<int32_t>(next() % static_cast<uint64_t>(records));
    }
    const QueueBits bits = queueBits(presence, queue, count, records);
    std::vector<int64_t> both(static_cast<size_t>(bits.words) * 64, 0);
    countQueueOnEdges(bits, list, static_cast<int>(list.size()), both.data());
    for (int i = 0; i < count; ++i) {
      const auto a = static_cast<size_t>(queue[static_cast<size_t>(i)].first);
      const auto b = static_cast<size_t>(queue[static_cast<size_t>(i)].second);
      int64_t plain = 0;
      for (const InteractionPair& e : list) {
        plain += presence.present(a, e.first) && presence.present(b, e.second);
        plain += presence.present(a, e.second) && presence.present(b, e.first);
      }
      ASSERT_EQ(both[static_cast<size_t>(i)], plain) << round << " " << i;
    }
  }
}

}  // namespace
}  // namespace tav
