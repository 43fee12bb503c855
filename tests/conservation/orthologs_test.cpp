#include "orthologs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "conservation_test_util.h"

namespace tav {
namespace {

using testing::nucleotideRecord;

// Organism 1's i-th record is i + 1 letters long, organism 2's 10 + i.
struct Organisms {
  std::vector<SequenceRecord> one;
  std::vector<SequenceRecord> two;
};

Organisms makeOrganisms(const std::vector<std::string>& names1,
                        const std::vector<std::string>& names2) {
  Organisms o;
  for (const auto& n : names1)
    o.one.push_back(nucleotideRecord(n, std::string(o.one.size() + 1, 'A')));
  for (const auto& n : names2)
    o.two.push_back(nucleotideRecord(n, std::string(o.two.size() + 10, 'A')));
  return o;
}

// The pairs read, each as the lengths of its two records.
std::string read(const std::string& text, const Organisms& o) {
  std::istringstream in(text);
  std::vector<OrthologPair> pairs;
  const int count = readOrthologs(in, pairs, o.one, static_cast<int>(o.one.size()), o.two,
                                  static_cast<int>(o.two.size()));
  std::string s = std::to_string(count) + ":";
  for (const auto& p : pairs) {
    s.append(" ").append(std::to_string(p.first->length));
    s.append("-").append(std::to_string(p.second->length));
  }
  return s;
}

TEST(ReadOrthologs, HeaderIsSkippedAndNamesPairAcrossLineBreaks) {
  const Organisms o = makeOrganisms({"a1", "b1", "c1"}, {"a2", "b2", "c2"});
  // The first line holds a pair but is the header; "b1 b2 c1" pairs its third
  // name with the first of the next line.
  EXPECT_EQ(read("a1\ta2\nb1 b2 c1\n\n  c2\r\na1\ta2", o), "3: 2-11 3-12 1-10");
  EXPECT_EQ(read("h\na1 a2\nb1", o), "1: 1-10");  // a lone last name has no partner
  EXPECT_EQ(read("a1 a2\n", o), "0:");
  EXPECT_EQ(read("", o), "0:");
}

TEST(ReadOrthologs, ResolvesInOrganismOneFirstAndDropsUnknownNames) {
  // "x" is in both files (twice in organism 2), "y" twice in organism 1.
  const Organisms o = makeOrganisms({"y", "x", "y"}, {"x", "z", "x"});
  const std::string table =
      "Organism1\tOrganism2\n"
      "x\tx\n"        // both to organism 1's x
      "z\ty\n"        // columns in either order
      "y\tmissing\n"  // dropped silently
      "ghost\tz\n"    // dropped
      "z\tz\n"        // kept, both the same record
      "z\ty\n";       // repeated pairs count twice
  EXPECT_EQ(read(table, o), "4: 2-2 11-1 11-11 11-1");
}

TEST(ReadOrthologs, RefusesOverLongNamesAndTooManyPairs) {
  const std::string longest(99, 'n');
  const Organisms o = makeOrganisms({longest, "a"}, {"b"});
  const std::string tooLong = std::to_string(kOrthologNameTooLong) + ":";
  EXPECT_EQ(read("h\n" + longest + " b\n", o), "1: 1-10");
  EXPECT_EQ(read("h\na b\n" + longest + "n b\n", o).substr(0, tooLong.size()), tooLong);
  // Even a name that would resolve nowhere, and a lone last one.
  EXPECT_EQ(read("h\na " + std::string(300, 'q') + "\n", o).substr(0, tooLong.size()), tooLong);
  EXPECT_EQ(read("h\na b\n" + std::string(100, 'q'), o).substr(0, tooLong.size()), tooLong);

  std::string full = "h\n";
  for (int i = 0; i < 30000; ++i) full += "a\tb\n";
  EXPECT_EQ(read(full, o).substr(0, 6), "30000:");
  // Unresolved pairs do not count against the limit.
  EXPECT_EQ(read(full + "a\tnone\n", o).substr(0, 6), "30000:");
  EXPECT_EQ(read(full + "b\ta\n", o).substr(0, 3), std::to_string(kTooManyOrthologPairs) + ":");
}

}  // namespace
}  // namespace tav
