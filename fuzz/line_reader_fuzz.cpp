// Fuzz target: bounded line pieces and words, the two ways every reader takes
// text in. Pieces and words are checked against a plain re-reading of the
// input: nothing lost, nothing invented, no piece beyond its bound.
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "line_reader.h"

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(tav::fuzz::asText(data, size));
  // A small bound so that splitting long lines is reached often.
  const size_t bound = size == 0 ? 1 : 1 + data[0] % 16;

  // Pieces: the input is the pieces joined by their line ends (LF or CR LF).
  // A piece that fills its bound ends without consuming a line end, so a line
  // of exactly the bound is followed by an empty piece.
  {
    std::istringstream in(input);
    std::string piece;
    size_t pos = 0;
    while (tav::readLinePiece(in, piece, bound)) {
      FUZZ_CHECK(piece.size() <= bound);
      FUZZ_CHECK(piece.find('\n') == std::string::npos);
      FUZZ_CHECK(input.compare(pos, piece.size(), piece) == 0);
      pos += piece.size();
      if (piece.size() == bound) continue;
      if (pos < input.size() && input[pos] == '\n') {
        ++pos;
      } else if (pos + 1 < input.size() && input[pos] == '\r' && input[pos + 1] == '\n') {
        pos += 2;
      } else {
        FUZZ_CHECK(pos == input.size());
      }
    }
    FUZZ_CHECK(pos == input.size());
  }

  // Words: the same words as a plain split, each kept to bound + 1 characters.
  {
    std::istringstream in(input);
    std::string word;
    size_t pos = 0;
    while (tav::readWord(in, word, bound)) {
      while (pos < input.size() && isSpace(input[pos])) ++pos;
      size_t end = pos;
      while (end < input.size() && !isSpace(input[end])) ++end;
      FUZZ_CHECK(end > pos);
      const std::string expected = input.substr(pos, std::min(end - pos, bound + 1));
      FUZZ_CHECK(word == expected);
      pos = end;
    }
    while (pos < input.size() && isSpace(input[pos])) ++pos;
    FUZZ_CHECK(pos == input.size());
  }

  // Skipping a line consumes through its line feed and no further.
  {
    std::istringstream in(input);
    tav::skipRestOfLine(in);
    const size_t feed = input.find('\n');
    std::string piece;
    if (tav::readLinePiece(in, piece, input.size() + 1)) {
      FUZZ_CHECK(feed != std::string::npos);
      FUZZ_CHECK(input.compare(feed + 1, piece.size(), piece) == 0);
    }
  }
  return 0;
}
