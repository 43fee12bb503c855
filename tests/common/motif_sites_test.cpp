#include "motif_sites.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "fasta.h"
#include "motif.h"

namespace tav {
namespace {

std::vector<SequenceRecord> sequences(const std::string& fasta, bool bothStrands) {
  std::istringstream in(fasta);
  std::ostringstream console;
  std::vector<SequenceRecord> records;
  readFasta(in, records, SequenceAlphabet::Nucleotide, 10000, console);
  if (bothStrands) buildReverseComplements(records);
  indexSequences(records, SequenceAlphabet::Nucleotide);
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

TEST(MotifSites, IndexedAndPlainRecordsGiveTheSameCounts) {
  // Sequences over several 64-base blocks with N, motifs with alternatives:
  // the index's start bitsets must find exactly the plain windows' sites.
  std::mt19937 random(11);
  std::string fasta;
  for (int r = 0; r < 20; ++r) {
    fasta += ">s" + std::to_string(r) + "\n";
    for (int i = 0; i < 50 + 13 * r; ++i) fasta += "ACGTACGTN"[random() % (r % 3 == 0 ? 9 : 4)];
    fasta += "\n";
  }
  for (bool bothStrands : {false, true}) {
    std::vector<SequenceRecord> indexed = sequences(fasta, bothStrands);
    std::vector<SequenceRecord> plain = indexed;
    for (SequenceRecord& record : plain) record.index = OccurrenceIndex{};
    for (int m = 0; m < 200; ++m) {
      std::vector<LetterCode> masks(1 + random() % 6);
      for (LetterCode& mask : masks) mask = 1u << (random() % 4) | (random() % 4 == 0 ? 15 : 0);
      EXPECT_EQ(render(countMotifSites(masks, indexed)), render(countMotifSites(masks, plain)));
    }
  }
}

}  // namespace
}  // namespace tav
