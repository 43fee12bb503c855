#include "reference_readers.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <sstream>
#include <string>

#include "test_support.h"

namespace tav {
namespace {

using Row = std::vector<int32_t>;

MotifMatrix ace(const std::string& text, const std::string& name = "m.ace") {
  std::istringstream in(text);
  MotifMatrix m;
  readAceFile(in, m, name);
  return m;
}

TEST(AceFile, SitesCountPerColumnUntilTheAsteriskLine) {
  MotifMatrix m = ace("title ACGT*\nAC.\nA-N\r\nTCa\n** end\nGGG\n", "abc.ace");
  EXPECT_EQ(m.closestName, "abc");
  EXPECT_EQ(m.columns + m.length, 6);
  // '.' and N allow every base, a gap none, lower-case a counts as A.
  EXPECT_EQ(m.counts, (std::array<Row, 4>{Row{1, 0, 2}, Row{0, 2, 2}, Row{0, 0, 2}, Row{2, 0, 3}}));
  EXPECT_TRUE(m.masks.empty());
  EXPECT_EQ(ace("t\nACGTAC\n", "site.old.ace").closestName, "site");
  EXPECT_EQ(ace("title\n*\nACGT\n").columns + ace("").columns, 0);
  // A last site line without a line break still counts.
  EXPECT_EQ(ace("t\nACGTAC\nACGTAA").counts[3], (Row{2, 0, 0, 0, 2, 1}));
  // Each site line sets the width; a longer one widens the rows, earlier
  // sites leaving zeros.
  m = ace("t\nACGTAC\nACG\n*\n");
  EXPECT_EQ(m.columns, 3);
  EXPECT_EQ(m.counts[3], (Row{2, 0, 0, 0, 1, 0}));
  EXPECT_EQ(ace("t\nACGTAC\n\n*\n").columns, 0);
  m = ace("t\nAC\nACGTTT\n");
  EXPECT_EQ(m.columns, 6);
  EXPECT_EQ(m.counts[0], (Row{0, 0, 0, 1, 1, 1}));
}

TEST(JasparFile, HeadersRowsAndCounts) {
  std::istringstream in(
      "A [ 9 9 ]\n"  // before any header: skipped
      ">MA0001.1 Some name here\r\n"
      "A  [ 3 0 1 ]\n"
      "c  [1 2 3]\n"
      "\n"
      "G  3 4 5\n"  // no bracket: skipped
      "u  [ 0\t7 -4 2.9 x ]\n"
      ">MA0002\n"
      "T [ 1 1 1 1 1 1 ]\n"
      " [ 5 5 5 5 5 5 5 ]\n"
      "N [ 2 1 ");
  std::vector<MotifMatrix> refs(2);
  refs[0].closestName = "ace one";
  EXPECT_EQ(readJasparFile(in, refs, 2), 4);
  ASSERT_EQ(refs.size(), 4u);
  EXPECT_EQ(refs[0].closestName, "ace one");
  const MotifMatrix& first = refs[2];
  EXPECT_EQ(first.closestName, "Some name here");
  // The U row holds the counts "0\t7" (read as 0), -4 (nothing), 2.9 (2), x (0).
  EXPECT_EQ(first.columns, 4);
  EXPECT_EQ(first.counts[3], (Row{3, 0, 1, 0}));
  EXPECT_EQ(first.counts[1], (Row{1, 2, 3, 0}));
  EXPECT_EQ(first.counts[2], (Row{0, 0, 0, 0}));
  EXPECT_EQ(first.counts[0], (Row{0, 0, 2, 0}));
  const MotifMatrix& second = refs[3];
  EXPECT_EQ(second.closestName, "");
  // The blank row set the width to 7 but added nothing; the last row, cut
  // short without its bracket or line break, sets 2 and adds to every base.
  EXPECT_EQ(second.columns, 2);
  EXPECT_EQ(second.counts[0], (Row{3, 2, 1, 1, 1, 1, 0}));
  EXPECT_EQ(second.counts[2], (Row{2, 1, 0, 0, 0, 0, 0}));
}

TEST(JasparFile, CountsSaturateAndCapacity) {
  std::istringstream huge(">x\nA [ 2000000000 ]\nA [ 2000000000 ]\n");
  std::vector<MotifMatrix> refs;
  ASSERT_EQ(readJasparFile(huge, refs, 0), 1);
  EXPECT_EQ(refs[0].counts[3][0], std::numeric_limits<int32_t>::max());
  // Matrices already read (from ACE files) count against the capacity.
  bool tooMany = true;
  std::istringstream two(">a\nA [ 1 ]\n>b\nA [ 1 ]\n");
  EXPECT_EQ(readJasparFile(two, refs, kMaxMotifs - 2, &tooMany), kMaxMotifs);
  EXPECT_FALSE(tooMany);
  std::istringstream three(">a\nA [ 1 ]\n>b\nA [ 1 ]\n>c\n");
  EXPECT_EQ(readJasparFile(three, refs, kMaxMotifs - 2, &tooMany), kMaxMotifs);
  EXPECT_TRUE(tooMany);
}

using AceFolder = testing::ScratchDir;

TEST_F(AceFolder, ListsRegularAceFilesInNameOrder) {
  put("b.ace", "t\nAAAAAA\n");
  put("a.ace", "t\nCCCCCC\n");
  put("C.ace", "t\nGGGGGG\n");
  put("notes.txt", "t\nTTTTTT\n");
  put("x.ace.bak", "t\nTTTTTT\n");
  std::filesystem::create_directory(dir_ / "d.ace");
  std::vector<MotifMatrix> refs;
  bool tooMany = true;
  EXPECT_EQ(readAceFolder(dir_.string(), refs, &tooMany), 3);
  EXPECT_FALSE(tooMany);
  ASSERT_EQ(refs.size(), 3u);
  EXPECT_EQ(refs[0].closestName + refs[1].closestName + refs[2].closestName, "Cab");
  EXPECT_EQ(refs[2].counts[3], (Row{1, 1, 1, 1, 1, 1}));
}

TEST_F(AceFolder, MissingFolderAndCapacity) {
  std::vector<MotifMatrix> refs;
  EXPECT_EQ(readAceFolder((dir_ / "none").string(), refs), 0);
  EXPECT_EQ(readAceFolder(dir_.string(), refs), 0);
  put("a.ace", "t\nA\n");
  put("b.ace", "t\nC\n");
  put("c.ace", "t\nG\n");
  bool tooMany = false;
  EXPECT_EQ(readAceFolder(dir_.string(), refs, &tooMany, 2), 2);
  EXPECT_TRUE(tooMany);
}

}  // namespace
}  // namespace tav
