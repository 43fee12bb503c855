#include "interactions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace tav {
namespace {

using test::named;

// Reads `text` into `table`; returns "accepted/ignored rows" with the rows as
// test::rows gives them (the ignored count is the number the warning starts with).
template <typename Record>
std::string readInto(const std::string& text, std::vector<Record>& table,
                     const std::string& listWord = "protein") {
  std::istringstream in(text);
  std::ostringstream out;
  const int accepted = readInteractions(in, table, static_cast<int>(table.size()), listWord, out);
  const std::string warning = out.str();
  EXPECT_NE(warning.find(" list or the interactions were duplicate"), std::string::npos);
  return std::to_string(accepted) + "/" + std::to_string(std::atoi(warning.c_str() + 9)) + " " +
         test::rows(table, &Record::neighbors);
}

std::string readFresh(const test::Texts& names, const std::string& text) {
  auto genes = named(names);
  const std::string result = readInto(text, genes);
  for (const GeneRecord& g : genes) {
    EXPECT_EQ(g.interactionCount, static_cast<int>(g.neighbors.size())) << text;
  }
  return result;
}

TEST(ReadInteractions, AcceptsNewPairsOfKnownNamesAndCountsTheRest) {
  // A repeat in reverse order, a self-interaction, an unknown name.
  EXPECT_EQ(readFresh({"A", "B"}, "A\tB\nB\tA\nA\tA\nA\tX\n"), "1/3 1|0");
  // Exact names; the first record of a repeated name wins.
  EXPECT_EQ(readFresh({"A", "B", "A", "b"}, "a B\nA B\nA b\n"), "2/1 1,3|0||0");
  // Words are taken in twos across lines; a lone last word is no pair.
  EXPECT_EQ(readFresh({"A", "B", "C", "D"}, "A B C\nD  \t A\r\nB"), "2/1 1|0|3|2");
  EXPECT_EQ(readFresh({"A", "B", "C"}, "A B\nC"), "1/0 1|0|");
  // The reader keeps 1000 characters of a longer word: they name no record.
  const std::string longest(999, 'n');
  const std::string beyond(1000, 'x');
  EXPECT_EQ(readFresh({longest, beyond, "B"}, beyond + "y B\n" + longest + " B\n"), "1/1 2||0");
  EXPECT_EQ(readFresh({"A", "B"}, std::string(200000, 'A') + " B\nA B\n"), "1/1 1|0");
  auto sequences = named<SequenceRecord>({"A", "B"});
  EXPECT_EQ(readInto("", sequences, "sequence"), "0/0 |");
}

TEST(ReadInteractions, SecondReadRewritesRowsAndAddsToCounts) {
  auto genes = named({"A", "B", "C"});
  readInto("A B\nB C\n", genes);
  EXPECT_EQ(readInto("C A\n", genes), "1/0 2||0");
  for (const GeneRecord& g : genes) EXPECT_EQ(g.interactionCount, 2);
}

TEST(RemoveLoners, DropsNodesOfIgnoredPairsOnly) {
  auto genes = named({"A", "L1", "B", "C", "L2"});
  readInto("A B\nL1 L1\nC B\nL2 X\nA B\n", genes);
  EXPECT_EQ(removeLoners(genes, 5), 3);
  ASSERT_EQ(genes.size(), 3u);
  EXPECT_EQ(genes[0].name + genes[1].name + genes[2].name, "ABC");
  // Indices have moved: the second read sees the new positions (rows sorted).
  EXPECT_EQ(readInto("C B\nA B\n", genes), "2/0 1|0,2|1");
}

TEST(FindNames, FirstMatchOrNotFound) {
  auto genes = named({"A", "B", "A"});
  EXPECT_EQ(findGene("A", genes, 3), 0);
  EXPECT_EQ(findGene("B", genes, 1), -1);
  EXPECT_EQ(findGene("a", genes, 3), -1);
  const test::Texts elements{"@AC", "%AC", "@AC"};
  EXPECT_EQ(findElement("%AC", elements, 3), 1);
  EXPECT_EQ(findElement("@AC", elements, 3), 0);
  EXPECT_EQ(findElement("AC", elements, 3), 3);
}

// "a-b " per entry.
std::string text(const std::vector<InteractionPair>& list) {
  std::string s;
  for (const auto& p : list) s += std::to_string(p.first) + "-" + std::to_string(p.second) + " ";
  return s;
}

TEST(BuildTrainingSet, OrderSelfEdgesAndExclusion) {
  auto genes = named({"A", "B", "C", "D"});
  genes[0].neighbors = {2, 3};
  genes[1].neighbors = {1, 2};  // self-edge
  genes[2].neighbors = {0, 1};
  genes[3].neighbors = {0};
  std::vector<InteractionPair> list;
  std::ostringstream out;
  ASSERT_EQ(buildTrainingSet(genes, 4, list, out), 4);
  EXPECT_EQ(text(list), "0-2 0-3 1-1 1-2 ");
  genes[2].excluded = true;
  ASSERT_EQ(buildTrainingSet(genes, 4, list, out), 2);
  EXPECT_EQ(text(list), "0-3 1-1 ");
  EXPECT_EQ(out.str(), "");
}

TEST(BuildTrainingSet, KeepsTheFirst30000Edges) {
  const auto star = [](int leaves) {  // node 0 joined to `leaves` others
    std::vector<GeneRecord> genes(static_cast<size_t>(leaves) + 1);
    for (int i = 1; i <= leaves; ++i) {
      genes[0].neighbors.push_back(i);
      genes[static_cast<size_t>(i)].neighbors.push_back(0);
    }
    return genes;
  };
  std::vector<InteractionPair> list;
  std::ostringstream quiet;
  EXPECT_EQ(buildTrainingSet(star(30000), 30001, list, quiet), 30000);
  EXPECT_EQ(quiet.str(), "");
  std::ostringstream out;
  EXPECT_EQ(buildTrainingSet(star(30001), 30002, list, out), 30000);
  EXPECT_EQ(list.back().second, 30000);
  EXPECT_EQ(out.str(), "More than 30000 interactions were found. The rest will be ignored.\n");
}

TEST(RebuildInteractionRows, RowsEqualTheListWithRepeatsCollapsed) {
  auto genes = named({"A", "B", "C"});
  genes[0].neighbors = {1, 2};
  genes[0].interactionCount = 2;
  rebuildInteractionRows(genes, 3, {{2, 1}, {0, 0}, {1, 2}, {1, 0}}, 4);
  EXPECT_EQ(test::rows(genes, &GeneRecord::neighbors), "0,1|0,2|1");
  EXPECT_EQ(genes[0].interactionCount, 2);  // counts stay those of the file
  std::vector<InteractionPair> rebuilt;
  std::ostringstream out;
  EXPECT_EQ(buildTrainingSet(genes, 3, rebuilt, out), 3);
  EXPECT_EQ(text(rebuilt), "0-0 0-1 1-2 ");
}

}  // namespace
}  // namespace tav
