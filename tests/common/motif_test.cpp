#include "motif.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tav {
namespace {

std::vector<LetterCode> masksOf(const std::string& text, MotifStatus expected = MotifStatus::Ok,
                                int capacity = 100) {
  std::vector<LetterCode> masks;
  EXPECT_EQ(parseMotifMasks(text, capacity, symbolMask, masks), expected) << text;
  return masks;
}

TEST(MotifGrammar, PositionsAlternativesAndOddSymbols) {
  EXPECT_EQ(masksOf("ACGT"), (std::vector<LetterCode>{8, 2, 4, 1}));
  EXPECT_EQ(masksOf("A[CT]G"), (std::vector<LetterCode>{8, 3, 4}));
  // U is T; N and '.' allow every base; digits, lower-case n and unknown
  // letters are positions that allow none; empty brackets are a position too.
  EXPECT_EQ(masksOf("Uu.N1nX[]"), (std::vector<LetterCode>{1, 1, 15, 15, 0, 0, 0, 0}));
  EXPECT_TRUE(masksOf("").empty());
  // An unclosed trailing bracket adds no position and no message.
  EXPECT_EQ(masksOf("AC[GT"), (std::vector<LetterCode>{8, 2}));
  EXPECT_EQ(masksOf("AC["), (std::vector<LetterCode>{8, 2}));
}

TEST(MotifGrammar, CapacityIsInclusive) {
  EXPECT_EQ(masksOf(std::string(100, 'A')).size(), 100u);
  masksOf(std::string(101, 'A'), MotifStatus::TooLong);
  // One position holding 100 alternatives.
  std::string alternative = "[";
  for (int i = 0; i < 25; ++i) alternative += "ACGT";
  EXPECT_EQ(masksOf(alternative + "]"), std::vector<LetterCode>{15});
  // An empty pair of brackets after a full motif would be position 101.
  masksOf(std::string(100, 'A') + "[]", MotifStatus::TooLong);
  masksOf(std::string(100, 'A') + "[C]", MotifStatus::TooLong);
  EXPECT_EQ(masksOf(std::string(99, 'A') + "[]").size(), 100u);
  // A bracket left open after a full motif adds nothing.
  EXPECT_EQ(masksOf(std::string(100, 'A') + "[").size(), 100u);
  // The long capacity of the conservation scorers.
  std::vector<LetterCode> masks;
  EXPECT_EQ(parseMotifMasks(std::string(10000, 'C'), 10000, symbolMask, masks), MotifStatus::Ok);
  EXPECT_EQ(masks.size(), 10000u);
  EXPECT_EQ(parseMotifMasks(std::string(10001, 'C'), 10000, symbolMask, masks),
            MotifStatus::TooLong);
}

TEST(MotifGrammar, BracketErrorsAtTheOffendingCharacter) {
  masksOf("A[[C]]", MotifStatus::BadFormat);
  masksOf("A]C[G", MotifStatus::BadFormat);
  masksOf("]", MotifStatus::BadFormat);
  masksOf("[A]]", MotifStatus::BadFormat);
  // The size check of a symbol comes before the depth check of a later bracket.
  masksOf(std::string(101, 'A') + "]", MotifStatus::TooLong);
  masksOf(std::string(100, 'A') + "]", MotifStatus::BadFormat);
}

TEST(MotifGrammar, FatalMessages) {
  std::ostringstream out;
  printMotifError(out, MotifStatus::TooLong, "AAA");
  printMotifError(out, MotifStatus::BadFormat, "A[[C");
  EXPECT_EQ(out.str(),
            "ERROR: Motif size exceeds the permitted maximum value. Program is terminated.\n"
            "ERROR: Sequence A[[C does not have the correct format. Program is terminated.\n");
}

TEST(MotifMatrices, CountsAndPseudoCountFrequencies) {
  MotifMatrix matrix;
  ASSERT_EQ(parseMotifMasks("A[CT]N1", 100, symbolMask, matrix.masks), MotifStatus::Ok);
  buildCounts(matrix);
  EXPECT_EQ(matrix.length, 4);
  EXPECT_EQ(matrix.columns, 4);
  EXPECT_EQ(matrix.counts[0], (std::vector<int32_t>{0, 1, 1, 0}));  // T
  EXPECT_EQ(matrix.counts[1], (std::vector<int32_t>{0, 1, 1, 0}));  // C
  EXPECT_EQ(matrix.counts[2], (std::vector<int32_t>{0, 0, 1, 0}));  // G
  EXPECT_EQ(matrix.counts[3], (std::vector<int32_t>{1, 0, 1, 0}));  // A

  FrequencyMatrix f;
  countsToFrequencies(matrix, f);
  const double single = 0.05 + 0.05 + 0.05 + 1.05;  // sum in T, C, G, A order
  EXPECT_EQ(f.f[3][0], 1.05 / single);
  EXPECT_EQ(f.f[0][0], 0.05 / single);
  const double pair = 1.05 + 1.05 + 0.05 + 0.05;
  EXPECT_EQ(f.f[0][1], 1.05 / pair);
  EXPECT_EQ(f.f[2][1], 0.05 / pair);
  for (int b = 0; b < 4; ++b) {
    EXPECT_EQ(f.f[b][2], 0.25);  // N
    EXPECT_EQ(f.f[b][3], 0.25);  // a column without counts, the same as N
  }
}

int directFrequencies(const std::string& text, FrequencyMatrix& f, std::string& printed) {
  std::ostringstream out;
  const int columns = parseMotifFrequencies(text, f, out);
  printed = out.str();
  return columns;
}

TEST(MotifMatrices, DirectFrequencies) {
  FrequencyMatrix f;
  std::string printed;
  ASSERT_EQ(directFrequencies("A[CG]nU[T", f, printed), 4);
  EXPECT_EQ(printed, "");
  // Every cell starts at 0.0001; a base adds 1, n adds 0.25 to all four.
  const double expected[4][4] = {{0.0001, 0.0001, 0.2501, 1.0001},   // T
                                 {0.0001, 1.0001, 0.2501, 0.0001},   // C
                                 {0.0001, 1.0001, 0.2501, 0.0001},   // G
                                 {1.0001, 0.0001, 0.2501, 0.0001}};  // A
  for (int i = 0; i < 4; ++i) {
    const double sum = expected[0][i] + expected[1][i] + expected[2][i] + expected[3][i];
    for (int b = 0; b < 4; ++b) EXPECT_DOUBLE_EQ(f.f[b][i], expected[b][i] / sum) << b << i;
  }
  EXPECT_EQ(directFrequencies("[A", f, printed), 0);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(directFrequencies(std::string(100, 'G'), f, printed), 100);
}

TEST(MotifMatrices, DirectFrequencyWarningsFirstOffenceDecides) {
  FrequencyMatrix f;
  std::string printed;
  EXPECT_EQ(directFrequencies("AC1G", f, printed), 0);
  EXPECT_EQ(printed, "WARNING: AC1G: Sequence contains illegal characters.\n");
  EXPECT_EQ(directFrequencies("AX]G", f, printed), 0);
  EXPECT_EQ(printed, "WARNING: AX]G: Sequence contains illegal characters.\n");
  EXPECT_EQ(directFrequencies("A]XG", f, printed), 0);
  EXPECT_EQ(printed, "WARNING: A]XG: Sequence does not have the correct format.\n");
  EXPECT_EQ(directFrequencies("[[A]]", f, printed), 0);
  EXPECT_EQ(printed, "WARNING: [[A]]: Sequence does not have the correct format.\n");
  const std::string tooLong(101, 'T');
  EXPECT_EQ(directFrequencies(tooLong, f, printed), 0);
  EXPECT_EQ(printed, "WARNING: " + tooLong + ": Motif size exceeds the permitted maximum value.\n");
  const std::string closedPast = std::string(100, 'T') + "[]";
  EXPECT_EQ(directFrequencies(closedPast, f, printed), 0);
  EXPECT_EQ(printed,
            "WARNING: " + closedPast + ": Motif size exceeds the permitted maximum value.\n");
}

TEST(MotifMatrices, ReverseComplementMovesColumnsAndRecords) {
  FrequencyMatrix f;
  ColumnInfo info[5];
  for (int i = 0; i < 5; ++i) {
    for (int b = 0; b < 4; ++b) f.f[b][i] = 10 * i + b;
    info[i].index = i;
  }
  f.f[0][5] = 99;  // beyond the columns: untouched
  const FrequencyMatrix original = f;
  reverseComplement(f, 5, info);
  for (int i = 0; i < 5; ++i) {
    for (int b = 0; b < 4; ++b) EXPECT_EQ(f.f[b][i], original.f[3 - b][4 - i]) << i << b;
    EXPECT_EQ(info[i].index, 4 - i);
  }
  EXPECT_EQ(f.f[0][5], 99);
  reverseComplement(f, 5, info);
  for (int i = 0; i < kMatrixColumns; ++i) {
    for (int b = 0; b < 4; ++b) EXPECT_EQ(f.f[b][i], original.f[b][i]);
  }
  for (int i = 0; i < 5; ++i) EXPECT_EQ(info[i].index, i);
}

}  // namespace
}  // namespace tav
