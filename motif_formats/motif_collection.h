// The converter's one in-memory model: named count matrices (rows A, C, G, T)
// with the motif's site count, and the conversions between probabilities,
// counts and motif strings that every reader and writer shares.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records.h"

namespace tav {

inline constexpr int kDefaultSites = 100;
// Largest count a cell may hold: Simvale reads counts as 32-bit integers.
inline constexpr int64_t kMaxCount = 2147483647;

struct CountMotif {
  std::string id;    // identifier (JASPAR matrix ID, MEME motif ID, TRANSFAC AC); may be empty
  std::string name;  // name (JASPAR name, MEME alternate name, TRANSFAC NA); may be empty
  std::array<std::vector<int64_t>, 4> counts;  // A, C, G, T; one entry per column
  int64_t sites = 0;  // sites behind the matrix: MEME nsites, else the largest column sum

  int width() const { return static_cast<int>(counts[0].size()); }
  // The name when there is one, otherwise the identifier.
  const std::string& label() const { return name.empty() ? id : name; }
};

// Sum of one column over the four bases.
int64_t columnSum(const CountMotif& motif, int column);
int64_t largestColumnSum(const CountMotif& motif);

// A probability times the site count, rounded half away from zero.
int64_t probabilityToCount(double probability, int64_t sites);

// A count over its column sum; 0.25 for a column without counts.
double countToProbability(const CountMotif& motif, int base, int column);

// The matrix of a motif string from its position masks (T 1, C 2, G 4, A 8):
// each allowed base of a position gets an equal share of `sites`, the
// remainder going one by one to the allowed bases in A, C, G, T order. A
// position that allows nothing is treated as allowing every base.
CountMotif countsFromMasks(const std::vector<LetterCode>& masks, int64_t sites);

}  // namespace tav
