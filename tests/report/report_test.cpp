#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fasta.h"
#include "logo.h"
#include "motif.h"
#include "motif_card.h"
#include "reference_readers.h"
#include "se_file.h"

namespace tav {
namespace {

// "A2.000" per letter, bottom to top, columns separated by '|'.
std::string render(const std::vector<LogoColumn>& logo) {
  std::string s;
  for (const LogoColumn& column : logo) {
    if (!s.empty()) s += '|';
    for (const LogoLetter& letter : column.letters) {
      char height[16];
      std::snprintf(height, sizeof height, "%.3f", letter.height);
      s += letter.letter + std::string(height) + " ";
    }
  }
  return s;
}

TEST(ReportLogo, LetterHeightsAreInformationTimesFrequencySmallestAtTheBottom) {
  struct Case {
    std::array<std::vector<int32_t>, 4> counts;  // T, C, G, A
    const char* expected;
  } cases[] = {
      {{{{0}, {0}, {0}, {10}}}, "A2.000 "},
      {{{{5}, {5}, {5}, {5}}}, ""},  // no information, no letters
      {{{{0}, {0}, {0}, {0}}}, ""},  // no counts
      // G 1/4, A 3/4: 2 - H = 1.189 bits; the smaller letter stacks first.
      {{{{0}, {0}, {1}, {3}}}, "G0.297 A0.892 "},
      {{{{3, 0}, {0, 0}, {1, 2}, {0, 2}}}, "G0.297 T0.892 |G0.500 A0.500 "},
  };
  for (const Case& c : cases) EXPECT_EQ(render(logoFromCounts(c.counts)), c.expected);

  std::vector<LetterCode> masks;
  ASSERT_EQ(parseMotifMasks("T[CG]N", 100, symbolMask, masks), MotifStatus::Ok);
  EXPECT_EQ(render(logoFromMasks(masks, kNucleotideLetters)), "T2.000 |C0.500 G0.500 |");
  ASSERT_EQ(parseMotifMasks("W", 100, proteinSymbolMask, masks), MotifStatus::Ok);
  EXPECT_EQ(render(logoFromMasks(masks, kProteinLetters)), "W4.322 ");
}

TEST(ReportMotifCard, CountsSitesGenesAndAlignsTheClosestMatrix) {
  // g1, g2 and g4 hold one site each on the given strand; on the other
  // strand each reads as its reverse complement, which the motif allows too.
  std::istringstream fasta(">g1\nAATGACTCAAA\n>g2\nCCTGACTCACC\n>g3\nCCCCCCC\n>g4\nTTGAGTCAT\n");
  std::ostringstream console;
  std::vector<SequenceRecord> forward;
  readFasta(fasta, forward, SequenceAlphabet::Nucleotide, 10000, console);
  std::vector<SequenceRecord> both = forward;
  buildReverseComplements(both);
  indexSequences(both, SequenceAlphabet::Nucleotide);

  std::vector<GeneRecord> genes(forward.size());
  for (size_t i = 0; i < forward.size(); ++i) genes[i].name = forward[i].name;
  std::istringstream se("g1 m @TGA[CG]TCA T\ng3 m @TGA[CG]TCA T\ng2 m %TGA[CG]TCA T\n");
  std::vector<std::string> seTable;
  ASSERT_EQ(readSeFile(se, genes, 4, seTable, ""), 2);

  // A reference that is the motif with two more columns in front.
  std::istringstream jaspar(
      ">M1 known\nA [0 0 0 0 9 0 0 0 9]\nC [9 9 0 0 0 5 0 9 0]\nG [0 0 0 9 0 4 0 0 0]\n"
      "T [0 0 9 0 0 0 9 0 0]\n"
      // ACGGACTTCC: the reverse complement of AAGTCCGT with two more columns.
      ">M2 turned\nA [9 0 0 0 9 0 0 0 0 0]\nC [0 9 0 0 0 9 0 0 9 9]\nG [0 0 9 9 0 0 0 0 0 0]\n"
      "T [0 0 0 0 0 0 9 9 0 0]\n");
  std::vector<MotifMatrix> references;
  readJasparFile(jaspar, references, 0);
  const std::vector<ClosestMatchRow> closest = {{"TGA[CG]TCA", "known", "0.9"},
                                                {"AAGTCCGT", "turned", "0.9"}};

  MotifSources sources;
  sources.forward = &forward;
  sources.bothStrands = &both;
  sources.genes = &genes;
  sources.seTable = &seTable;
  sources.references = &references;
  sources.closest = &closest;
  struct Case {
    const char* type;
    int sites, sequences, genes;
  } cases[] = {
      // Both strands: TGACTCA and TGAGTCA are each other's reverse complement,
      // so every site is found once per strand.
      {"5'MOTIF", 6, 3, 2},
      {"3'MOTIF", 3, 3, 1},
  };
  for (const Case& c : cases) {
    const MotifCard card = describeMotif({"TGA[CG]TCA", c.type}, sources);
    EXPECT_EQ(card.sites, c.sites) << c.type;
    EXPECT_EQ(card.sequences, c.sequences) << c.type;
    EXPECT_EQ(card.genes, c.genes) << c.type;
    EXPECT_TRUE(card.logoFromSites);
    EXPECT_TRUE(card.closestMatrixFound);
    EXPECT_EQ(card.closestStart, -2) << c.type;
    EXPECT_EQ(card.closestLogo.size(), 9U);
  }
  // Drawn turned around (GGAAGTCCGT), the matrix starts two columns before the motif.
  const MotifCard turned = describeMotif({"AAGTCCGT", "5'MOTIF"}, sources);
  EXPECT_TRUE(turned.closestReverse);
  EXPECT_EQ(turned.closestStart, -2);
  EXPECT_EQ(render(turned.closestLogo).substr(0, 14), "G2.000 |G2.000");

  const MotifCard bad = describeMotif({"</script>", "5'MOTIF"}, sources);
  EXPECT_FALSE(bad.valid);
  EXPECT_EQ(bad.sites, 0);
}

}  // namespace
}  // namespace tav
