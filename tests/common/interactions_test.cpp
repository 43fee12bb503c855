#include "interactions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "random.h"

namespace tav {
namespace {

template <typename Record = GeneRecord>
std::vector<Record> makeTable(const std::vector<std::string>& names) {
  std::vector<Record> table(names.size());
  for (size_t i = 0; i < names.size(); ++i) table[i].name = names[i];
  return table;
}

template <typename Record>
int read(const std::string& text, std::vector<Record>& table, std::string* warning = nullptr,
         std::string_view listWord = "protein") {
  std::istringstream in(text);
  std::ostringstream out;
  int accepted = readInteractions(in, table, static_cast<int>(table.size()), listWord, out);
  if (warning != nullptr) *warning = out.str();
  return accepted;
}

std::string warningLine(int ignored, const std::string& listWord) {
  return "WARNING: " + std::to_string(ignored) +
         " interactions were ignored because at least one of their nodes were not found in the " +
         listWord + " list or the interactions were duplicate or self-interaction. \n";
}

TEST(ReadInteractions, AcceptsNewPairsAndCountsTheRest) {
  auto genes = makeTable({"A", "B"});
  std::string warning;
  // Repeat in reverse order, self-interaction and an unknown name.
  EXPECT_EQ(read("A\tB\nB\tA\nA\tA\nA\tX\n", genes, &warning), 1);
  EXPECT_EQ(warning, warningLine(3, "protein"));
  EXPECT_EQ(genes[0].neighbors, std::vector<int32_t>{1});
  EXPECT_EQ(genes[1].neighbors, std::vector<int32_t>{0});
  EXPECT_EQ(genes[0].interactionCount, 1);
  EXPECT_EQ(genes[1].interactionCount, 1);

  auto sequences = makeTable<SequenceRecord>({"A", "B"});
  EXPECT_EQ(read("", sequences, &warning, "sequence"), 0);
  EXPECT_EQ(warning, warningLine(0, "sequence"));
}

TEST(ReadInteractions, NamesMatchExactlyAndFirstRecordWins) {
  auto genes = makeTable({"A", "B", "A", "b"});
  EXPECT_EQ(read("a B\nA B\nA b\n", genes), 2);
  EXPECT_EQ(genes[0].neighbors, (std::vector<int32_t>{1, 3}));
  EXPECT_TRUE(genes[2].neighbors.empty());
  EXPECT_EQ(genes[2].interactionCount, 0);
}

TEST(ReadInteractions, WordsAreTakenInTwosAcrossLines) {
  auto genes = makeTable({"A", "B", "C", "D"});
  // A third column shifts the later pairs; the last word lacks a line break.
  EXPECT_EQ(read("A B C\nD  \t A\r\nB", genes), 2);
  EXPECT_TRUE(genes[0].connectedTo(1));
  EXPECT_TRUE(genes[2].connectedTo(3));
  EXPECT_FALSE(genes[0].connectedTo(3));

  // A lone last word is not a pair.
  auto other = makeTable({"A", "B", "C"});
  std::string warning;
  EXPECT_EQ(read("A B\nC", other, &warning), 1);
  EXPECT_EQ(warning, warningLine(0, "protein"));
}

TEST(ReadInteractions, OverlongWordNamesNoRecord) {
  const std::string longest(999, 'n');
  const std::string beyond(1000, 'x');
  auto genes = makeTable({longest, beyond, "B"});
  // The reader keeps 1000 characters of a longer word; they must not match.
  EXPECT_EQ(read(beyond + "y B\n" + longest + " B\n", genes), 1);
  EXPECT_TRUE(genes[0].connectedTo(2));
  EXPECT_FALSE(genes[1].connectedTo(2));
  auto short_ = makeTable({"A", "B"});
  EXPECT_EQ(read(std::string(200000, 'A') + " B\nA B\n", short_), 1);
}

TEST(ReadInteractions, SecondReadRewritesRowsAndAddsToCounts) {
  auto genes = makeTable({"A", "B", "C"});
  read("A B\nB C\n", genes);
  EXPECT_EQ(read("C A\n", genes), 1);
  EXPECT_EQ(genes[0].neighbors, std::vector<int32_t>{2});
  EXPECT_EQ(genes[1].neighbors, std::vector<int32_t>{});
  EXPECT_EQ(genes[0].interactionCount, 2);
  EXPECT_EQ(genes[1].interactionCount, 2);
  EXPECT_EQ(genes[2].interactionCount, 2);
}

TEST(RemoveLoners, DropsNodesOfIgnoredPairsOnly) {
  auto genes = makeTable({"A", "L1", "B", "C", "L2"});
  read("A B\nL1 L1\nC B\nL2 X\nA B\n", genes);
  EXPECT_EQ(removeLoners(genes, 5), 3);
  ASSERT_EQ(genes.size(), 3u);
  EXPECT_EQ(genes[0].name, "A");
  EXPECT_EQ(genes[1].name, "B");
  EXPECT_EQ(genes[2].name, "C");
  // Indices have moved: the second read sees the new positions (rows sorted).
  EXPECT_EQ(read("C B\nA B\n", genes), 2);
  EXPECT_EQ(genes[1].neighbors, (std::vector<int32_t>{0, 2}));
}

TEST(FindNames, FirstMatchOrNotFound) {
  auto genes = makeTable({"A", "B", "A"});
  EXPECT_EQ(findGene("A", genes, 3), 0);
  EXPECT_EQ(findGene("B", genes, 1), -1);
  EXPECT_EQ(findGene("a", genes, 3), -1);
  std::vector<std::string> elements{"@AC", "%AC", "@AC"};
  EXPECT_EQ(findElement("%AC", elements, 3), 1);
  EXPECT_EQ(findElement("@AC", elements, 3), 0);
  EXPECT_EQ(findElement("AC", elements, 3), 3);
}

TEST(BuildTrainingSet, OrderSelfEdgesAndExclusion) {
  auto genes = makeTable({"A", "B", "C", "D"});
  genes[0].neighbors = {2, 3};
  genes[1].neighbors = {1, 2};  // self-edge
  genes[2].neighbors = {0, 1};
  genes[3].neighbors = {0};
  std::vector<InteractionPair> list;
  std::ostringstream out;
  ASSERT_EQ(buildTrainingSet(genes, 4, list, out), 4);
  std::vector<std::pair<int, int>> got;
  for (const auto& p : list) got.emplace_back(p.first, p.second);
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{0, 2}, {0, 3}, {1, 1}, {1, 2}}));

  genes[2].excluded = true;
  ASSERT_EQ(buildTrainingSet(genes, 4, list, out), 2);
  EXPECT_EQ(list[0].second, 3);
  EXPECT_EQ(list[1].first, 1);
  EXPECT_EQ(list[1].second, 1);
  EXPECT_EQ(out.str(), "");
}

