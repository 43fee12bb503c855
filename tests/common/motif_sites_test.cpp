#include "motif_sites.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fasta.h"
#include "motif.h"

namespace tav {
namespace {

std::vector<SequenceRecord> sequences(const std::string& fasta, bool bothStrands,
                                      bool indexed = true) {
  std::istringstream in(fasta);
  std::ostringstream console;
  std::vector<SequenceRecord> records;
  readFasta(in, records, SequenceAlphabet::Nucleotide, 10000, console);
  if (bothStrands) buildReverseComplements(records);
  if (indexed) indexSequences(records, SequenceAlphabet::Nucleotide);
  return records;
}

// "sites/sequences T..|C..|G..|A.." for compact comparison.
std::string render(const SiteCounts& c) {
  std::string s = std::to_string(c.sites) + "/" + std::to_string(c.sequences);
  for (size_t b = 0; b < 4; ++b) {
    s += b ? "|" : " ";
    for (int32_t v : c.counts[b]) s += std::to_string(v);
  }
  return s;
}

TEST(MotifSites, CountsEveryOccurrenceInTheMotifsOrientation) {
  const std::string fasta = ">a\nTTGACTCATTGAGTCA\n>b\nNNNN\n>c\nCACGTGNTGANTCA\n";
  struct Case {
    const char* motif;
    bool bothStrands;
    const char* expected;
  } cases[] = {
      // a holds TGACTCA and TGAGTCA, each other's reverse complement.
      {"TGA[CG]TCA", false, "2/1 2000200|0001020|0201000|0020002"},
      {"TGA[CG]TCA", true, "4/1 4000400|0002040|0402000|0040004"},
      // A palindrome counts once per strand; N in a site adds nothing.
      {"CACGTG", true, "2/1 000020|202000|000202|020000"},
      {"TGA[ACGT]TCA", false, "3/2 3000300|0001030|0301000|0030003"},
      {"GGGG", true, "0/0 0000|0000|0000|0000"},
  };
  for (const Case& c : cases) {
    std::vector<LetterCode> masks;
    ASSERT_EQ(parseMotifMasks(c.motif, 100, symbolMask, masks), MotifStatus::Ok);
    EXPECT_EQ(render(countMotifSites(masks, sequences(fasta, c.bothStrands))), c.expected)
        << c.motif << (c.bothStrands ? " both strands" : "");
  }
}

// The index finds the starts word by word: across word boundaries and at the
// sequence ends it must find exactly the windows of the plain scan.
TEST(MotifSites, IndexedCountsEqualThePlainScan) {
  std::string fasta = ">long\n";
  uint32_t state = 7;
  for (int i = 0; i < 300; ++i) {
    state = state * 1103515245U + 12345U;
    fasta += "TCGAN"[(state >> 16) % (i % 50 == 0 ? 5 : 4)];
  }
  fasta += "\n>short\nTGA\n";
  for (const char* motif : {"TG", "[TC]G[GA]", "TGA[CG]TCA", "[TCGA][TCGA]A", "C[TCGA]G[TA]T"}) {
    std::vector<LetterCode> masks;
    ASSERT_EQ(parseMotifMasks(motif, 100, symbolMask, masks), MotifStatus::Ok);
    for (bool both : {false, true}) {
      EXPECT_EQ(render(countMotifSites(masks, sequences(fasta, both))),
                render(countMotifSites(masks, sequences(fasta, both, false))))
          << motif << (both ? " both strands" : "");
    }
  }
}

}  // namespace
}  // namespace tav
