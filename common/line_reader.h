// Line input in bounded pieces: a line longer than the piece size counts as
// several lines, so no line, however long, costs more than one piece of
// memory. A carriage return right before the line feed belongs to the line
// end. A last line without a line break is read like any other.
#pragma once

#include <istream>
#include <string>

namespace tav {

// Character access below the stream layer, for speed. A failing read (a
// directory opened as a file, an I/O error) makes the buffer throw; it is
// turned into the stream's bad state and an end of input here, so readers
// see a short file and never an escaping exception.
inline int takeChar(std::istream& in) {
  try {
    const int c = in.rdbuf()->sbumpc();
    if (c == std::char_traits<char>::eof()) in.setstate(std::ios::eofbit);
    return c;
  } catch (...) {
    in.setstate(std::ios::badbit);
    return std::char_traits<char>::eof();
  }
}

inline int peekChar(std::istream& in) {
  try {
    const int c = in.rdbuf()->sgetc();
    if (c == std::char_traits<char>::eof()) in.setstate(std::ios::eofbit);
    return c;
  } catch (...) {
    in.setstate(std::ios::badbit);
    return std::char_traits<char>::eof();
  }
}

// Reads the next piece of at most `maxChars` characters into `piece`.
// Returns false only when the stream is exhausted and nothing was read.
bool readLinePiece(std::istream& in, std::string& piece, size_t maxChars);

// Reads the next whitespace-delimited word (blanks, tabs, CR, LF, FF, VT).
// Returns false when the stream ends before a word starts. At most
// maxChars + 1 characters are kept (the rest of a longer word is consumed), so
// a caller can tell an over-long word from one that fits.
bool readWord(std::istream& in, std::string& word, size_t maxChars = 999);

// Discards the rest of the current line (through its line feed).
void skipRestOfLine(std::istream& in);

}  // namespace tav
