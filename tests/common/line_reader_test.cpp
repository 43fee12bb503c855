#include "line_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tav {
namespace {

// Every piece (or word) the reader returns, each followed by '|'.
std::string pieces(const std::string& text, size_t maxChars = 999) {
  std::istringstream in(text);
  std::string all;
  for (std::string piece; readLinePiece(in, piece, maxChars);) all += piece + "|";
  return all;
}

std::string words(const std::string& text, size_t maxChars = 999) {
  std::istringstream in(text);
  std::string all;
  for (std::string word; readWord(in, word, maxChars);) all += word + "|";
  return all;
}

TEST(ReadLinePiece, PiecesAndLineEnds) {
  const std::string a(999, 'a');
  const std::string b(999, 'b');
  EXPECT_EQ(pieces(a + b + "cc\nd\n"), a + "|" + b + "|cc|d|");
  // A full piece leaves its line break behind: it reads as an empty line,
  // but not when the file ends right there.
  EXPECT_EQ(pieces(a + "\nd\n"), a + "||d|");
  EXPECT_EQ(pieces(a + "\r\nd"), a + "||d|");
  EXPECT_EQ(pieces(a), a + "|");
  EXPECT_EQ(pieces(std::string(998, 'a') + "\r\nd"), std::string(998, 'a') + "|d|");
  EXPECT_EQ(pieces("abcdefg\n", 3), "abc|def|g|");
  EXPECT_EQ(pieces("x\r\ny\r\n"), "x|y|");
  EXPECT_EQ(pieces("x\ry\n\r"), "x\ry|\r|");  // a lone CR is data
  EXPECT_EQ(pieces("\n\nlast"), "||last|");
  EXPECT_EQ(pieces(""), "");
  EXPECT_EQ(pieces("\n"), "|");
}

TEST(ReadLinePiece, StopsForGoodAtTheEnd) {
  std::istringstream in("only");
  std::string piece;
  ASSERT_TRUE(readLinePiece(in, piece, 999));
  EXPECT_FALSE(readLinePiece(in, piece, 999));
  EXPECT_EQ(piece, "");
  EXPECT_FALSE(readLinePiece(in, piece, 999));
}

TEST(ReadWord, SplitsOnAnyWhiteSpaceAndKeepsOneCharacterBeyondTheLimit) {
  EXPECT_EQ(words(" \tA\tB  C\r\n\r\nD\f\vE"), "A|B|C|D|E|");
  EXPECT_EQ(words(" \r\n\t "), "");
  const std::string v999(999, 'v');
  EXPECT_EQ(words(std::string(100000, 'w') + " next " + v999),
            std::string(1000, 'w') + "|next|" + v999 + "|");
  EXPECT_EQ(words("abcdef", 3), "abcd|");
}

TEST(SkipRestOfLine, DiscardsThroughTheLineBreak) {
  std::istringstream in("head " + std::string(50000, 'x') + "\nnext word\n");
  std::string word;
  ASSERT_TRUE(readWord(in, word));
  skipRestOfLine(in);
  ASSERT_TRUE(readWord(in, word));
  EXPECT_EQ(word, "next");

  // Right after a word that ends its line, only that line break goes.
  std::istringstream tight("a\nb c\n");
  readWord(tight, word);
  skipRestOfLine(tight);
  ASSERT_TRUE(readWord(tight, word));
  EXPECT_EQ(word, "b");
  skipRestOfLine(tight);
  EXPECT_FALSE(readWord(tight, word));
}

}  // namespace
}  // namespace tav
