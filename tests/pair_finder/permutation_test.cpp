#include "permutation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "console.h"
#include "interactions.h"
#include "jackknife.h"
#include "network_builder.h"
#include "pair_list.h"
#include "random.h"

namespace tav {
namespace {

using testing::fiveGenes;
using testing::listFor;
using testing::makeNetwork;
using testing::Network;
using testing::randomNetwork;

TEST(PermutationTest, VerboseProgressOncePerWholePercent) {
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  std::ostringstream out;
  seedRandom(1);
  permutationTest(net.genes, net.n(), list.pairs, 6, 0, 0.0, true, out);
  // Every pair reaches its observed score at once here except (a, b), which
  // the later lines count while it lasts.
  std::istringstream lines(out.str());
  std::string l;
  for (const char* percent : {"[16%]: 2 ", "[33%]: 3 ", "[50%]: 4 ", "[66%]: 5 ", "[83%]: 6 "}) {
    ASSERT_TRUE(std::getline(lines, l));
    EXPECT_EQ(l.rfind(std::string(percent) + "permutations have been completed so far. ", 0), 0u)
        << l;
    EXPECT_NE(l.find(" Sequence Element pairs have remained..."), std::string::npos) << l;
  }
  ASSERT_TRUE(std::getline(lines, l));
  EXPECT_EQ(l, "");  // the test ends the line the progress left open
  EXPECT_FALSE(std::getline(lines, l));

  std::ostringstream single;
  permutationTest(net.genes, net.n(), list.pairs, 1, 0, 0.0, true, single);
  EXPECT_EQ(single.str(), "\n");
}

TEST(PermutationTest, QuietProgressWritesDots) {
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  std::ostringstream out;
  permutationTest(net.genes, net.n(), list.pairs, 200, 0, 0.0, false, out);
  EXPECT_EQ(out.str(), std::string(99, '.') + "\n");
}

TEST(PermutationTest, ReachingTheObservedScoreEndsAPair) {
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  ASSERT_EQ(list.length(), 4);
  list.pairs[3].removed = true;  // (d, d)
  list.pairs[3].slot(0).pValue = 5.0;
  std::ostringstream out;
  permutationTest(net.genes, net.n(), list.pairs, 50, 0, 0.0, false, out);
  for (int i = 1; i <= 2; ++i) {
    // Zero-score self-pairs: the first permuted score equals the observed 0.
    const SlotStats& s = list.pairs[static_cast<size_t>(i)].slots[0];
    EXPECT_EQ(s.observed, 0.0);
    EXPECT_EQ(s.pValue, 1.0 / 50);
    EXPECT_EQ(s.zScore, 0.0);
  }
  // A removed pair gets its observed score but no statistics.
  const SlotStats& removed = list.pairs[3].slots[0];
  EXPECT_TRUE(list.pairs[3].removed);
  EXPECT_EQ(removed.pValue, 0.0);
  EXPECT_EQ(removed.mean, 0.0);
  EXPECT_EQ(markNotSignificant(list.pairs, 0, 0.0), list.pairs[0].slots[0].pValue > 0 ? 3 : 2);
  EXPECT_TRUE(list.pairs[1].removed);
  EXPECT_TRUE(list.pairs[2].removed);
}

TEST(PermutationTest, NetworksAfterTheLastPairLeavesDrawAsIfShuffled) {
  // Once no pair is in the running the remaining shuffles are skipped; the
  // generator must still end where 200 real shuffles would leave it, since
  // the jack-knife draws next.
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  std::ostringstream out;
  seedRandom(5);
  permutationTest(net.genes, net.n(), list.pairs, 200, 0, 0.0, false, out);
  const int afterTest = drawRandom();

  std::vector<InteractionPair> work;
  const int count = buildTrainingSet(net.genes, net.n(), work, out);
  seedRandom(5);
  for (int k = 0; k < 200; ++k) shuffleInteractions(work, count);
  EXPECT_EQ(afterTest, drawRandom());
  const std::string text = out.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '.'), 99);
}

TEST(PermutationTest, ZScoreOfASurvivingPair) {
  EXPECT_DOUBLE_EQ(zScore(0.5, 0.1, 0.02), 0.4 / std::sqrt(0.02 - 0.01));
  // No variance: infinite; rounding below zero: not a number. Both print
  // without a sign on the NaN.
  EXPECT_EQ(formatReal(zScore(1.0, 0.5, 0.25)), "inf");
  EXPECT_EQ(formatReal(zScore(0.0, 0.5, 0.25)), "-inf");
  EXPECT_EQ(formatReal(zScore(0.1, 0.1, 0.01 - 1e-18)), "nan");
  EXPECT_EQ(formatReal(zScore(0.2, 0.1, 0.0)), "nan");

  // A pair whose score no shuffle reaches keeps p = 0 and gets the z-score
  // of its permuted scores: ten genes with a each face one gene with b, and
  // twenty genes without elements form a chain.
  std::vector<std::vector<int32_t>> elements(40);
  std::vector<std::pair<int, int>> edges;
  for (int i = 0; i < 10; ++i) {
    elements[static_cast<size_t>(i)] = {0};
    elements[static_cast<size_t>(10 + i)] = {1};
    edges.emplace_back(i, 10 + i);
  }
  for (int i = 20; i + 1 < 40; ++i) edges.emplace_back(i, i + 1);
  Network net = makeNetwork(elements, 2, edges);
  PairList list = listFor(net);
  seedRandom(7);
  std::ostringstream out;
  permutationTest(net.genes, net.n(), list.pairs, 20, 0, 0.0, false, out);
  const PairRecord& ab = list.pairs[0];
  ASSERT_EQ(ab.first, 0);
  ASSERT_EQ(ab.second, 1);
  const SlotStats& s = ab.slots[0];
  EXPECT_EQ(s.pValue, 0.0);
  EXPECT_EQ(s.zScore, zScore(s.observed, s.mean, s.meanSquare));
  EXPECT_GT(s.zScore, 3.0);
  EXPECT_LT(s.mean, s.observed);
}

