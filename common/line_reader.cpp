#include "line_reader.h"

namespace tav {

bool readLinePiece(std::istream& in, std::string& piece, size_t maxChars) {
  piece.clear();
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr || !in.good()) return false;
  bool readAny = false;
  while (piece.size() < maxChars) {
    int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return readAny;
    }
    readAny = true;
    if (c == '\n') return true;
    if (c == '\r' && buf->sgetc() == '\n') {
      buf->sbumpc();
      return true;
    }
    piece.push_back(static_cast<char>(c));
  }
  return true;
}

namespace {
bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
}  // namespace

bool readWord(std::istream& in, std::string& word, size_t maxChars) {
  word.clear();
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr || !in.good()) return false;
  int c = buf->sgetc();
  while (c != std::char_traits<char>::eof() && isSpace(c)) c = buf->snextc();
  if (c == std::char_traits<char>::eof()) {
    in.setstate(std::ios::eofbit);
    return false;
  }
  while (c != std::char_traits<char>::eof() && !isSpace(c)) {
    if (word.size() <= maxChars) word.push_back(static_cast<char>(c));
    c = buf->snextc();
  }
  if (c == std::char_traits<char>::eof()) in.setstate(std::ios::eofbit);
  return true;
}

void skipRestOfLine(std::istream& in) {
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr || !in.good()) return;
  for (;;) {
    int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return;
    }
    if (c == '\n') return;
  }
}

}  // namespace tav
