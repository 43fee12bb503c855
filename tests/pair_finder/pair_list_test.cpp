#include "pair_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
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
using testing::randomNetwork;

std::string six(double v) { return formatReal(v); }

std::vector<std::pair<int, int>> members(const PairList& list) {
  std::vector<std::pair<int, int>> out;
  for (const PairRecord& p : list.pairs) out.emplace_back(p.first, p.second);
  return out;
}

double scoreOf(Network& net, int a, int b) {
  setPresenceA(net.genes, net.n(), a);
  setPresenceB(net.genes, net.n(), b);
  return pairScore(net.genes, net.n(), net.training, static_cast<int>(net.training.size()));
}

TEST(PairScore, WorkedExamples) {
  Network five = fiveGenes(0, 1, 2);
  EXPECT_EQ(six(scoreOf(five, 0, 1)), "0.0441116");
  EXPECT_EQ(six(scoreOf(five, 0, 2)), "0.0145746");
  EXPECT_EQ(six(scoreOf(five, 1, 2)), "0.00122718");
  for (int e = 0; e < 3; ++e) EXPECT_EQ(scoreOf(five, e, e), 0.0);

  // g1 {a}, g2 {b}, g3 {}: g1-g2, g2-g3.
  Network three = makeNetwork({{0}, {1}, {}}, 2, {{0, 1}, {1, 2}});
  EXPECT_EQ(six(scoreOf(three, 0, 1)), "0.0937041");
  EXPECT_EQ(scoreOf(three, 0, 0), 0.0);
}

TEST(PairList, FiveGeneExampleKeepsOnlyPairsNotExplainedByStrongerOnes) {
  // Elements in the order a, b, d: (a, b) comes first and explains the rest.
  // In the order d, a, b: (a, d) and (b, d) enter first and are removed when
  // (a, b) arrives above them.
  struct Case {
    int a, b, d;
    std::vector<std::pair<int, int>> kept;
  };
  for (const Case& c : {Case{0, 1, 2, {{0, 1}, {0, 0}, {1, 1}, {2, 2}}},
                        Case{1, 2, 0, {{1, 2}, {0, 0}, {1, 1}, {2, 2}}}}) {
    for (ScoringPath path : {ScoringPath::Fast, ScoringPath::Plain}) {
      Network net = fiveGenes(c.a, c.b, c.d);
      PairList list;
      std::ostringstream out;
      EXPECT_EQ(build(net, list, 500, out, path), 6);
      EXPECT_EQ(members(list), c.kept);
      EXPECT_EQ(six(list.pairs[0].score), "0.0441116");
      // Only G3-G5 and G1-G5 support (a, b).
      EXPECT_EQ(list.pairs[0].supportingCount, 2);
      EXPECT_EQ(list.pairs[0].restCount, 4);
      EXPECT_EQ(out.str(), "");
    }
  }
}

// Two disjoint copies of one motif: A{0}-B{1} and C{2}-D{3}, each with
// partners that carry nothing, so (0, 1) and (2, 3) score exactly alike.
Network twinPairs() {
  return makeNetwork({{0}, {1}, {}, {}, {2}, {3}, {}, {}}, 4,
                     {{0, 1}, {0, 2}, {1, 3}, {4, 5}, {4, 6}, {5, 7}});
}

TEST(PairList, EqualScoresKeepExaminationOrder) {
  Network net = twinPairs();
  ASSERT_EQ(scoreOf(net, 0, 1), scoreOf(net, 2, 3));
  ASSERT_GT(scoreOf(net, 0, 1), 0.0);
  PairList list;
  std::ostringstream out;
  build(net, list, 500, out);
  ASSERT_GE(list.length(), 2);
  EXPECT_EQ(members(list)[0], std::make_pair(0, 1));
  EXPECT_EQ(members(list)[1], std::make_pair(2, 3));

  // A one-place list keeps the first of the best pairs: an equal later
  // score is not offered.
  build(net, list, 1, out);
  EXPECT_EQ(members(list), (std::vector<std::pair<int, int>>{{0, 1}}));
}

TEST(PairList, FullListDropsItsLastPairAndRefusesWhatItCannotPlace) {
  Network net = twinPairs();
  std::ostringstream out;
  PairList list;
  startPairList(net.genes, net.n(), 4, 2, list);
  auto candidate = [&](int a, int b, double score) {
    PairCandidate c;
    c.first = a;
    c.second = b;
    c.score = score;
    c.baseCounts = countPair(net.genes, list.network, static_cast<int>(list.network.size()), a, b);
    return c;
  };
  EXPECT_EQ(insertPair(net.genes, net.n(), candidate(0, 0, 0.0), list, out), 0);
  EXPECT_EQ(insertPair(net.genes, net.n(), candidate(1, 1, 0.0), list, out), 1);
  // Full: a zero score cannot go anywhere.
  EXPECT_EQ(insertPair(net.genes, net.n(), candidate(2, 2, 0.0), list, out), -1);
  EXPECT_EQ(list.length(), 2);
  // A real pair goes on top and pushes (1, 1) out.
  EXPECT_EQ(insertPair(net.genes, net.n(), candidate(0, 1, scoreOf(net, 0, 1)), list, out), 0);
  EXPECT_EQ(members(list), (std::vector<std::pair<int, int>>{{0, 1}, {0, 0}}));
}

