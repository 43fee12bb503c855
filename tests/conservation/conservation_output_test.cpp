#include "conservation_output.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

TEST(WriteConservation, OneLinePerMotifWithOneMinusP) {
  double noisy = 0.0;
  for (int i = 0; i < 1000; ++i) noisy += 0.001;
  const std::vector<MotifRecord> motifs = {
      {"ACGT", 0.2, 0.0},   {"@AC[GT]", 0.1, 0.05}, {"@@TT", 0.0, 0.999},
      {"%GG", 0.0, 1.0},    {"~KLV", 0.0, noisy},   {"ACGT", 0.0, 0.5},
      {"", 0.0, 0.25},      {"A@", 0.0, 0.0}};
  std::ostringstream file;
  EXPECT_EQ(writeConservation(file, motifs, static_cast<int>(motifs.size())), 8);
  EXPECT_EQ(file.str(),
            "Conservation (class=Double)\n"
            "ACGT = 1\n"
            "AC[GT] = 0.95\n"
            "@TT = 0.001\n"
            "GG = 0\n"
            "KLV = -6.66134e-016\n"  // the sum of 1000 times 0.001 is not 1
            "ACGT = 0.5\n"
            " = 0.75\n"
            "A@ = 1\n");
}

TEST(WriteConservation, HeaderOnlyForNoMotifs) {
  std::ostringstream file;
  EXPECT_EQ(writeConservation(file, {}, 0), 0);
  EXPECT_EQ(file.str(), "Conservation (class=Double)\n");
}

}  // namespace
}  // namespace tav
