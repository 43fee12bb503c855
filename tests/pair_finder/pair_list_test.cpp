#include "pair_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <tuple>
#include <vector>

#include "console.h"
#include "network_builder.h"
#include "pair_counting.h"

namespace tav {
namespace {

using testing::build;
using testing::fiveGenes;
using testing::makeNetwork;
using testing::Network;
using Members = std::vector<std::pair<int, int>>;

Members members(const std::vector<PairRecord>& pairs) {
  Members out;
  for (const PairRecord& p : pairs) out.emplace_back(p.first, p.second);
  return out;
}

double scoreOf(Network& net, int a, int b) {
  setPresenceA(net.genes, net.n(), a);
  setPresenceB(net.genes, net.n(), b);
  return pairScore(net.genes, net.n(), net.training, static_cast<int>(net.training.size()));
}

TEST(PairScore, WorkedExamples) {
  Network five = fiveGenes(0, 1, 2);
  // g1 {a}, g2 {b}, g3 {}: g1-g2, g2-g3.
  Network three = makeNetwork({{0}, {1}, {}}, 2, {{0, 1}, {1, 2}});
  EXPECT_EQ(formatReal(scoreOf(five, 0, 2)), "0.0145746");
  EXPECT_EQ(formatReal(scoreOf(five, 1, 2)), "0.00122718");
  EXPECT_EQ(formatReal(scoreOf(three, 0, 1)), "0.0937041");
  for (int e = 0; e < 3; ++e) EXPECT_EQ(scoreOf(five, e, e), 0.0);
}

TEST(PairList, FiveGeneExampleKeepsOnlyPairsNotExplainedByStrongerOnes) {
  // Elements in the order a, b, d: (a, b) comes first and explains the rest.
  // In the order d, a, b: (a, d) and (b, d) enter first and are removed when
  // (a, b) arrives above them.
  for (auto [a, b, d, kept] : {std::tuple{0, 1, 2, Members{{0, 1}, {0, 0}, {1, 1}, {2, 2}}},
                               std::tuple{1, 2, 0, Members{{1, 2}, {0, 0}, {1, 1}, {2, 2}}}}) {
    for (ScoringPath path : {ScoringPath::Fast, ScoringPath::Plain}) {
      Network net = fiveGenes(a, b, d);
      PairList list;
      std::ostringstream out;
      EXPECT_EQ(build(net, list, 500, out, path), 6);
      EXPECT_EQ(members(list.pairs), kept);
      EXPECT_EQ(formatReal(list.pairs[0].score), "0.0441116");
      // Only G3-G5 and G1-G5 support (a, b).
      EXPECT_EQ(list.pairs[0].supportingCount, 2);
      EXPECT_EQ(list.pairs[0].restCount, 4);
    }
  }
}

TEST(PairList, EqualScoresKeepExaminationOrderAndAFullListOnlyTakesHigherPairs) {
  // Two disjoint copies of one motif: (0, 1) and (2, 3) score exactly alike.
  Network net = makeNetwork({{0}, {1}, {}, {}, {2}, {3}, {}, {}}, 4,
                            {{0, 1}, {0, 2}, {1, 3}, {4, 5}, {4, 6}, {5, 7}});
  ASSERT_EQ(scoreOf(net, 0, 1), scoreOf(net, 2, 3));
  PairList list;
  std::ostringstream out;
  build(net, list, 500, out);
  const Members all = members(list.pairs);
  EXPECT_EQ(Members(all.begin(), all.begin() + 2), (Members{{0, 1}, {2, 3}}));
  // A one-place list keeps the first of the best pairs.
  build(net, list, 1, out);
  EXPECT_EQ(members(list.pairs), (Members{{0, 1}}));

  startPairList(net.genes, net.n(), 4, 2, list);
  auto insert = [&](int a, int b, double score) {
    PairCandidate c;
    c.first = a;
    c.second = b;
    c.score = score;
    c.baseCounts = countPair(net.genes, list.network, static_cast<int>(list.network.size()), a, b);
    return insertPair(net.genes, net.n(), c, list, out);
  };
  EXPECT_EQ(insert(0, 0, 0.0), 0);
  EXPECT_EQ(insert(1, 1, 0.0), 1);
  EXPECT_EQ(insert(2, 2, 0.0), -1);  // full: a zero score cannot go anywhere
  EXPECT_EQ(insert(0, 1, scoreOf(net, 0, 1)), 0);
  EXPECT_EQ(members(list.pairs), (Members{{0, 1}, {0, 0}}));
}

TEST(PairList, RedundancyTestLeavesPresenceAsItWas) {
  Network net = fiveGenes(0, 1, 2);
  PairList list;
  std::ostringstream out;
  build(net, list, 500, out);
  PairCandidate ad;
  ad.first = 0;
  ad.second = 2;
  ad.score = scoreOf(net, 0, 2);
  ad.baseCounts = countPair(net.genes, list.network, static_cast<int>(list.network.size()), 0, 2);
  for (int g = 0; g < net.n(); ++g) net.genes[static_cast<size_t>(g)].presenceA = 7 + g;
  for (ScoringPath path : {ScoringPath::Fast, ScoringPath::Plain}) {
    EXPECT_EQ(
        isRedundant(net.genes, net.n(), ad, list.pairs[0], kRedundancyFactor, list.network, path),
        1);
    for (int g = 0; g < net.n(); ++g) EXPECT_EQ(net.genes[static_cast<size_t>(g)].presenceA, 7 + g);
  }
  // Without any interaction the conditional score is undefined: redundant.
  EXPECT_EQ(isRedundant(net.genes, net.n(), ad, PairRecord{}, kRedundancyFactor, {}), 1);
}

TEST(PairList, OrderingIsStableSelfPairsFirst) {
  std::vector<PairRecord> pairs;
  for (auto [a, b, score] :
       {std::tuple{0, 1, 5}, {2, 2, 1}, {0, 3, 5}, {1, 1, 1}, {3, 3, 4}, {1, 2, 9}}) {
    pairs.emplace_back();
    std::tie(pairs.back().first, pairs.back().second, pairs.back().score) =
        std::tuple{a, b, score / 100.0};
  }
  orderPairs(pairs);
  EXPECT_EQ(members(pairs), (Members{{3, 3}, {2, 2}, {1, 1}, {1, 2}, {0, 1}, {0, 3}}));
}

// The fast counting must give the plain path's list bit for bit, including
// the full-list and redundancy decisions and a randomised training set.
TEST(PairList, FastPathMatchesPlainPathOnRandomNetworks) {
  std::mt19937 rng(2024);
  int shortened = 0;  // rounds in which redundancy or the capacity left pairs out
  for (int round = 0; round < 60; ++round) {
    const int genes = 8 + round % 25;
    const int elements = 2 + round % 9;
    Network net = testing::randomNetwork(rng, genes, genes * (1 + round % 3), elements,
                                         0.15 + 0.05 * (round % 5));
    if (net.training.empty()) continue;
    int count = static_cast<int>(net.training.size());
    if (round % 3 == 0) {
      shuffleInteractions(net.training, count);
      rebuildInteractionRows(net.genes, net.n(), net.training, count);
    }
    const int queue = round % 4 == 0 ? 2 : (round % 4 == 1 ? 5 : 500);
    Network copy = net;
    PairList fast, plain;
    std::ostringstream fastOut, plainOut;
    const int64_t e1 =
        buildPairList(net.genes, net.n(), elements, fast, queue, net.training, count, fastOut);
    const int64_t e2 = buildPairList(copy.genes, copy.n(), elements, plain, queue, copy.training,
                                     count, plainOut, ScoringPath::Plain);
    ASSERT_EQ(e1, e2);
    ASSERT_EQ(fastOut.str(), plainOut.str());
    ASSERT_EQ(fast.length(), plain.length()) << "round " << round;
    if (fast.length() < e1) ++shortened;
    for (int i = 0; i < fast.length(); ++i) {
      const PairRecord& f = fast.pairs[static_cast<size_t>(i)];
      const PairRecord& p = plain.pairs[static_cast<size_t>(i)];
      EXPECT_EQ(std::tie(f.first, f.second, f.score, f.supportingPositions, f.supportingBits),
                std::tie(p.first, p.second, p.score, p.supportingPositions, p.supportingBits));
    }
  }
  EXPECT_GT(shortened, 20);
}

}  // namespace
}  // namespace tav
