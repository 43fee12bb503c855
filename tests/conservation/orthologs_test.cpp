#include "orthologs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "conservation_test_util.h"

namespace tav {
namespace {

using testing::nucleotideRecord;

struct Organisms {
  std::vector<SequenceRecord> one;
  std::vector<SequenceRecord> two;
};

Organisms makeOrganisms(const std::vector<std::string>& names1,
                        const std::vector<std::string>& names2) {
  Organisms o;
  for (const auto& n : names1) o.one.push_back(nucleotideRecord(n, "ACGT"));
  for (const auto& n : names2) o.two.push_back(nucleotideRecord(n, "ACGT"));
  return o;
}

// Each pair as (organism, index) of its two members: 1 or 2, then the index.
using Member = std::pair<int, int>;
std::vector<std::pair<Member, Member>> describe(const Organisms& o,
                                                const std::vector<OrthologPair>& pairs) {
  auto where = [&](const SequenceRecord* r) -> Member {
    for (size_t i = 0; i < o.one.size(); ++i)
      if (&o.one[i] == r) return {1, static_cast<int>(i)};
    for (size_t i = 0; i < o.two.size(); ++i)
      if (&o.two[i] == r) return {2, static_cast<int>(i)};
    return {0, -1};
  };
  std::vector<std::pair<Member, Member>> d;
  for (const auto& p : pairs) d.push_back({where(p.first), where(p.second)});
  return d;
}

int read(const std::string& text, const Organisms& o, std::vector<OrthologPair>& pairs) {
  std::istringstream in(text);
  return readOrthologs(in, pairs, o.one, static_cast<int>(o.one.size()), o.two,
                       static_cast<int>(o.two.size()));
}

TEST(ReadOrthologs, HeaderIsSkippedAndNamesPairAcrossLineBreaks) {
  const Organisms o = makeOrganisms({"a1", "b1", "c1"}, {"a2", "b2", "c2"});
  std::vector<OrthologPair> pairs;
  // The first line holds a pair but is the header; "b1 b2 c1" pairs its third
  // name with the first of the next line.
  EXPECT_EQ(read("a1\ta2\nb1 b2 c1\n\n  c2\r\na1\ta2", o, pairs), 3);
  using P = std::pair<Member, Member>;
  EXPECT_EQ(describe(o, pairs),
            (std::vector<P>{{{1, 1}, {2, 1}}, {{1, 2}, {2, 2}}, {{1, 0}, {2, 0}}}));
  // A lone last name has no partner.
  EXPECT_EQ(read("h\na1 a2\nb1", o, pairs), 1);
  // Header only, or an empty file.
  EXPECT_EQ(read("a1 a2\n", o, pairs), 0);
  EXPECT_EQ(read("", o, pairs), 0);
}

TEST(ReadOrthologs, ResolvesInOrganismOneFirstAndDropsUnknownNames) {
  // "x" is in both files (twice in organism 2), "y" twice in organism 1.
  const Organisms o = makeOrganisms({"y", "x", "y"}, {"x", "z", "x"});
  std::vector<OrthologPair> pairs;
  const std::string table =
      "Organism1\tOrganism2\n"
      "x\tx\n"        // both to organism 1's x
      "z\ty\n"        // columns in either order
      "y\tmissing\n"  // dropped silently
      "ghost\tz\n"    // dropped
      "z\tz\n"        // kept, both the same record
      "z\ty\n";       // repeated pairs count twice
  EXPECT_EQ(read(table, o, pairs), 4);
  using P = std::pair<Member, Member>;
  EXPECT_EQ(
      describe(o, pairs),
      (std::vector<P>{{{1, 1}, {1, 1}}, {{2, 1}, {1, 0}}, {{2, 1}, {2, 1}}, {{2, 1}, {1, 0}}}));
}

TEST(ReadOrthologs, RefusesOverLongNamesAndTooManyPairs) {
  const std::string longest(99, 'n');
  const Organisms o = makeOrganisms({longest, "a"}, {"b"});
  std::vector<OrthologPair> pairs;
  EXPECT_EQ(read("h\n" + longest + " b\n", o, pairs), 1);
  EXPECT_EQ(read("h\na b\n" + longest + "n b\n", o, pairs), kOrthologNameTooLong);
  // Even a name that would resolve nowhere, and a lone last one.
  EXPECT_EQ(read("h\na " + std::string(300, 'q') + "\n", o, pairs), kOrthologNameTooLong);
  EXPECT_EQ(read("h\na b\n" + std::string(100, 'q'), o, pairs), kOrthologNameTooLong);

  std::string full = "h\n";
  for (int i = 0; i < 30000; ++i) full += "a\tb\n";
  EXPECT_EQ(read(full, o, pairs), 30000);
  // Unresolved pairs do not count against the limit.
  EXPECT_EQ(read(full + "a\tnone\n", o, pairs), 30000);
  EXPECT_EQ(read(full + "b\ta\n", o, pairs), kTooManyOrthologPairs);
}

}  // namespace
}  // namespace tav
