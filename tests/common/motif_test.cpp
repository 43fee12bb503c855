#include "motif.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <sstream>
#include <string>

namespace tav {
namespace {

std::string repeated(int n, const std::string& text) {
  std::string s;
  for (int i = 0; i < n; ++i) s += text;
  return s;
}

// The position masks, each followed by a blank, or the failure.
std::string parsed(const std::string& text, int capacity = 100) {
  std::vector<LetterCode> masks;
  const MotifStatus status = parseMotifMasks(text, capacity, symbolMask, masks);
  if (status != MotifStatus::Ok) return status == MotifStatus::TooLong ? "too long" : "bad format";
  std::string s;
  for (LetterCode m : masks) s += std::to_string(m) + " ";
  return s;
}

TEST(MotifGrammar, PositionsCapacityAndBracketErrors) {
  const std::string a100(100, 'A');
  const std::string alternatives = repeated(25, "ACGT");
  const std::pair<std::string, std::string> cases[] = {
      {"ACGT", "8 2 4 1 "},
      {"A[CT]G", "8 3 4 "},
      // U is T; N and '.' allow every base; digits, lower-case n and unknown
      // letters are positions that allow none; empty brackets are a position too
      {"Uu.N1nX[]", "1 1 15 15 0 0 0 0 "},
      {"", ""},
      // an unclosed trailing bracket adds no position and no message
      {"AC[GT", "8 2 "},
      {"AC[", "8 2 "},
      {a100, repeated(100, "8 ")},
      {a100 + "[", repeated(100, "8 ")},
      {"[" + alternatives + "]", "15 "},  // 100 alternatives, one position
      {std::string(99, 'A') + "[]", repeated(99, "8 ") + "0 "},
      {a100 + "A", "too long"},
      {a100 + "[]", "too long"},
      {a100 + "[C]", "too long"},
      {"A[[C]]", "bad format"},
      {"A]C[G", "bad format"},
      {"[A]]", "bad format"},
      // the size check of a symbol comes before the depth check of a later bracket
      {a100 + "A]", "too long"},
      {a100 + "]", "bad format"},
      // the long capacity of the conservation scorers
      {std::string(10000, 'C'), "too long"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parsed(text), expected) << text;
  EXPECT_EQ(parsed(std::string(10000, 'C'), 10000), repeated(10000, "2 "));
  EXPECT_EQ(parsed(std::string(10001, 'C'), 10000), "too long");
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
  EXPECT_EQ(matrix.length + matrix.columns, 8);
  // rows T, C, G, A
  EXPECT_EQ(matrix.counts, (std::array<std::vector<int32_t>, 4>{
                               {{0, 1, 1, 0}, {0, 1, 1, 0}, {0, 0, 1, 0}, {1, 0, 1, 0}}}));

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
  const std::string illegal = ": Sequence contains illegal characters.\n";
  const std::string format = ": Sequence does not have the correct format.\n";
  const std::string size = ": Motif size exceeds the permitted maximum value.\n";
  const std::string t100(100, 'T');
  const std::pair<std::string, std::string> cases[] = {{"AC1G", illegal},  {"AX]G", illegal},
                                                       {"A]XG", format},   {"[[A]]", format},
                                                       {t100 + "T", size}, {t100 + "[]", size}};
  for (const auto& [text, problem] : cases) {
    FrequencyMatrix f;
    std::string printed;
    EXPECT_EQ(directFrequencies(text, f, printed), 0) << text;
    EXPECT_EQ(printed, "WARNING: " + text + problem);
  }
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
  EXPECT_EQ(std::memcmp(&f, &original, sizeof f), 0);
}

}  // namespace
}  // namespace tav
