#include "logo.h"

#include <algorithm>
#include <cmath>

namespace tav {

namespace {

// Information content = log2(alphabet size) minus the column's entropy.
LogoColumn columnFromFrequencies(const std::vector<double>& frequencies,
                                 const std::string& alphabet) {
  LogoColumn column;
  double entropy = 0.0;
  for (double f : frequencies) {
    if (f > 0) entropy -= f * std::log2(f);
  }
  const double information =
      std::max(0.0, std::log2(static_cast<double>(alphabet.size())) - entropy);
  column.information = information;
  for (size_t i = 0; i < alphabet.size(); ++i) {
    const double height = frequencies[i] * information;
    if (height > 0) column.letters.push_back({alphabet[i], height});
  }
  // Smallest at the bottom; equal heights keep alphabet order for a stable picture.
  std::stable_sort(column.letters.begin(), column.letters.end(),
                   [](const LogoLetter& a, const LogoLetter& b) { return a.height < b.height; });
  return column;
}

}  // namespace

std::vector<LogoColumn> logoFromCounts(const std::array<std::vector<int32_t>, 4>& counts) {
  const std::string alphabet = kNucleotideLetters;
  size_t width = 0;
  for (const auto& row : counts) width = std::max(width, row.size());
  std::vector<LogoColumn> logo;
  logo.reserve(width);
  std::vector<double> frequencies(4);
  for (size_t i = 0; i < width; ++i) {
    double total = 0.0;
    for (size_t b = 0; b < 4; ++b) {
      frequencies[b] = i < counts[b].size() ? std::max(0, counts[b][i]) : 0;
      total += frequencies[b];
    }
    if (total <= 0) {
      logo.emplace_back();
      continue;
    }
    for (double& f : frequencies) f /= total;
    logo.push_back(columnFromFrequencies(frequencies, alphabet));
  }
  return logo;
}

std::vector<LogoColumn> logoFromMasks(const std::vector<LetterCode>& masks,
                                      const std::string& alphabet) {
  std::vector<LogoColumn> logo;
  logo.reserve(masks.size());
  std::vector<double> frequencies(alphabet.size());
  for (LetterCode mask : masks) {
    int allowed = 0;
    for (size_t i = 0; i < alphabet.size(); ++i) allowed += (mask >> i) & 1U;
    if (allowed == 0) {
      logo.emplace_back();
      continue;
    }
    for (size_t i = 0; i < alphabet.size(); ++i) {
      frequencies[i] = ((mask >> i) & 1U) ? 1.0 / allowed : 0.0;
    }
    logo.push_back(columnFromFrequencies(frequencies, alphabet));
  }
  return logo;
}

}  // namespace tav
