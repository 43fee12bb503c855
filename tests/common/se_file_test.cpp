#include "se_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

std::vector<GeneRecord> genesNamed(const std::vector<std::string>& names) {
  std::vector<GeneRecord> genes(names.size());
  for (size_t i = 0; i < names.size(); ++i) genes[i].name = names[i];
  return genes;
}

struct ReadResult {
  int code = 0;
  std::vector<std::string> elements;
};

ReadResult readText(const std::string& text, std::vector<GeneRecord>& genes,
                    const std::string& filter = "") {
  std::istringstream in(text);
  ReadResult r;
  r.code = readSeFile(in, genes, static_cast<int>(genes.size()), r.elements, filter);
  return r;
}

using Ids = std::vector<int32_t>;

std::vector<SequenceRecord> sequencesNamed(const std::vector<std::string>& names) {
  std::vector<SequenceRecord> records(names.size());
  for (size_t i = 0; i < names.size(); ++i) records[i].name = names[i];
  return records;
}

std::string writeExample(bool strandMode) {
  auto records = sequencesNamed({"S1", "S2", "S3"});
  std::vector<SeOutputPair> pairs(2);
  pairs[0] = {"ACG", "T[CA]G", 0.0123456789, {1, 0, 1}, {1, 1, 0}};
  pairs[1] = {"GGG", "GGG", 1.5e-5, {0, 0, 1}, {0, 0, 1}};
  std::ostringstream out;
  writeSeFile(out, pairs, records, strandMode);
  return out.str();
}

TEST(WriteSeFile, ExactLayout) {
  EXPECT_EQ(writeExample(true),
            "$\tMOTIF1\tMOTIF2\t\tMI\n"
            "#\tACG\tT[CA]G\t\t0.0123457\n"
            "#\tGGG\tGGG\t\t1.5e-005\n"
            "$Gene\tMethod\tMotif\tStatus\n"
            "S1\tTavrinSE_N\t@ACG\tT\n"
            "S1\tTavrinSE_N\t@T[CA]G\tT\n"
            "S2\tTavrinSE_N\t@T[CA]G\tT\n"
            "S3\tTavrinSE_N\t@ACG\tT\n"
            "S3\tTavrinSE_N\t@GGG\tT\n"
            "S3\tTavrinSE_N\t@GGG\tT\n");
  std::ostringstream empty;
  writeSeFile(empty, {}, sequencesNamed({"S1"}), false);
  EXPECT_EQ(empty.str(), "$\tMOTIF1\tMOTIF2\t\tMI\n$Gene\tMethod\tMotif\tStatus\n");
}

TEST(SeRoundTrip, WrittenFileReadsBackUnlessAnotherMethodIsAsked) {
  const std::string file = writeExample(false);
  for (const std::string filter : {"", "TavrinSE_N"}) {
    auto genes = genesNamed({"S3", "X", "S1", "S2"});
    ReadResult r = readText(file, genes, filter);
    ASSERT_EQ(r.code, 3);
    EXPECT_EQ(r.elements, (std::vector<std::string>{"%ACG", "%T[CA]G", "%GGG"}));
    EXPECT_EQ(genes[0].elements, (Ids{0, 2}));
    EXPECT_TRUE(genes[1].elements.empty());
    EXPECT_EQ(genes[2].elements, (Ids{0, 1}));
    EXPECT_EQ(genes[3].elements, (Ids{1}));
  }
  auto genes = genesNamed({"S1", "S2", "S3"});
  ReadResult r = readText(file, genes, "tavrinSE_N");
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.elements.empty());
  for (const auto& g : genes) EXPECT_TRUE(g.elements.empty());
}

TEST(SeRoundTrip, StrandMarksMakeDistinctElements) {
  auto genes = genesNamed({"S1", "S2", "S3"});
  ReadResult r = readText(writeExample(true) + writeExample(false), genes);
  ASSERT_EQ(r.code, 6);
  EXPECT_EQ(r.elements[0], "@ACG");
  EXPECT_EQ(r.elements[3], "%ACG");
  EXPECT_EQ(genes[0].elements, (Ids{0, 1, 3, 4}));
}

TEST(ReadSeFile, UnknownGenesAndOnlyTheFirstNGenes) {
  auto genes = genesNamed({"g1", "g2", "g1", "late"});
  std::istringstream in(
      "ghost\tM\tonlyGhost\tT\n"
      "G1 M lowerCaseGene T\n"
      "g1 M e1 T\n"
      "late M e2 T\n"
      "g2 M e3 T\n");
  std::vector<std::string> elements;
  // "late" lies beyond the first three genes.
  EXPECT_EQ(readSeFile(in, genes, 3, elements, ""), 2);
  EXPECT_EQ(elements, (std::vector<std::string>{"e1", "e3"}));
  EXPECT_EQ(genes[0].elements, (Ids{0}));
  EXPECT_EQ(genes[1].elements, (Ids{1}));
  EXPECT_TRUE(genes[2].elements.empty());
  EXPECT_TRUE(genes[3].elements.empty());
}

