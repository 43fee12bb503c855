#include "console.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

namespace tav {
namespace {

TEST(FormatReal, GeneralFormWithThreeExponentDigits) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::string got;
  for (double v : {1.5e-5, 2345670.0, 0.0123456789, 0.0001, 0.000099999, 999999.0, 1000000.0, 0.25,
                   13.4, 1.0, 0.0, -2.5e-5, 1e-300, 0.7, inf, -inf, nan, -nan}) {
    got += formatReal(v) + " ";
  }
  EXPECT_EQ(got,
            "1.5e-005 2.34567e+006 0.0123457 0.0001 9.9999e-005 999999 1e+006 0.25 13.4 1 0 "
            "-2.5e-005 1e-300 0.7 inf -inf nan nan ");
}

}  // namespace
}  // namespace tav
