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

TEST(MotifMatrices, CountsPerBase) {
  MotifMatrix matrix;
  ASSERT_EQ(parseMotifMasks("A[CT]N1", 100, symbolMask, matrix.masks), MotifStatus::Ok);
  buildCounts(matrix);
  EXPECT_EQ(matrix.length + matrix.columns, 8);
  // rows T, C, G, A
  EXPECT_EQ(matrix.counts, (std::array<std::vector<int32_t>, 4>{
                               {{0, 1, 1, 0}, {0, 1, 1, 0}, {0, 0, 1, 0}, {1, 0, 1, 0}}}));
}

int directFrequencies(const std::string& text, FrequencyMatrix& f, std::string& printed) {
  std::ostringstream out;
  const int columns = parseMotifFrequencies(text, f, out);
  printed = out.str();
  return columns;
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
  // An unclosed bracket adds no column and no warning; 100 columns fit.
  FrequencyMatrix f;
  std::string printed;
  EXPECT_EQ(directFrequencies("A[C", f, printed), 1);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(directFrequencies(t100, f, printed), 100);
}

}  // namespace
}  // namespace tav
