// Fuzz target: collection scores against their plain twins. The input gives
// two counts, then motifs column by column (a flag byte and four value bytes
// each); the first motifs are scored against all of them, repeated to fill
// more than one block, and every value must keep the bits of
// preparedCorrelation and simvaleScore.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_support.h"
#include "similarity.h"

namespace {

// Value bytes below 128 are frequency-like steps; the rest pick signed zeros,
// denormals, huge, negative, infinite and NaN values.
double cellValue(uint8_t byte) {
  static const double kSpecial[8] = {0.0,
                                     -0.0,
                                     5e-324,
                                     1e-300,
                                     1e300,
                                     -1.0,
                                     std::numeric_limits<double>::infinity(),
                                     std::numeric_limits<double>::quiet_NaN()};
  return byte < 128 ? byte / 127.0 : kSpecial[byte % 8];
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int firstCount = 1 + data[0] % 4;
  const int repeat = 1 + data[1] % 32;
  size_t at = 2;
  const auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };

  std::vector<tav::PreparedMotif> motifs;
  while (at < size && motifs.size() < 48) {
    const int columns = next() % 33;  // 0: a motif without frequencies
    tav::FrequencyMatrix matrix;
    tav::ColumnInfo info[tav::kMatrixColumns];
    for (int k = 0; k < columns; ++k) {
      info[k].flag = next() % 4 != 0 ? 1 : 0;
      for (int b = 0; b < 4; ++b) matrix.f[b][k] = cellValue(next());
    }
    motifs.emplace_back();
    tav::prepareMotif(matrix, info, columns, motifs.back());
  }
  if (motifs.empty()) return 0;

  std::vector<tav::PreparedMotif> firsts;
  std::vector<tav::PreparedMotif> reverses;
  for (int i = 0; i < firstCount; ++i) {
    firsts.push_back(motifs[i % motifs.size()]);
    reverses.push_back(motifs[(i + 1) % motifs.size()]);
  }
  std::vector<tav::PreparedMotif> seconds;
  for (int r = 0; r < repeat && seconds.size() < 600; ++r) {
    seconds.insert(seconds.end(), motifs.begin(), motifs.end());
  }
  tav::PreparedCollection collection;
  tav::prepareCollection(seconds.data(), static_cast<int>(seconds.size()), collection);
  const size_t n = seconds.size();
  std::vector<double> fast(firsts.size() * n);
  std::vector<double> scores(firsts.size() * n);
  tav::preparedCorrelations(firsts.data(), firstCount, collection, fast.data());
  tav::simvaleScores(firsts.data(), reverses.data(), firstCount, collection, scores.data());
  for (size_t i = 0; i < firsts.size(); ++i) {
    // Repeated motifs score alike: the plain twins run once per motif.
    for (size_t j = 0; j < motifs.size(); ++j) {
      const double plain = tav::preparedCorrelation(firsts[i], motifs[j]);
      const double score = tav::simvaleScore(firsts[i], &reverses[i], motifs[j]);
      for (size_t copy = j; copy < n; copy += motifs.size()) {
        FUZZ_CHECK(sameBits(fast[i * n + copy], plain));
        FUZZ_CHECK(sameBits(scores[i * n + copy], score));
      }
    }
  }
  return 0;
}
