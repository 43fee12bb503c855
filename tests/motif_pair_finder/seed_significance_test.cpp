#include "seed_significance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "console.h"
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

// The test the plain way: presence copied from per-motif slots into presence
// A and B, every score from pairMutualInformation over the shuffled list.
void plainSignificance(std::vector<SequenceRecord> records, const std::vector<MaskMotif>& store,
                       std::vector<MotifPair>& queue, int64_t shuffles, int cont,
                       std::ostream& out) {
  std::vector<InteractionPair> list;
  const int edges = buildTrainingSet(records, static_cast<int>(records.size()), list, out);
  std::vector<std::vector<int>> slots(store.size());
  for (size_t m = 0; m < store.size(); ++m) {
    for (const SequenceRecord& r : records)
      slots[m].push_back(motifOccursReference(store[m].sets.data(), store[m].length(), r));
  }
  auto scorePair = [&](const MotifPair& pair) {
    for (size_t r = 0; r < records.size(); ++r) {
      records[r].presenceA = slots[static_cast<size_t>(pair.first)][r];
      records[r].presenceB = slots[static_cast<size_t>(pair.second)][r];
    }
    return pairMutualInformation(records, list, edges);
  };
  for (MotifPair& pair : queue) {
    pair.observed = scorePair(pair);
    pair.pValue = 0.0;
  }
  int remaining = static_cast<int>(queue.size());
  for (int64_t k = 0; k < shuffles; ++k) {
    shuffleInteractions(list, edges);
    for (int i = 0; i < remaining; ++i) {
      if (scorePair(queue[static_cast<size_t>(i)]) >= queue[static_cast<size_t>(i)].observed) {
        queue[static_cast<size_t>(i)].pValue += 1.0 / static_cast<double>(shuffles);
      }
    }
    if (k % 1000 == 0) {
      remaining = std::min(remaining, cutSeedList(queue, remaining, cont) + cont);
      line(out, "Permutation no. ", k + 1, " completed... ", remaining, " motif pairs remain...");
    }
  }
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
    plainSignificance(records, store, plainQueue, shuffles, cont, plainConsole);
    EXPECT_EQ(fastNext, drawRandom());

    EXPECT_EQ(fastConsole.str(), plainConsole.str());
    for (size_t i = 0; i < queue.size(); ++i) {
      EXPECT_EQ(queue[i].observed, plainQueue[i].observed) << i;
      EXPECT_EQ(queue[i].pValue, plainQueue[i].pValue) << i;
    }
  }
}

TEST(AssessSeedSignificance, ProgressAfterNetworks1And1001And2001) {
  auto records = recordsOf({"ACGTTT", "ACGAAA", "CCCCGG", "TTGACA", "GATTAC"}, true);
  const std::vector<InteractionPair> list = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {0, 4}, {1, 3}};
  connectRecords(records, list);
  std::vector<MotifPair> queue;
  std::vector<MaskMotif> store;
  std::ostringstream console;
  seedMotifPairs(records, list, 6, 2, 30, true, MotifFinderVariant::Pairs, queue, store, console);
  console.str("");
  assessSeedSignificance(records, store, queue, static_cast<int>(queue.size()), 2500, 2, console);
  // Lines after networks 1, 1001 and 2001, the remaining count never rising.
  std::istringstream lines(console.str());
  std::vector<std::string> seen;
  int last = 1 << 30;
  for (std::string l; std::getline(lines, l); last = std::stoi(l.substr(l.find("... ") + 4))) {
    seen.push_back(l.substr(0, l.find(" completed")));
    EXPECT_LE(std::stoi(l.substr(l.find("... ") + 4)), last);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Permutation no. 1", "Permutation no. 1001",
                                            "Permutation no. 2001"}));
  // A pair that scores 0 is matched by the first network already.
  for (const MotifPair& pair : queue) {
    if (pair.observed == 0.0) {
      EXPECT_GT(pair.pValue, 0.0);
    }
  }
}

}  // namespace
}  // namespace tav
