#include "line_reader.h"

namespace tav {

namespace {
constexpr int kEnd = std::char_traits<char>::eof();
bool isSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
}  // namespace

bool readLinePiece(std::istream& in, std::string& piece, size_t maxChars) {
  piece.clear();
  if (in.rdbuf() == nullptr || !in.good()) return false;
  bool readAny = false;
  while (piece.size() < maxChars) {
    const int c = takeChar(in);
    if (c == kEnd) return readAny;
    readAny = true;
    if (c == '\n') return true;
    if (c == '\r' && peekChar(in) == '\n') {
      takeChar(in);
      return true;
    }
    piece.push_back(static_cast<char>(c));
  }
  return true;
}

bool readWord(std::istream& in, std::string& word, size_t maxChars) {
  word.clear();
  if (in.rdbuf() == nullptr || !in.good()) return false;
  int c = peekChar(in);
  while (c != kEnd && isSpace(c)) {
    takeChar(in);
    c = peekChar(in);
  }
  if (c == kEnd) return false;
  while (c != kEnd && !isSpace(c)) {
    if (word.size() <= maxChars) word.push_back(static_cast<char>(c));
    takeChar(in);
    c = peekChar(in);
  }
  return true;
}

void skipRestOfLine(std::istream& in) {
  if (in.rdbuf() == nullptr || !in.good()) return;
  for (;;) {
    const int c = takeChar(in);
    if (c == kEnd || c == '\n') return;
  }
}

}  // namespace tav
