// Console output shared by every program: one message per line, flushed at
// once so progress shows while a long run works, and the one real-number
// form every report and output file uses.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>

namespace tav {

// Six significant digits in the general form; exponent form below 1e-4 or
// from 1e6 on, with the exponent's sign and at least three digits
// (1.5e-005, 2.34567e+006). Infinities print as inf / -inf, any NaN as nan.
std::string formatReal(double value);

namespace detail {
inline void put(std::ostream& out, std::string_view s) { out << s; }
inline void put(std::ostream& out, const std::string& s) { out << s; }
inline void put(std::ostream& out, const char* s) { out << s; }
inline void put(std::ostream& out, char c) { out << c; }
inline void put(std::ostream& out, double v) { out << formatReal(v); }
inline void put(std::ostream& out, float v) { out << formatReal(v); }
template <typename Int>
  requires std::is_integral_v<Int>
inline void put(std::ostream& out, Int v) {
  out << static_cast<long long>(v);
}
}  // namespace detail

// Writes the pieces without added blanks, then a line break, then flushes.
// Doubles go through formatReal, integers in plain decimal.
template <typename... Pieces>
void line(std::ostream& out, const Pieces&... pieces) {
  (detail::put(out, pieces), ...);
  out << '\n';
  out.flush();
}

// Writes the pieces without a line break and flushes (progress dots, a line
// that a later stage completes).
template <typename... Pieces>
void write(std::ostream& out, const Pieces&... pieces) {
  (detail::put(out, pieces), ...);
  out.flush();
}

}  // namespace tav
