#include "network_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

PairRecord pair(int a, int b, double score, int robust, double z, bool removed = false) {
  PairRecord p;
  p.first = a;
  p.second = b;
  p.score = score;
  p.robustCount = robust;
  p.removed = removed;
  p.slot(0).zScore = z;
  return p;
}

struct Files {
  std::string sif, noa, scores, robustness, zscores;
  int pairs = 0, elements = 0;
};

Files writeAll(const std::vector<std::string>& se, const std::vector<PairRecord>& pairs,
               int trials) {
  std::ostringstream sif, noa, scores, robustness, zscores;
  Files f;
  f.pairs = writeNetwork(sif, se, pairs);
  f.elements = writeElementTypes(noa, se, static_cast<int>(se.size()), pairs);
  EXPECT_EQ(writeScores(scores, se, pairs), f.pairs);
  EXPECT_EQ(writeRobustness(robustness, se, pairs, trials), f.pairs);
  EXPECT_EQ(writeZScores(zscores, se, pairs), f.pairs);
  f.sif = sif.str();
  f.noa = noa.str();
  f.scores = scores.str();
  f.robustness = robustness.str();
  f.zscores = zscores.str();
  return f;
}

TEST(NetworkOutput, LayoutsTypesAndNumberForms) {
  const std::vector<std::string> se = {"PF00001", "%ACGTAA", "@TTGCA", "~RGD",
                                       "@ACGT",   "%ACGT",   "unused"};
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<PairRecord> pairs = {
      pair(1, 1, 0.25, 10, 13.4),
      pair(1, 2, 0.000012345, 7, inf),
      pair(0, 6, 0.5, 10, 2.0, true),  // removed: neither the pair nor "unused" appears
      pair(0, 3, 0.0123456789, 6, -std::nan("")),
      pair(4, 5, 0.1, 9, -inf),
      pair(1, 3, 0.01, 6, 2.5e-5),
  };
  const Files f = writeAll(se, pairs, 10);
  EXPECT_EQ(f.pairs, 5);
  EXPECT_EQ(f.elements, 6);
  EXPECT_EQ(f.sif,
            "ACGTAA TavrinSE ACGTAA\n"
            "ACGTAA TavrinSE TTGCA\n"
            "PF00001 TavrinSE RGD\n"
            "ACGT TavrinSE ACGT\n"
            "ACGTAA TavrinSE RGD\n");
  // SE-table order, each kept element once.
  EXPECT_EQ(f.noa,
            "SequenceElementType (class=java.lang.String)\n"
            "PF00001 = OTHER\n"
            "ACGTAA = 3'MOTIF\n"
            "TTGCA = 5'MOTIF\n"
            "RGD = PMOTIF\n"
            "ACGT = 5'MOTIF\n"
            "ACGT = 3'MOTIF\n");
  EXPECT_EQ(f.scores,
            "MI (class=Double)\n"
            "ACGTAA (TavrinSE) ACGTAA = 0.25\n"
            "ACGTAA (TavrinSE) TTGCA = 1.2345e-005\n"
            "PF00001 (TavrinSE) RGD = 0.0123457\n"
            "ACGT (TavrinSE) ACGT = 0.1\n"
            "ACGTAA (TavrinSE) RGD = 0.01\n");
  EXPECT_EQ(f.robustness,
            "Robustness_per_10 (class=Integer)\n"
            "ACGTAA (TavrinSE) ACGTAA = 10\n"
            "ACGTAA (TavrinSE) TTGCA = 7\n"
            "PF00001 (TavrinSE) RGD = 6\n"
            "ACGT (TavrinSE) ACGT = 9\n"
            "ACGTAA (TavrinSE) RGD = 6\n");
  EXPECT_EQ(f.zscores,
            "Z_score (class=Double)\n"
            "ACGTAA (TavrinSE) ACGTAA = 13.4\n"
            "ACGTAA (TavrinSE) TTGCA = inf\n"
            "PF00001 (TavrinSE) RGD = nan\n"
            "ACGT (TavrinSE) ACGT = -inf\n"
            "ACGTAA (TavrinSE) RGD = 2.5e-005\n");

  EXPECT_TRUE(elementInKeptPair(pairs, 3));
  EXPECT_FALSE(elementInKeptPair(pairs, 6));
}

TEST(NetworkOutput, OnlyOneMarkIsDropped) {
  std::ostringstream name;
  writeName(name, "@%ACGT");
  writeName(name, "|");
  writeName(name, "~");
  EXPECT_EQ(name.str(), "%ACGT|");
}

}  // namespace
}  // namespace tav