TEST(JackKnife, TrialLinesAndThresholds) {
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  std::ostringstream none;
  jackknife(net.genes, net.n(), list.pairs, 6, 0.0, 0, 3, none);
  EXPECT_EQ(none.str(), "\n");
  for (const PairRecord& p : list.pairs) EXPECT_EQ(p.robustCount, 0);
  // Threshold 1 for no trial: every pair still in the list goes.
  list.pairs[1].removed = true;
  EXPECT_EQ(markNotRobust(list.pairs, 0 / 2 + 1), 3);

  // -jfrac 1 leaves every gene out: nothing is supported.
  list = listFor(net);
  std::ostringstream all;
  jackknife(net.genes, net.n(), list.pairs, 6, 0.0, 2, 1, all);
  EXPECT_EQ(all.str(), "Jack-knife trial no. 1........\nJack-knife trial no. 2........\n\n");
  for (const PairRecord& p : list.pairs) {
    EXPECT_EQ(p.robustCount, 0);
    EXPECT_EQ(p.slots[1].observed, 0.0);
  }
  for (const GeneRecord& g : net.genes) EXPECT_TRUE(g.excluded);
}

TEST(JackKnife, OneDrawPerGeneBeforeEachTrialsShuffles) {
  std::mt19937 rng(5);
  Network net = randomNetwork(rng, 40, 80, 5, 0.3);
  PairList list = listFor(net, 8);
  const int shuffles = 7;
  const int trials = 4;
  const int fraction = 3;
  seedRandom(99);
  std::ostringstream out;
  jackknife(net.genes, net.n(), list.pairs, shuffles, 0.0, trials, fraction, out);
  const int nextDraw = drawRandom();

  // Replay the draws: exclusions, then (edges - 1) draws per shuffle.
  Network replay = net;
  seedRandom(99);
  for (int t = 1; t <= trials; ++t) {
    for (GeneRecord& g : replay.genes) g.excluded = drawRandom() % fraction == 0;
    std::vector<InteractionPair> work;
    std::ostringstream ignored;
    const int count = buildTrainingSet(replay.genes, replay.n(), work, ignored);
    for (int k = 0; k < shuffles; ++k) {
      for (int j = 0; j + 1 < count; ++j) drawRandom();
    }
  }
  for (int g = 0; g < net.n(); ++g) {
    EXPECT_EQ(net.genes[static_cast<size_t>(g)].excluded,
              replay.genes[static_cast<size_t>(g)].excluded);
  }
  EXPECT_EQ(drawRandom(), nextDraw);
}

// The fast scorer must reproduce the plain one bit for bit through whole
// tests, including jack-knife trials with excluded genes.
TEST(PermutationTest, FastPathMatchesPlainPathOnRandomNetworks) {
  std::mt19937 rng(77);
  for (int round = 0; round < 25; ++round) {
    const int genes = 10 + round % 20;
    Network net = randomNetwork(rng, genes, genes * 2, 3 + round % 5, 0.2 + 0.05 * (round % 4));
    if (net.training.empty()) continue;
    PairList list = listFor(net, 6 + round % 10);
    Network copy = net;
    std::vector<PairRecord> fast = list.pairs;
    std::vector<PairRecord> plain = list.pairs;
    const int shuffles = 15 + round;
    std::ostringstream fastOut;
    std::ostringstream plainOut;
    seedRandom(static_cast<uint32_t>(round));
    permutationTest(net.genes, net.n(), fast, shuffles, 0, 0.0, true, fastOut);
    markNotSignificant(fast, 0, 0.0);
    jackknife(net.genes, net.n(), fast, shuffles, 0.0, 3, 3, fastOut);
    seedRandom(static_cast<uint32_t>(round));
    permutationTest(copy.genes, copy.n(), plain, shuffles, 0, 0.0, true, plainOut,
                    ScoringPath::Plain);
    markNotSignificant(plain, 0, 0.0);
    jackknife(copy.genes, copy.n(), plain, shuffles, 0.0, 3, 3, plainOut, ScoringPath::Plain);
    ASSERT_EQ(fastOut.str(), plainOut.str());
    for (size_t i = 0; i < fast.size(); ++i) {
      EXPECT_EQ(fast[i].removed, plain[i].removed);
      EXPECT_EQ(fast[i].robustCount, plain[i].robustCount);
      ASSERT_EQ(fast[i].slots.size(), plain[i].slots.size());
      for (size_t s = 0; s < fast[i].slots.size(); ++s) {
        const SlotStats& f = fast[i].slots[s];
        const SlotStats& p = plain[i].slots[s];
        EXPECT_EQ(std::tie(f.observed, f.pValue, f.mean, f.meanSquare),
                  std::tie(p.observed, p.pValue, p.mean, p.meanSquare));
        EXPECT_TRUE(f.zScore == p.zScore || (std::isnan(f.zScore) && std::isnan(p.zScore)));
      }
    }
  }
}

}  // namespace
}  // namespace tav
