#include "network_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

PairRecord pair(int a, int b, double z, bool removed = false) {
  PairRecord p;
  p.first = a;
  p.second = b;
  p.removed = removed;
  p.slot(0).zScore = z;
  return p;
}

// What the golden runs do not reach: motif kinds of both strands, a removed
// pair, and z-scores that are infinite or not a number.
TEST(NetworkOutput, ElementTypesAndUnboundedZScores) {
  const std::vector<std::string> se = {"PF00001", "%ACGTAA", "@TTGCA", "~RGD",
                                       "@ACGT",   "%ACGT",   "unused"};
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<PairRecord> pairs = {pair(1, 2, inf), pair(0, 6, 2.0, true),
                                         pair(0, 3, -std::nan("")), pair(4, 5, -inf),
                                         pair(1, 3, 2.5e-5)};
  std::ostringstream noa;
  std::ostringstream zscores;
  EXPECT_EQ(writeElementTypes(noa, se, static_cast<int>(se.size()), pairs), 6);
  EXPECT_EQ(writeZScores(zscores, se, pairs), 4);
  EXPECT_EQ(noa.str(),
            "SequenceElementType (class=java.lang.String)\n"
            "PF00001 = OTHER\nACGTAA = 3'MOTIF\nTTGCA = 5'MOTIF\nRGD = PMOTIF\nACGT = "
            "5'MOTIF\nACGT = 3'MOTIF\n");
  EXPECT_EQ(zscores.str(),
            "Z_score (class=Double)\n"
            "ACGTAA (TavrinSE) TTGCA = inf\n"
            "PF00001 (TavrinSE) RGD = nan\n"
            "ACGT (TavrinSE) ACGT = -inf\n"
            "ACGTAA (TavrinSE) RGD = 2.5e-005\n");
  EXPECT_FALSE(elementInKeptPair(pairs, 6));

  std::ostringstream name;
  for (const char* stored : {"@%ACGT", "|", "~"}) writeName(name, stored);
  EXPECT_EQ(name.str(), "%ACGT|");  // only one mark is dropped
}

}  // namespace
}  // namespace tav
