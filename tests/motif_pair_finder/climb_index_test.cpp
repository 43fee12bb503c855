#include "climb_index.h"

#include <gtest/gtest.h>

#include "test_inputs.h"

namespace tav {
namespace {

using testing::motifOf;
using testing::randomRecords;
using testing::recordsOf;

// Every candidate (position i, set s) read from one scan must occur exactly
// where the plain rule finds the changed motif.
void expectScanMatchesPlainRule(const std::vector<SequenceRecord>& records,
                                const MaskMotif& motif) {
  ClimbIndex index(records);
  PositionCodes scan;
  index.scan(motif, scan);
  const auto m = static_cast<size_t>(motif.length());
  for (size_t r = 0; r < records.size(); ++r) {
    ASSERT_EQ(scan.present[r], motifOccursReference(motif.sets.data(), motif.length(), records[r]))
        << motifText(motif) << " record " << r;
    for (size_t i = 0; i < m; ++i) {
      MaskMotif candidate = motif;
      for (LetterCode s = 1; s <= 15; ++s) {
        candidate.sets[i] = s;
        ASSERT_EQ(codesAllow(scan.codes[r * m + i], s),
                  motifOccursReference(candidate.sets.data(), candidate.length(), records[r]) != 0)
            << motifText(motif) << " record " << r << " position " << i << " set " << s;
      }
    }
  }
}

TEST(ClimbIndex, EveryCandidateAgreesWithThePlainRule) {
  std::mt19937 rng(31);
  std::uniform_int_distribution<int> set(1, 15);
  std::uniform_int_distribution<int> letter(0, 3);
  for (int round = 0; round < 40; ++round) {
    // Lengths around and beyond one 64-bit word, N letters, both strand modes.
    auto records = randomRecords(rng, 6, 0, round % 4 == 0 ? 150 : 70, 0.05, round % 2 == 0);
    MaskMotif motif;
    const int length = 1 + round % 9;
    for (int k = 0; k < length; ++k) {
      // Mostly single letters, as in a climb, with some degenerate sets.
      motif.sets.push_back(k % 3 == 1 ? static_cast<LetterCode>(set(rng))
                                      : LetterCode{1} << letter(rng));
    }
    expectScanMatchesPlainRule(records, motif);
  }
}

TEST(ClimbIndex, EdgesOfTheSequence) {
  // Occurrences at the very start and end, a motif as long as the sequence,
  // one longer, and an N that only the all-nucleotide set accepts.
  auto records = recordsOf({"ACGTNACG", "CG", "", "TTTTTTTT"}, true);
  for (const char* text : {"ACG", "CGT", "ACGTNACG", "ACGTNACGT", "T[TCGA]A", "[TCGA]", "CG"}) {
    expectScanMatchesPlainRule(records, motifOf(text));
  }
}

}  // namespace
}  // namespace tav