// A star: node 0 joined to `leaves` others.
std::vector<GeneRecord> star(int leaves) {
  std::vector<GeneRecord> genes(static_cast<size_t>(leaves) + 1);
  for (int i = 1; i <= leaves; ++i) {
    genes[0].neighbors.push_back(i);
    genes[static_cast<size_t>(i)].neighbors.push_back(0);
  }
  return genes;
}

TEST(BuildTrainingSet, KeepsTheFirst30000Edges) {
  std::vector<InteractionPair> list;
  auto exact = star(30000);
  std::ostringstream quiet;
  EXPECT_EQ(buildTrainingSet(exact, 30001, list, quiet), 30000);
  EXPECT_EQ(quiet.str(), "");

  auto over = star(30001);
  std::ostringstream out;
  EXPECT_EQ(buildTrainingSet(over, 30002, list, out), 30000);
  EXPECT_EQ(list.back().second, 30000);
  const std::string message = "More than 30000 interactions were found. The rest will be ignored.\n";
  EXPECT_EQ(out.str(), message);
  buildTrainingSet(over, 30002, list, out);
  EXPECT_EQ(out.str(), message + message);
}

std::vector<InteractionPair> pairs(std::vector<std::pair<int, int>> p) {
  std::vector<InteractionPair> list;
  for (auto [a, b] : p) list.push_back(InteractionPair{a, b});
  return list;
}

std::vector<std::pair<int, int>> asPairs(const std::vector<InteractionPair>& list) {
  std::vector<std::pair<int, int>> p;
  for (const auto& e : list) p.emplace_back(e.first, e.second);
  return p;
}

TEST(ShuffleInteractions, OnePairAndEmptyListDrawNothing) {
  seedRandom(7);
  const int firstDraw = drawRandom();
  seedRandom(7);
  auto one = pairs({{3, 5}});
  shuffleInteractions(one, 1);
  std::vector<InteractionPair> none;
  shuffleInteractions(none, 0);
  EXPECT_EQ(asPairs(one), (std::vector<std::pair<int, int>>{{3, 5}}));
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(drawRandom(), firstDraw);
}

