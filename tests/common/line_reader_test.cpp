#include "line_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

std::vector<std::string> pieces(const std::string& text, size_t maxChars = 999) {
  std::istringstream in(text);
  std::vector<std::string> out;
  std::string piece;
  while (readLinePiece(in, piece, maxChars)) out.push_back(piece);
  return out;
}

std::vector<std::string> words(const std::string& text, size_t maxChars = 999) {
  std::istringstream in(text);
  std::vector<std::string> out;
  std::string word;
  while (readWord(in, word, maxChars)) out.push_back(word);
  return out;
}

using Texts = std::vector<std::string>;

TEST(ReadLinePiece, LongLinesComeInPieces) {
  const std::string a(999, 'a');
  const std::string b(999, 'b');
  EXPECT_EQ(pieces(a + b + "cc\nd\n"), (Texts{a, b, "cc", "d"}));
  // A full piece leaves its line break behind: it reads as an empty line.
  EXPECT_EQ(pieces(a + "\nd\n"), (Texts{a, "", "d"}));
  EXPECT_EQ(pieces(a + "\r\nd"), (Texts{a, "", "d"}));
  EXPECT_EQ(pieces(std::string(998, 'a') + "\r\nd"), (Texts{std::string(998, 'a'), "d"}));
  // ... but not when the file ends right there.
  EXPECT_EQ(pieces(a), (Texts{a}));
  EXPECT_EQ(pieces("abcdefg\n", 3), (Texts{"abc", "def", "g"}));
}

TEST(ReadLinePiece, LineEnds) {
  EXPECT_EQ(pieces("x\r\ny\r\n"), (Texts{"x", "y"}));
  EXPECT_EQ(pieces("x\ry\n\r"), (Texts{"x\ry", "\r"}));  // a lone CR is data
  EXPECT_EQ(pieces("\n\nlast"), (Texts{"", "", "last"}));
  EXPECT_EQ(pieces(""), Texts{});
  EXPECT_EQ(pieces("\n"), Texts{""});
}

TEST(ReadLinePiece, StopsForGoodAtTheEnd) {
  std::istringstream in("only");
  std::string piece;
  ASSERT_TRUE(readLinePiece(in, piece, 999));
  EXPECT_FALSE(readLinePiece(in, piece, 999));
  EXPECT_EQ(piece, "");
  EXPECT_FALSE(readLinePiece(in, piece, 999));
}

TEST(ReadWord, SplitsOnAnyWhiteSpace) {
  EXPECT_EQ(words(" \tA\tB  C\r\n\r\nD\f\vE"), (Texts{"A", "B", "C", "D", "E"}));
  EXPECT_EQ(words(" \r\n\t "), Texts{});
}

TEST(ReadWord, LongWordsKeepOneCharacterBeyondTheLimit) {
  const std::string huge(100000, 'w');
  Texts got = words(huge + " next " + std::string(999, 'v'));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], std::string(1000, 'w'));
  EXPECT_EQ(got[1], "next");
  EXPECT_EQ(got[2], std::string(999, 'v'));
  EXPECT_EQ(words("abcdef", 3), Texts{"abcd"});
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
