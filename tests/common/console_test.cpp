#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "console.h"

namespace tav {
namespace {

TEST(FormatReal, GeneralFormWithThreeExponentDigits) {
  EXPECT_EQ(formatReal(1.5e-5), "1.5e-005");
  EXPECT_EQ(formatReal(2345670.0), "2.34567e+006");
  EXPECT_EQ(formatReal(0.0123456789), "0.0123457");
  EXPECT_EQ(formatReal(0.0001), "0.0001");
  EXPECT_EQ(formatReal(0.000099999), "9.9999e-005");
  EXPECT_EQ(formatReal(999999.0), "999999");
  EXPECT_EQ(formatReal(1000000.0), "1e+006");
  EXPECT_EQ(formatReal(0.25), "0.25");
  EXPECT_EQ(formatReal(13.4), "13.4");
  EXPECT_EQ(formatReal(1.0), "1");
  EXPECT_EQ(formatReal(0.0), "0");
  EXPECT_EQ(formatReal(-2.5e-5), "-2.5e-005");
  EXPECT_EQ(formatReal(1e-300), "1e-300");
  EXPECT_EQ(formatReal(0.7), "0.7");
}

TEST(FormatReal, NonFiniteValues) {
  EXPECT_EQ(formatReal(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(formatReal(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(formatReal(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(formatReal(-std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(Line, JoinsPiecesWithoutBlanks) {
  std::ostringstream out;
  line(out, "a", 12, " b ", 0.5, std::string("c"));
  write(out, ".");
  EXPECT_EQ(out.str(), "a12 b 0.5c\n.");
}

}  // namespace
}  // namespace tav