TEST(PairList, ProgressLineAfterEveryThousandPairs) {
  // 45 elements: 1035 pairs, one progress line.
  std::vector<std::vector<int32_t>> elements(4);
  for (int e = 0; e < 45; ++e) elements[static_cast<size_t>(e % 4)].push_back(e);
  Network net = makeNetwork(elements, 45, {{0, 1}, {1, 2}, {2, 3}});
  PairList list;
  std::ostringstream out;
  EXPECT_EQ(build(net, list, 3, out), 1035);
  EXPECT_EQ(out.str(), "1000 Sequence Element pairs have been examined so far...\n");
}

TEST(PairList, EveryInsertionRepeatsTheTruncationMessage) {
  // 250 genes all connected: 31125 edges, beyond the 30000 the lists hold.
  std::vector<std::vector<int32_t>> elements(250);
  elements[0] = {0};
  elements[1] = {1};
  std::vector<std::pair<int, int>> edges;
  for (int i = 0; i < 250; ++i) {
    for (int j = i + 1; j < 250; ++j) edges.emplace_back(i, j);
  }
  Network net = makeNetwork(elements, 2, edges);
  ASSERT_EQ(net.training.size(), 30000u);
  PairList list;
  std::ostringstream out;
  buildPairList(net.genes, net.n(), 2, list, 500, net.training, 30000, out);
  const std::string message =
      "More than 30000 interactions were found. The rest will be ignored.\n";
  std::string expected;
  for (int i = 0; i < list.length(); ++i) expected += message;
  EXPECT_GE(list.length(), 1);
  EXPECT_EQ(out.str(), expected);
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

TEST(PairList, SplitMarksExactlyTheSupportingInteractions) {
  std::mt19937 rng(11);
  for (int round = 0; round < 20; ++round) {
    // Sparse and dense supporting sets take different storage.
    Network net = randomNetwork(rng, 30, 40 + 20 * round, 4, 0.1 + 0.03 * round);
    PairRecord pair;
    pair.first = round % 4;
    pair.second = std::max(pair.first, (round / 4) % 4);
    splitSupporting(net.genes, net.training, pair);
    int supporting = 0;
    std::vector<size_t> visited;
    pair.forEachSupporting([&](size_t i) { visited.push_back(i); });
    for (size_t i = 0; i < net.training.size(); ++i) {
      const bool expected = supportsPair(net.genes, net.training[i], pair.first, pair.second);
      EXPECT_EQ(pair.supports(i), expected);
      if (expected) {
        ASSERT_LT(static_cast<size_t>(supporting), visited.size());
        EXPECT_EQ(visited[static_cast<size_t>(supporting++)], i);
      }
    }
    EXPECT_EQ(pair.supportingCount, supporting);
    EXPECT_EQ(pair.restCount + pair.supportingCount, static_cast<int>(net.training.size()));
  }
}

TEST(PairList, OrderingIsStableSelfPairsFirst) {
  std::vector<PairRecord> pairs;
  for (auto [a, b, score] :
       {std::tuple{0, 1, 5}, {2, 2, 1}, {0, 3, 5}, {1, 1, 1}, {3, 3, 4}, {1, 2, 9}}) {
    pairs.emplace_back();
    pairs.back().first = a;
    pairs.back().second = b;
    pairs.back().score = score / 100.0;
  }
  orderPairs(pairs);
  PairList list;
  list.pairs = pairs;
  EXPECT_EQ(members(list),
            (std::vector<std::pair<int, int>>{{3, 3}, {2, 2}, {1, 1}, {1, 2}, {0, 1}, {0, 3}}));
}

// The fast counting must give the plain path's list bit for bit, including
// the full-list and redundancy decisions and a randomised training set.
TEST(PairList, FastPathMatchesPlainPathOnRandomNetworks) {
  std::mt19937 rng(2024);
  int shortened = 0;  // rounds in which redundancy or the capacity left pairs out
  for (int round = 0; round < 60; ++round) {
    const int genes = 8 + round % 25;
    const int elements = 2 + round % 9;
    Network net =
        randomNetwork(rng, genes, genes * (1 + round % 3), elements, 0.15 + 0.05 * (round % 5));
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
