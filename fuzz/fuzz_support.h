// Helpers shared by the fuzz targets: a check that aborts with a message
// (libFuzzer and the replay driver both treat an abort as a finding), and
// the splitting of one fuzz input into the parts a reader needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace tav::fuzz {

inline std::string_view asText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The readers that look names up get their name table from the input's first
// line (names separated by blanks or tabs, at most `maxNames`); the rest of the
// input is the file under test.
struct NamesAndFile {
  std::vector<std::string> names;
  std::string file;
};

inline NamesAndFile splitNamesLine(std::string_view input, size_t maxNames = 64) {
  NamesAndFile parts;
  const size_t end = input.find('\n');
  const std::string_view first = input.substr(0, end);
  size_t i = 0;
  while (i < first.size() && parts.names.size() < maxNames) {
    while (i < first.size() && (first[i] == ' ' || first[i] == '\t')) ++i;
    const size_t start = i;
    while (i < first.size() && first[i] != ' ' && first[i] != '\t') ++i;
    if (i > start) parts.names.emplace_back(first.substr(start, i - start));
  }
  if (end != std::string_view::npos) parts.file.assign(input.substr(end + 1));
  return parts;
}

// Every console message is one line: the text must end with a line break and
// every line must begin with `prefix` (for example "WARNING: ").
inline void checkMessageLines(const std::string& console, std::string_view prefix) {
  if (console.empty()) return;
  FUZZ_CHECK(console.back() == '\n');
  size_t start = 0;
  while (start < console.size()) {
    const size_t end = console.find('\n', start);
    FUZZ_CHECK(std::string_view(console).substr(start, prefix.size()) == prefix);
    start = end + 1;
  }
}

}  // namespace tav::fuzz