TEST(ShuffleInteractions, TwoPairsExchangePartners) {
  bool seen[2] = {false, false};
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    seedRandom(seed);
    const int r = drawRandom() % 2;
    seen[r] = true;
    seedRandom(seed);
    auto list = pairs({{0, 1}, {2, 3}});
    shuffleInteractions(list, 2);
    if (r == 0) {
      EXPECT_EQ(asPairs(list), (std::vector<std::pair<int, int>>{{0, 3}, {2, 1}}));
    } else {
      EXPECT_EQ(asPairs(list), (std::vector<std::pair<int, int>>{{2, 1}, {0, 3}}));
    }
  }
  EXPECT_TRUE(seen[0] && seen[1]);
}

TEST(ShuffleInteractions, ThreePairsFollowTheDraws) {
  seedRandom(12345);
  const int r0 = drawRandom() % 3;
  const int r1 = drawRandom() % 2;
  std::vector<std::pair<int, int>> expected{{10, 11}, {20, 21}, {30, 31}};
  std::swap(expected[0], expected[static_cast<size_t>(r0)]);
  std::swap(expected[1], expected[static_cast<size_t>(1 + r1)]);
  const int keep = expected[0].second;
  expected[0].second = expected[1].second;
  expected[1].second = expected[2].second;
  expected[2].second = keep;

  seedRandom(12345);
  auto list = pairs({{10, 11}, {20, 21}, {30, 31}});
  shuffleInteractions(list, 3);
  EXPECT_EQ(asPairs(list), expected);
}

TEST(ShuffleInteractions, KeepsEveryDegree) {
  seedRandom(99);
  std::vector<InteractionPair> list;
  for (int i = 0; i < 500; ++i) list.push_back({drawRandom() % 40, drawRandom() % 40});
  auto degrees = [](const std::vector<InteractionPair>& l) {
    std::map<int, std::pair<int, int>> d;
    for (const auto& p : l) {
      ++d[p.first].first;
      ++d[p.second].second;
    }
    return d;
  };
  const auto before = degrees(list);
  const auto original = asPairs(list);
  for (int round = 0; round < 3; ++round) {
    shuffleInteractions(list, 500);
    EXPECT_EQ(degrees(list), before);
  }
  EXPECT_NE(asPairs(list), original);
}

TEST(RebuildInteractionRows, RowsEqualTheListWithRepeatsCollapsed) {
  auto genes = makeTable({"A", "B", "C"});
  genes[0].neighbors = {1, 2};
  genes[0].interactionCount = 2;
  auto list = pairs({{2, 1}, {0, 0}, {1, 2}, {1, 0}});
  rebuildInteractionRows(genes, 3, list, 4);
  EXPECT_EQ(genes[0].neighbors, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(genes[1].neighbors, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(genes[2].neighbors, (std::vector<int32_t>{1}));
  EXPECT_EQ(genes[0].interactionCount, 2);

  std::vector<InteractionPair> rebuilt;
  std::ostringstream out;
  EXPECT_EQ(buildTrainingSet(genes, 3, rebuilt, out), 3);
  EXPECT_EQ(asPairs(rebuilt), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {1, 2}}));
}

TEST(ShuffleElementAssociations, MovesWholeSetsAndKeepsCarrierCounts) {
  std::vector<GeneRecord> genes(30);
  seedRandom(5);
  for (auto& g : genes) {
    for (int e = 0; e < 12; ++e) {
      if (drawRandom() % 3 == 0) g.setElement(e);
    }
  }
  auto carriers = [](const std::vector<GeneRecord>& gs) {
    std::map<int, int> c;
    for (const auto& g : gs) for (int e : g.elements) ++c[e];
    return c;
  };
  auto sets = [](const std::vector<GeneRecord>& gs) {
    std::vector<std::vector<int32_t>> s;
    for (const auto& g : gs) s.push_back(g.elements);
    return s;
  };
  const auto carriersBefore = carriers(genes);
  auto setsBefore = sets(genes);
  seedRandom(77);
  shuffleElementAssociations(genes, 30);
  EXPECT_EQ(carriers(genes), carriersBefore);
  auto setsAfter = sets(genes);
  EXPECT_NE(setsAfter, setsBefore);
  std::sort(setsBefore.begin(), setsBefore.end());
  std::sort(setsAfter.begin(), setsAfter.end());
  EXPECT_EQ(setsAfter, setsBefore);

  std::vector<GeneRecord> two(2);
  two[0].setElement(4);
  seedRandom(3);
  const int r = drawRandom() % 2;
  seedRandom(3);
  shuffleElementAssociations(two, 2);
  EXPECT_EQ(two[r].elements, std::vector<int32_t>{4});
  EXPECT_TRUE(two[1 - r].elements.empty());
}

}  // namespace
}  // namespace tav
