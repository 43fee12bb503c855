#include "se_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace tav {
namespace {

using test::named;

// "code: elements, | element sets of the genes"
std::string readInto(const std::string& text, std::vector<GeneRecord>& genes, int n,
                     const std::string& filter = "") {
  std::istringstream in(text);
  test::Texts elements;
  std::string s = std::to_string(readSeFile(in, genes, n, elements, filter)) + ":";
  for (const std::string& e : elements) s += " " + e + ",";
  return s + " | " + test::rows(genes, &GeneRecord::elements);
}

std::string writeExample(bool strandMode) {
  std::vector<SeOutputPair> pairs(2);
  pairs[0] = {"ACG", "T[CA]G", 0.0123456789, {1, 0, 1}, {1, 1, 0}};
  pairs[1] = {"GGG", "GGG", 1.5e-5, {0, 0, 1}, {0, 0, 1}};
  std::ostringstream out;
  writeSeFile(out, pairs, named<SequenceRecord>({"S1", "S2", "S3"}), strandMode);
  return out.str();
}

TEST(SeRoundTrip, WrittenFileReadsBackUnlessAnotherMethodIsAsked) {
  const std::string file = writeExample(false);
  for (const std::string filter : {"", "TavrinSE_N"}) {
    auto genes = named({"S3", "X", "S1", "S2"});
    EXPECT_EQ(readInto(file, genes, 4, filter), "3: %ACG, %T[CA]G, %GGG, | 0,2||0,1|1");
  }
  auto genes = named({"S1", "S2", "S3"});
  EXPECT_EQ(readInto(file, genes, 3, "tavrinSE_N"), "0: | ||");
  // strand marks make distinct elements
  EXPECT_EQ(readInto(writeExample(true) + writeExample(false), genes, 3),
            "6: @ACG, @T[CA]G, @GGG, %ACG, %T[CA]G, %GGG, | 0,1,3,4|1,4|0,2,3,5");
}

TEST(ReadSeFile, AssociationsOfKnownGenesWithStatusT) {
  const std::string fits(999, 'e');
  const std::string over(1000, 'e');
  // Genes A, B, A, C of which only the first three are read.
  const std::pair<std::string, std::string> cases[] = {
      {"ghost\tM\tonlyGhost\tT\na M lowerCaseGene T\nA M e1 T\nC M e2 T\nB M e3 T\n",
       "2: e1, e3, | 0|1||"},
      // the status is one character and the rest starts a new field
      {"A M f F\nA M t t\nA M x1 True\nB M x2 TB M x3 T\nA M x1 T\n", "3: x1, x2, x3, | 0|1,2||"},
      // blank lines, CR LF, runs of blanks and tabs, '$' and '#' lines, no
      // final line break
      {"$Gene Method Motif Status\r\n\r\n\n   A  \t\t M \t ~PX  T\r\n#\tignored\tA M hidden T\n"
       "B\tM\t@AC\tT",
       "2: ~PX, @AC, | 0|1||"},
      {"$\tMOTIF1\tMOTIF2\t\tMI\n#\tAC\tGT\t\t0.5\n$Gene\tMethod\tMotif\tStatus\n", "0: | |||"},
      {"", "0: | |||"},
      // a line cut short at the end makes no association
      {"A M e1 T\nB", "1: e1, | 0|||"},
      {"A M e1 T\nB M", "1: e1, | 0|||"},
      {"A M e1 T\nB M e2", "1: e1, | 0|||"},
      {"A M e1 T\nB M e2 ", "1: e1, | 0|||"},
      // fields of 999 characters fit; an over-long first field names no gene
      // and skipped lines may be of any length
      {"A " + fits + " " + fits + " T\n", "1: " + fits + ", | 0|||"},
      {std::string(5000, 'A') + " M e T\n#" + std::string(50000, 'x') + "\nA M e T\n",
       "1: e, | 0|||"},
  };
  for (const auto& [text, expected] : cases) {
    auto genes = named({"A", "B", "A", "C"});
    EXPECT_EQ(readInto(text, genes, 3), expected) << text.substr(0, 80);
  }
  for (const std::string& text : {"A M " + over + " T\n", "A " + over + " e T\n"}) {
    auto genes = named({"A"});
    std::istringstream in(text);
    test::Texts elements;
    EXPECT_EQ(readSeFile(in, genes, 1, elements, ""), kSeFieldTooLong);
  }
}

TEST(ReadSeFile, ElementCapacity) {
  std::string text;
  for (int i = 0; i < 30000; ++i) text.append("A M e").append(std::to_string(i)).append(" T\n");
  // Repeats of known elements never count against the limit.
  for (const auto& [extra, code] : {std::pair{"A M e0 T\nA M e29999 T\n", 30000},
                                    std::pair{"A M e30000 T\n", kSeTooManyElements}}) {
    auto genes = named({"A"});
    std::istringstream in(text + extra);
    test::Texts elements;
    EXPECT_EQ(readSeFile(in, genes, 1, elements, ""), code);
  }
}

}  // namespace
}  // namespace tav
