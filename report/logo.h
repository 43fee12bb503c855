// Sequence logo geometry: per column, the information content in bits and
// each letter's height (its frequency times that content), letters ordered
// from the bottom of the stack to the top (smallest first).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "records.h"

namespace tav {

struct LogoLetter {
  char letter = 'A';
  double height = 0.0;  // bits
};

struct LogoColumn {
  double information = 0.0;         // bits
  std::vector<LogoLetter> letters;  // bottom to top; letters of height 0 left out
};

// From count rows in the base order T, C, G, A (one entry per column). A
// column without counts is empty (no information).
std::vector<LogoColumn> logoFromCounts(const std::array<std::vector<int32_t>, 4>& counts);

// From position masks: the letters a position allows share its column equally.
// `alphabet` lists the letters in bit order ("TCGA" for nucleotides, the 20
// amino acids for proteins).
std::vector<LogoColumn> logoFromMasks(const std::vector<LetterCode>& masks,
                                      const std::string& alphabet);

// The nucleotide letters in the order of the count rows and mask bits.
inline constexpr const char* kNucleotideLetters = "TCGA";
inline constexpr const char* kProteinLetters = "ARNDCQEGHILKMFPSTWYV";

}  // namespace tav