TEST(ReadSeFile, StatusIsOneCharacterAndTheRestStartsANewField) {
  auto genes = genesNamed({"A", "B"});
  ReadResult r = readText(
      "A M f F\n"
      "A M t t\n"
      "A M x1 True\n"      // accepted on its first letter
      "B M x2 TB M x3 T\n"  // the rest "B" starts another association
      "A M x1 T\n",
      genes);
  ASSERT_EQ(r.code, 3);
  EXPECT_EQ(r.elements, (std::vector<std::string>{"x1", "x2", "x3"}));
  EXPECT_EQ(genes[0].elements, (Ids{0}));
  EXPECT_EQ(genes[1].elements, (Ids{1, 2}));
}

TEST(ReadSeFile, LayoutVariantsAreAccepted) {
  auto genes = genesNamed({"A", "B"});
  ReadResult r = readText(
      "$Gene Method Motif Status\r\n"
      "\r\n"
      "\n"
      "   A  \t\t M \t ~PX  T\r\n"
      "#\tignored\tA M hidden T\n"
      "B\tM\t@AC\tT",  // no final line break
      genes);
  ASSERT_EQ(r.code, 2);
  EXPECT_EQ(r.elements, (std::vector<std::string>{"~PX", "@AC"}));
  EXPECT_EQ(genes[1].elements, (Ids{1}));

  auto again = genesNamed({"A"});
  EXPECT_EQ(readText("$\tMOTIF1\tMOTIF2\t\tMI\n#\tAC\tGT\t\t0.5\n$Gene\tMethod\tMotif\tStatus\n",
                     again).code,
            0);
  EXPECT_EQ(readText("", again).code, 0);
}

TEST(ReadSeFile, LineCutShortAtTheEndMakesNoAssociation) {
  for (const std::string tail : {"B", "B M", "B M e2", "B M e2 "}) {
    auto genes = genesNamed({"A", "B"});
    ReadResult r = readText("A M e1 T\n" + tail, genes);
    EXPECT_EQ(r.code, 1) << tail;
    EXPECT_TRUE(genes[1].elements.empty()) << tail;
  }
}

TEST(ReadSeFile, OverlongFieldsAreRefused) {
  auto genes = genesNamed({"A"});
  const std::string fits(999, 'e');
  const std::string over(1000, 'e');
  ReadResult ok = readText("A " + fits + " " + fits + " T\n", genes);
  ASSERT_EQ(ok.code, 1);
  EXPECT_EQ(ok.elements[0], fits);
  EXPECT_EQ(readText("A M " + over + " T\n", genes).code, kSeFieldTooLong);
  EXPECT_EQ(readText("A " + over + " e T\n", genes).code, kSeFieldTooLong);
  // An over-long first field names no gene; skipped lines may be of any length.
  EXPECT_EQ(readText(std::string(5000, 'A') + " M e T\n#" + std::string(50000, 'x') +
                         "\nA M e T\n",
                     genes)
                .code,
            1);
}

TEST(ReadSeFile, ElementCapacity) {
  auto build = [](int distinct) {
    std::string text;
    for (int i = 0; i < distinct; ++i) text.append("A M e").append(std::to_string(i)).append(" T\n");
    return text;
  };
  auto genes = genesNamed({"A"});
  // Repeats of known elements never count against the limit.
  EXPECT_EQ(readText(build(30000) + "A M e0 T\nA M e29999 T\n", genes).code, 30000);
  EXPECT_EQ(genes[0].elements.size(), 30000u);
  auto more = genesNamed({"A"});
  EXPECT_EQ(readText(build(30001), more).code, kSeTooManyElements);
}

TEST(ReadSeFile, ErrorMessages) {
  EXPECT_EQ(seReadErrorMessage(kSeTooManyElements, "x.se"),
            "ERROR: x.se contains more than 30000 sequence elements. Program aborted.");
  EXPECT_EQ(seReadErrorMessage(kSeFieldTooLong, "x.se"),
            "ERROR: x.se contains a field longer than 999 characters. Program aborted.");
  EXPECT_EQ(seReadErrorMessage(3, "x.se"), "");
}

}  // namespace
}  // namespace tav
