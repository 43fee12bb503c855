#include "closest_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "similarity.h"

namespace tav {
namespace {

MotifEntry entry(const std::string& text) {
  MotifEntry e;
  e.text = text;
  EXPECT_EQ(parseMotifMasks(text, 100, symbolMask, e.matrix.masks), MotifStatus::Ok);
  buildCounts(e.matrix);
  return e;
}

MotifMatrix reference(const std::string& text, const std::string& name) {
  MotifMatrix m = entry(text).matrix;
  m.masks.clear();
  m.closestName = name;
  return m;
}

TEST(ClosestMatch, CutoffIsStrictAndTiesKeepTheEarlierReference) {
  std::vector<MotifEntry> queries = {entry("ACGTGACC"), entry("ACGTGACC"), entry("ACGTG")};
  const std::vector<MotifMatrix> refs = {reference("TTTTTTTT", "poly"),
                                         reference("ACGTGACC", "first"),
                                         reference("ACGTGACC", "second")};
  EXPECT_EQ(findClosestMatches(queries, 3, refs, 3, 1.0, true), 0);
  EXPECT_FALSE(queries[0].matrix.hasClosest);
  EXPECT_EQ(findClosestMatches(queries, 3, refs, 3, 0.99, true), 2);
  EXPECT_EQ(queries[0].matrix.closestName, "first");
  EXPECT_EQ(queries[0].matrix.closestScore, 1.0);
  EXPECT_EQ(queries[1].matrix.closestName, "first");
  EXPECT_FALSE(queries[2].matrix.hasClosest);
  // A motif too short to score gets the first reference once 0 beats the cutoff.
  EXPECT_EQ(findClosestMatches(queries, 3, refs, 3, -0.01, false), 3);
  EXPECT_EQ(queries[2].matrix.closestName, "poly");
  EXPECT_EQ(queries[2].matrix.closestScore, 0.0);
}

std::string randomMotif(std::mt19937& rng) {
  static const char* const kSymbols[] = {"A", "C", "G",    "T",    "A",     "C",  "G",
                                         "T", "N", "[AC]", "[GT]", "[ACG]", "[]", "."};
  std::string text;
  const int length = 3 + static_cast<int>(rng() % 14);
  for (int i = 0; i < length; ++i) text += kSymbols[rng() % 14];
  return text;
}

MotifMatrix randomReference(std::mt19937& rng, int index) {
  MotifMatrix m;
  m.columns = m.length = 4 + static_cast<int>(rng() % 20);
  for (auto& row : m.counts) {
    row.resize(m.columns);
    for (auto& cell : row) cell = (rng() % 3 == 0) ? 0 : static_cast<int32_t>(rng() % 15);
  }
  m.closestName = "ref" + std::to_string(index);
  return m;
}

// The search against the plain form: every pair scored from the count
// matrices, frequencies and column records rebuilt each time.
TEST(ClosestMatch, SameResultsAsScoringEveryPairFromScratch) {
  std::mt19937 rng(2024);
  std::vector<MotifEntry> queries;
  for (int i = 0; i < 150; ++i) queries.push_back(entry(randomMotif(rng)));
  std::vector<MotifMatrix> refs;
  for (int j = 0; j < 120; ++j) refs.push_back(randomReference(rng, j));
  refs.push_back(reference(queries[0].text, "copy"));
  const int refCount = static_cast<int>(refs.size());
  for (bool both : {true, false}) {
    const int matched = findClosestMatches(queries, 150, refs, refCount, 0.6, both);
    int expectedMatched = 0;
    for (const MotifEntry& q : queries) {
      double best = -1;
      int bestRef = -1;
      for (int j = 0; j < refCount; ++j) {
        const double s = simvaleScore(q.matrix, refs[j], both);
        if (s > best) {
          best = s;
          bestRef = j;
        }
      }
      const bool match = best > 0.6;
      expectedMatched += match ? 1 : 0;
      ASSERT_EQ(q.matrix.hasClosest, match) << q.text;
      if (match) {
        EXPECT_EQ(q.matrix.closestName, refs[bestRef].closestName) << q.text;
        EXPECT_EQ(std::memcmp(&q.matrix.closestScore, &best, sizeof best), 0) << q.text;
      }
    }
    EXPECT_EQ(matched, expectedMatched);
    EXPECT_GT(matched, 0);
  }
}

}  // namespace
}  // namespace tav
