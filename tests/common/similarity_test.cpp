#include "similarity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

TEST(SimvaleScore, WorkedValuesFromCounts) {
  EXPECT_EQ(formatReal(countScore("ACGTGACCT", "ACGTGACCA", false)), "0.851852");
  EXPECT_EQ(formatReal(countScore("ACGTGACCT", "ACGTGACCA", true)), "0.851852");
  EXPECT_EQ(formatReal(countScore("ACGTGA", "TCACGT", false)), "0.111111");
  EXPECT_EQ(formatReal(countScore("ACGTGA", "TCACGT", true)), "1");
  EXPECT_EQ(formatReal(countScore("ACG[TC]GACC", "ACGTGACC", false)), "0.957257");
}

TEST(SimvaleScore, WorkedValuesFromDirectFrequencies) {
  EXPECT_EQ(formatReal(directScore("ACGTGACCT", "ACGTGACCA", false)), "0.851852");
  EXPECT_EQ(formatReal(directScore("ACGTGACCT", "ACGTGACCA", true)), "0.851852");
  EXPECT_EQ(formatReal(directScore("ACGTGA", "TCACGT", false)), "0.111111");
  EXPECT_EQ(formatReal(directScore("ACGTGA", "TCACGT", true)), "1");
  EXPECT_EQ(formatReal(directScore("ACG[TC]GACC", "ACGTGACC", false)), "0.957427");
}

TEST(SimvaleScore, DirectFormLeavesCallerMatricesAlone) {
  FrequencyMatrix fa;
  FrequencyMatrix fb;
  std::ostringstream out;
  const int la = parseMotifFrequencies("ACGTGAC", fa, out);
  const int lb = parseMotifFrequencies("GTCACGT", fb, out);
  const FrequencyMatrix copy = fa;
  EXPECT_EQ(simvaleScore(fa, la, fb, lb, true), 1.0);
  for (int i = 0; i < la; ++i) {
    for (int b = 0; b < 4; ++b) EXPECT_EQ(fa.f[b][i], copy.f[b][i]);
  }
}

TEST(SimvaleScore, SizeLimits) {
  EXPECT_EQ(countScore("ACGTA", "ACGTA", false), 0.0);
  EXPECT_EQ(countScore("ACGTA", "ACGTAGGC", true), 0.0);
  EXPECT_EQ(countScore("ACGTAC", "ACGTAC", false), 1.0);
  EXPECT_EQ(directScore("ACGTA", "ACGTA", false), 0.0);
  // A reference wider than the 100 columns a frequency matrix holds.
  MotifMatrix wide;
  wide.length = wide.columns = 101;
  for (auto& row : wide.counts) row.assign(101, 1);
  EXPECT_EQ(simvaleScore(countMatrix("ACGTACGT"), wide, true), 0.0);
  EXPECT_EQ(simvaleScore(wide, countMatrix("ACGTACGT"), true), 0.0);
}

TEST(SimvaleScore, OppositeStrandOnlyWithTheFlag) {
  const std::string motif = "AAGGTCCATG";
  const std::string reverse = "CATGGACCTT";
  EXPECT_EQ(countScore(motif, motif, false), 1.0);
  EXPECT_EQ(countScore(motif, reverse, true), 1.0);
  EXPECT_LT(countScore(motif, reverse, false), 0.6);
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
    EXPECT_NEAR(simvaleScore(query, scaled, false), 1.0, 1e-12) << k;
    EXPECT_NEAR(simvaleScore(countMatrix("GGTCACGT"), scaled, true), 1.0, 1e-12) << k;
    EXPECT_EQ(formatReal(simvaleScore(query, scaled, false)), "1") << k;
  }
}

TEST(SimvaleScore, UniformMotifsHaveNoCorrelation) {
  for (bool both : {false, true}) {
    EXPECT_EQ(countScore("NNNNNNNN", "ACGTTGCA", both), 0.0);
    EXPECT_EQ(countScore("ACGTTGCA", "NN.N[]1NN", both), 0.0);
    EXPECT_EQ(directScore("NNNNNNNN", "ACGTTGCA", both), 0.0);
    EXPECT_EQ(directScore("ACGTTGCA", "NNnNNNN", both), 0.0);
  }
}

// The flagged set as a sort-and-walk over the values: the six highest, then
// every further value equal to the one before it.
std::vector<int> flaggedBySortAndWalk(const FrequencyMatrix& f, int columns) {
  ColumnInfo info[kMatrixColumns];
  computeColumnInfo(f, columns, info);
  std::vector<ColumnInfo> sorted(info, info + columns);
  std::sort(sorted.begin(), sorted.end(),
            [](const ColumnInfo& a, const ColumnInfo& b) { return a.info > b.info; });
  std::vector<int> flagged;
  for (int i = 0; i < columns; ++i) {
    if (i >= kInformativeColumns && sorted[i].info != sorted[i - 1].info) break;
    flagged.push_back(sorted[i].index);
  }
  std::sort(flagged.begin(), flagged.end());
  return flagged;
}

std::vector<int> flaggedColumns(const FrequencyMatrix& f, int columns) {
  ColumnInfo info[kMatrixColumns];
  computeColumnInfo(f, columns, info);
  std::vector<int> flagged;
  for (int i = 0; i < columns; ++i) {
    EXPECT_EQ(info[i].index, i);
    if (info[i].flag) flagged.push_back(i);
  }
  return flagged;
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
    for (int b = 0; b < 4; ++b) {
      if (kind == 0) {
        m.counts[b][i] = static_cast<int32_t>(rng() % 12);
      } else if (kind == 1) {
        m.counts[b][i] = (rng() % 2) ? 1 : 0;
      }
    }
    if (kind == 2) m.counts[rng() % 4][i] = 1;
  }
  return m;
}

TEST(ColumnInformation, FlagsMatchASortAndWalk) {
  std::mt19937 rng(777);
  for (int trial = 0; trial < 2000; ++trial) {
    const MotifMatrix m = randomMatrix(rng, 1 + static_cast<int>(rng() % 40));
    FrequencyMatrix f;
    countsToFrequencies(m, f);
    ASSERT_EQ(flaggedColumns(f, m.columns), flaggedBySortAndWalk(f, m.columns)) << trial;
  }
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

}  // namespace
}  // namespace tav
