#include "similarity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "console.h"

namespace tav {
namespace {

MotifMatrix countMatrix(const std::string& text) {
  MotifMatrix matrix;
  EXPECT_EQ(parseMotifMasks(text, 100, symbolMask, matrix.masks), MotifStatus::Ok);
  buildCounts(matrix);
  return matrix;
}

double countScore(const std::string& a, const std::string& b, bool bothStrands) {
  return simvaleScore(countMatrix(a), countMatrix(b), bothStrands);
}

double directScore(const std::string& a, const std::string& b, bool bothStrands) {
  FrequencyMatrix fa;
  FrequencyMatrix fb;
  std::ostringstream out;
  const int la = parseMotifFrequencies(a, fa, out);
  const int lb = parseMotifFrequencies(b, fb, out);
  return simvaleScore(fa, la, fb, lb, bothStrands);
}

// Both forms of the score as printed: from counts, then from direct frequencies.
std::string printed(const std::string& a, const std::string& b, bool bothStrands) {
  return formatReal(countScore(a, b, bothStrands)) + " / " +
         formatReal(directScore(a, b, bothStrands));
}

TEST(SimvaleScore, WorkedValues) {
  EXPECT_EQ(printed("ACGTGACCT", "ACGTGACCA", false), "0.851852 / 0.851852");
  EXPECT_EQ(printed("ACGTGACCT", "ACGTGACCA", true), "0.851852 / 0.851852");
  EXPECT_EQ(printed("ACGTGA", "TCACGT", false), "0.111111 / 0.111111");
  EXPECT_EQ(printed("ACGTGA", "TCACGT", true), "1 / 1");
  EXPECT_EQ(printed("ACG[TC]GACC", "ACGTGACC", false), "0.957257 / 0.957427");
}

TEST(SimvaleScore, ExactValuesAtTheEdges) {
  // 0 and 1 exactly, anything else as '~'
  const auto exact = [](double v) { return v == 0.0 ? '0' : v == 1.0 ? '1' : '~'; };
  const std::string motif = "AAGGTCCATG";
  const std::string reverse = "CATGGACCTT";
  std::string got;
  got += exact(countScore("ACGTA", "ACGTA", false));  // fewer than six columns
  got += exact(countScore("ACGTA", "ACGTAGGC", true));
  got += exact(countScore("ACGTAC", "ACGTAC", false));
  got += exact(countScore(motif, motif, false));
  got += exact(countScore(motif, reverse, true));
  got += exact(countScore("NNNNNNNN", "ACGTTGCA", false));  // uniform columns: no correlation
  got += exact(countScore("ACGTTGCA", "NN.N[]1NN", true));
  got += exact(directScore("ACGTA", "ACGTA", false));
  got += exact(directScore("NNNNNNNN", "ACGTTGCA", true));
  got += exact(directScore("ACGTTGCA", "NNnNNNN", false));
  EXPECT_EQ(got, "0011100000");
  EXPECT_LT(countScore(motif, reverse, false), 0.6);  // the opposite strand only with the flag
  // A reference wider than the 100 columns a frequency matrix holds.
  MotifMatrix wide;
  wide.length = wide.columns = 101;
  for (auto& row : wide.counts) row.assign(101, 1);
  EXPECT_EQ(simvaleScore(countMatrix("ACGTACGT"), wide, true), 0.0);
  EXPECT_EQ(simvaleScore(wide, countMatrix("ACGTACGT"), true), 0.0);
}

TEST(SimvaleScore, DirectFormLeavesCallerMatricesAlone) {
  FrequencyMatrix fa;
  FrequencyMatrix fb;
  std::ostringstream out;
  const int la = parseMotifFrequencies("ACGTGAC", fa, out);
  const int lb = parseMotifFrequencies("GTCACGT", fb, out);
  const FrequencyMatrix copy = fa;
  EXPECT_EQ(simvaleScore(fa, la, fb, lb, true), 1.0);
  EXPECT_EQ(std::memcmp(&fa, &copy, sizeof fa), 0);
}

TEST(SimvaleScore, PerfectCorrelationRoundsToOne) {
  // Site counts scaled by k give columns that are exact linear images of the
  // motif's own; the quotient may round an ulp away from 1 but prints as 1.
  const MotifMatrix query = countMatrix("ACGTGACC");
  for (int k : {2, 3, 5, 10}) {
    MotifMatrix scaled = query;
    for (auto& row : scaled.counts) {
      for (auto& cell : row) cell *= k;
    }
    EXPECT_NEAR(simvaleScore(countMatrix("GGTCACGT"), scaled, true), 1.0, 1e-12) << k;
    EXPECT_EQ(formatReal(simvaleScore(query, scaled, false)), "1") << k;
  }
}

TEST(ColumnInformation, TieAtTheSixthMakesAnOffsetAdmissible) {
  // The query's two tied alternatives are both flagged, so its last six
  // columns can face the six columns of the reference exactly.
  EXPECT_EQ(countScore("ACGTA[AC][AC]", "CGTA[AC][AC]", false), 1.0);
  // Without the tie only five of those columns would be flagged.
  EXPECT_LT(countScore("ACGTA[AC][ACG]", "CGTA[AC][ACG]", false), 1.0);
}

// Random count matrices: single bases, alternatives, empty columns and
// site counts as the reference readers produce them.
MotifMatrix randomMatrix(std::mt19937& rng, int columns) {
  MotifMatrix m;
  m.length = m.columns = columns;
  for (auto& row : m.counts) row.assign(columns, 0);
  for (int i = 0; i < columns; ++i) {
    const int kind = static_cast<int>(rng() % 4);
    for (int b = 0; b < 4 && kind < 2; ++b)
      m.counts[b][i] = static_cast<int32_t>(rng() % (kind == 0 ? 12 : 2));
    if (kind == 2) m.counts[rng() % 4][i] = 1;
  }
  return m;
}

TEST(SimvaleScore, PreparedMotifsGiveTheSameBits) {
  std::mt19937 rng(12345);
  for (int trial = 0; trial < 3000; ++trial) {
    const MotifMatrix query = randomMatrix(rng, 1 + static_cast<int>(rng() % 24));
    const MotifMatrix reference = randomMatrix(rng, 1 + static_cast<int>(rng() % 30));
    PreparedMotif forward;
    PreparedMotif reverse;
    PreparedMotif ref;
    prepareMotif(query, forward, &reverse);
    prepareMotif(reference, ref, nullptr);
    for (bool both : {false, true}) {
      const double plain = simvaleScore(query, reference, both);
      const double fast = simvaleScore(forward, both ? &reverse : nullptr, ref);
      ASSERT_EQ(std::memcmp(&plain, &fast, sizeof plain), 0)
          << trial << " " << both << " " << plain << " " << fast;
      ASSERT_GE(plain, 0.0);
      ASSERT_LE(plain, 1.0 + 1e-12);
    }
  }
}

// Scoring a whole collection sums alignments side by side and folds each
// motif's offsets out of order; every value must keep the plain bits. Values
// include zeros, equal columns (no correlation), denormals, huge and negative
// numbers; flags are random; widths run from 1 up; some motifs are unprepared.
TEST(SimvaleScore, CollectionScoresGiveThePlainBits) {
  std::mt19937 rng(2024);
  const double palette[] = {0.0, 0.25, 0.5, 1.0, 0.1, 3.0, 1e-310, -0.0, -2.0, 1e300, 7e-5};
  const auto randomPrepared = [&](int columns) {
    FrequencyMatrix matrix;
    ColumnInfo info[kMatrixColumns];
    const bool plain = rng() % 2 == 0;  // frequency-like values only
    for (int k = 0; k < columns; ++k) {
      info[k].flag = rng() % 3 != 0 ? 1 : 0;
      for (int b = 0; b < 4; ++b) {
        matrix.f[b][k] = plain ? static_cast<double>(rng() % 5) / 4.0 : palette[rng() % 11];
      }
    }
    PreparedMotif motif;
    prepareMotif(matrix, info, columns, motif);
    return motif;
  };
  const auto randomWidth = [&] { return rng() % 8 == 0 ? 1 : 1 + static_cast<int>(rng() % 40); };
  std::vector<PreparedMotif> firsts;
  std::vector<PreparedMotif> seconds;
  for (int i = 0; i < 24; ++i) firsts.push_back(randomPrepared(randomWidth()));
  for (int j = 0; j < 1100; ++j) seconds.push_back(randomPrepared(randomWidth()));
  firsts[3].values.clear();  // unprepared motifs score 0
  seconds[700].values.clear();
  PreparedCollection collection;
  prepareCollection(seconds.data(), static_cast<int>(seconds.size()), collection);
  const size_t n = seconds.size();
  std::vector<double> fast(firsts.size() * n);
  const size_t half = firsts.size() / 2;
  std::vector<double> scores(half * n);
  preparedCorrelations(firsts.data(), static_cast<int>(firsts.size()), collection, fast.data());
  // The second half stands for the opposite strands of the first.
  simvaleScores(firsts.data(), firsts.data() + half, static_cast<int>(half), collection,
                scores.data());
  for (size_t i = 0; i < firsts.size(); ++i) {
    for (size_t j = 0; j < n; ++j) {
      const double plain = preparedCorrelation(firsts[i], seconds[j]);
      ASSERT_EQ(std::memcmp(&plain, &fast[i * n + j], sizeof plain), 0)
          << i << " " << j << " " << plain << " " << fast[i * n + j];
      if (i >= half) continue;
      const double score = simvaleScore(firsts[i], &firsts[i + half], seconds[j]);
      ASSERT_EQ(std::memcmp(&score, &scores[i * n + j], sizeof score), 0) << i << " " << j;
    }
  }
}

}  // namespace
}  // namespace tav
