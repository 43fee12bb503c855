#include "console.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace tav {

std::string formatReal(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  // The C library writes at least two exponent digits; our files carry three.
  char* e = std::strchr(buffer, 'e');
  if (e == nullptr) return buffer;
  std::string mantissa(buffer, e);
  char sign = e[1];
  std::string digits(e + 2);
  while (digits.size() < 3) digits.insert(digits.begin(), '0');
  return mantissa + 'e' + sign + digits;
}

}  // namespace tav
