#include "seed_significance.h"

#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
}  // namespace tav
