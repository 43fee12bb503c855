#include "motif_collection.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace tav {

namespace {

// Mask bit of each row: A 8, C 2, G 4, T 1.
constexpr std::array<LetterCode, 4> kRowBit = {8, 2, 4, 1};

}  // namespace

int64_t columnSum(const CountMotif& motif, int column) {
  int64_t sum = 0;
  for (const auto& row : motif.counts) sum += row[static_cast<size_t>(column)];
  return sum;
}

int64_t largestColumnSum(const CountMotif& motif) {
  int64_t largest = 0;
  for (int i = 0; i < motif.width(); ++i) largest = std::max(largest, columnSum(motif, i));
  return largest;
}

int64_t probabilityToCount(double probability, int64_t sites) {
  return std::llround(probability * static_cast<double>(sites));
}

double countToProbability(const CountMotif& motif, int base, int column) {
  const int64_t sum = columnSum(motif, column);
  if (sum == 0) return 0.25;
  return static_cast<double>(motif.counts[static_cast<size_t>(base)][static_cast<size_t>(column)]) /
         static_cast<double>(sum);
}

CountMotif countsFromMasks(const std::vector<LetterCode>& masks, int64_t sites) {
  CountMotif motif;
  for (auto& row : motif.counts) row.assign(masks.size(), 0);
  motif.sites = sites;
  for (size_t i = 0; i < masks.size(); ++i) {
    LetterCode mask = masks[i] & 15u;
    if (mask == 0) mask = 15;
    const int allowed = std::popcount(mask);
    int64_t remainder = sites % allowed;
    for (size_t b = 0; b < 4; ++b) {
      if ((mask & kRowBit[b]) == 0) continue;
      motif.counts[b][i] = sites / allowed + (remainder > 0 ? 1 : 0);
      if (remainder > 0) --remainder;
    }
  }
  return motif;
}

}  // namespace tav
