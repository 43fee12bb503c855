// The word index against the plain scan: random records (some with N, B, Z
// or X) and random motifs, including decoy chains. Nucleotide trials search
// both strands half the time: the index holds one strand and looks up the
// reverse complement too; the plain scan reads a stored reverse strand.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "conservation_score.h"
#include "fasta.h"
#include "random.h"
#include "word_index.h"

namespace tav {
namespace {

TEST(WordIndexEquivalence, MatchesPlainScanOnRandomInputs) {
  std::mt19937 random(7);
  struct Alphabet {
    const char* letters;  // the last ones are multi-letter codes
    SequenceAlphabet mode;
    int size;
  };
  for (const Alphabet& alphabet :
       {Alphabet{"ACGTACGTACGTACGTN", SequenceAlphabet::Nucleotide, 4},
        Alphabet{"ARNDCQEGHILKMFPSTWYVBZX", SequenceAlphabet::Protein, 20}}) {
    const int symbols = static_cast<int>(std::string(alphabet.letters).size());
    for (int trial = 0; trial < 40; ++trial) {
      std::string fasta;
      const int count = 1 + static_cast<int>(random() % 40);
      for (int r = 0; r < count; ++r) {
        fasta += ">s" + std::to_string(r) + "\n";
        const int length = static_cast<int>(random() % 60);
        const bool pure = random() % 3 != 0;
        for (int p = 0; p < length; ++p)
          fasta +=
              alphabet.letters[random() % static_cast<unsigned>(pure ? alphabet.size : symbols)];
        fasta += "\n";
      }
      std::vector<SequenceRecord> records;
      std::ostringstream warnings;
      std::istringstream in(fasta);
      readFasta(in, records, alphabet.mode, 10000, warnings);
      const bool bothStrands = alphabet.size == 4 && trial % 2 == 0;
      std::vector<SequenceRecord> plain = records;
      if (bothStrands) buildReverseComplements(plain);
      indexSequences(records, alphabet.mode);
      std::vector<const SequenceRecord*> members;
      for (const SequenceRecord& record : records) members.push_back(&record);

      const int length = 1 + static_cast<int>(random() % 8);
      WordIndex index;
      ASSERT_TRUE(index.build(members, length, alphabet.size));
      std::vector<LetterCode> motif(static_cast<size_t>(length));
      const LetterCode all = (LetterCode{1} << alphabet.size) - 1;
      for (LetterCode& code : motif) {
        code = LetterCode{1} << (random() % static_cast<unsigned>(alphabet.size));
        if (random() % 4 == 0)
          code |= LetterCode{1} << (random() % static_cast<unsigned>(alphabet.size));
        if (random() % 10 == 0) code = all;
      }
      seedRandom(trial);
      std::vector<uint8_t> presence;
      std::vector<LetterCode> reverse;
      for (int decoy = 0; decoy < 30; ++decoy) {
        reverseComplementMotif(motif.data(), length, reverse);
        const StrandedMotif searched{motif.data(), bothStrands ? reverse.data() : nullptr, length};
        if (!index.fill(searched, presence)) continue;
        for (size_t r = 0; r < records.size(); ++r) {
          ASSERT_EQ(presence[r], motifOccursReference(motif.data(), length, plain[r]))
              << "trial " << trial << " record " << r << " decoy " << decoy;
        }
        makeDecoy(motif.data(), length, alphabet.size);
      }
      EXPECT_FALSE(index.fill(StrandedMotif{motif.data(), nullptr, length + 1}, presence));
    }
  }
}

}  // namespace
}  // namespace tav
