#include "command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

enum { kFasta, kSe, kInt, kOut, kMethod, kSrand, kRandom };

OptionTable pairFinderLikeTable() {
  OptionTable table;
  table.entries = {
      {"-fasta ", OptionKind::Text, "", 0, true, 259},
      {"-se ", OptionKind::Text, "", 0, true, 259},
      {"-int ", OptionKind::Text, "", 0, true, 259},
      {"-out ", OptionKind::Text, "", 0, true, 259},
      {"-domethod ", OptionKind::Text, "", 0, false, 20},
      {"-srand ", OptionKind::Integer, "", -1, false, 0},
      {"-random ", OptionKind::Integer, "", 0, false, 0},
  };
  return table;
}

std::string join(std::vector<const char*> args) {
  args.insert(args.begin(), "Tavrin");
  return joinArguments(static_cast<int>(args.size()), args.data());
}

const std::string kRequired = "-fasta a.fa -se b.se -int c.tab -out res ";

struct Parsed {
  int ok = 0;
  OptionValues values;
};

Parsed parse(const std::string& text) {
  Parsed p;
  p.ok = parseCommandLine(pairFinderLikeTable(), text, p.values);
  return p;
}

TEST(CommandLine, JoinsArgumentsWithOneBlankEach) {
  EXPECT_EQ(join({}), "");
  EXPECT_EQ(join({"-fasta", "a b", ""}), "-fasta a b  ");
}

TEST(CommandLine, RequiredOptionsInAnyOrderWithDefaults) {
  Parsed p = parse(join({"-out", "res", "-int", "c.tab", "-fasta", "a.fa", "-se", "b.se"}));
  ASSERT_EQ(p.ok, 1);
  EXPECT_EQ(p.values.text[kFasta], "a.fa");
  EXPECT_EQ(p.values.text[kSe], "b.se");
  EXPECT_EQ(p.values.text[kInt], "c.tab");
  EXPECT_EQ(p.values.text[kOut], "res");
  EXPECT_EQ(p.values.text[kMethod], "");
  EXPECT_EQ(p.values.integer[kSrand], -1);
  EXPECT_EQ(p.values.integer[kRandom], 0);
}

TEST(CommandLine, RefusedCommandLines) {
  EXPECT_EQ(parse("").ok, 0);                                    // no arguments
  EXPECT_EQ(parse("-fasta a.fa -se b.se -int c.tab ").ok, 0);    // required option missing
  EXPECT_EQ(parse("-fasta a.fa -se b.se -int c.tab -out ").ok, 0);  // last one without value
  EXPECT_EQ(parse(kRequired + "-sex b.se ").ok, 0);              // key matched only with its blank
  EXPECT_EQ(parse(kRequired + "-Out x ").ok, 0);                 // case-sensitive keys
  EXPECT_EQ(parse(kRequired + "stray ").ok, 0);
  EXPECT_EQ(parse(kRequired + "-out \"\" ").ok, 0);              // empty quoted value
  // A value is taken literally, so -se becomes the FASTA name and x is a stray word.
  EXPECT_EQ(parse("-fasta -se x -se b.se -int c.tab -out res ").ok, 0);
}

TEST(CommandLine, ValuesAreTakenLiterally) {
  Parsed p = parse("-fasta -se " + kRequired.substr(12) + "-fasta -int ");
  ASSERT_EQ(p.ok, 1);
  EXPECT_EQ(p.values.text[kFasta], "-int");  // given twice: the later value
  EXPECT_EQ(p.values.text[kInt], "c.tab");
}

TEST(CommandLine, QuotedValuesKeepTheirBlanks) {
  Parsed p = parse("-fasta \"my genes.fa\" -se \"b.se\"-int c.tab -out res ");
  ASSERT_EQ(p.ok, 1);
  EXPECT_EQ(p.values.text[kFasta], "my genes.fa");
  // The scan resumes right after the closing quote.
  EXPECT_EQ(p.values.text[kSe], "b.se");
  EXPECT_EQ(p.values.text[kInt], "c.tab");

  // An unclosed quote runs to the end of the text.
  Parsed open = parse(kRequired + "-out \"a b ");
  ASSERT_EQ(open.ok, 1);
  EXPECT_EQ(open.values.text[kOut], "a b ");
  // Unquoted, the blank splits the value and the rest is a stray word.
  EXPECT_EQ(parse(kRequired + "-out a b ").ok, 0);
  EXPECT_EQ(parse(kRequired + "-out a\"b c\" ").ok, 0);
}

TEST(CommandLine, IntegerValuesConvertLikeAtol) {
  struct Case {
    const char* token;
    int32_t value;
  } cases[] = {{"12abc", 12}, {"abc", 0}, {"-5", -5}, {"+7", 7}, {"\" 42\"", 42},
               {"007", 7},    {"2147483648", -2147483647 - 1}};
  for (const Case& c : cases) {
    Parsed p = parse(kRequired + "-srand " + c.token + " ");
    ASSERT_EQ(p.ok, 1) << c.token;
    EXPECT_EQ(p.values.integer[kSrand], c.value) << c.token;
  }
  // Last integer option without value reads as 0, not as its default.
  Parsed last = parse(kRequired + "-srand ");
  ASSERT_EQ(last.ok, 1);
  EXPECT_EQ(last.values.integer[kSrand], 0);
}

TEST(CommandLine, CapacitiesAreRefusedNotTruncated) {
  EXPECT_EQ(parse(kRequired + "-domethod " + std::string(20, 'm') + " ").ok, 1);
  EXPECT_EQ(parse(kRequired + "-domethod " + std::string(21, 'm') + " ").ok, 0);
  EXPECT_EQ(parse(kRequired + "-out " + std::string(259, 'o') + " ").ok, 1);
  EXPECT_EQ(parse(kRequired + "-out " + std::string(260, 'o') + " ").ok, 0);
  EXPECT_EQ(parse(kRequired + "-srand " + std::string(999, '1') + " ").ok, 1);
  EXPECT_EQ(parse(kRequired + "-srand " + std::string(1000, '1') + " ").ok, 0);

  std::string text = kRequired;
  while (text.size() < 9999) text += ' ';
  EXPECT_EQ(parse(text).ok, 1);
  EXPECT_EQ(parse(text + ' ').ok, 0);
}

TEST(CommandLine, TokenAndKeyPrimitives) {
  Token quoted = readToken("\"a b\" rest");
  EXPECT_EQ(quoted.text, "a b");
  EXPECT_EQ(quoted.consumed, 4);  // stands on the closing quote
  Token open = readToken("\"a b");
  EXPECT_EQ(open.text, "a b");
  EXPECT_EQ(open.consumed, 4);
  Token blank = readToken(" x");
  EXPECT_EQ(blank.text, "");
  EXPECT_EQ(blank.consumed, 0);
  Token plain = readToken("abc def");
  EXPECT_EQ(plain.text, "abc");
  EXPECT_EQ(plain.consumed, 3);

  std::string value;
  EXPECT_EQ(readTextOption("   v1 v2", value), 5);
  EXPECT_EQ(value, "v1");
  int32_t number = 0;
  EXPECT_EQ(readIntegerOption("  -3x ", number), 5);
  EXPECT_EQ(number, -3);

  OptionTable table = pairFinderLikeTable();
  int keyLength = 0;
  EXPECT_EQ(matchOption(table, "-se b", &keyLength), kSe);
  EXPECT_EQ(keyLength, 4);
  EXPECT_EQ(matchOption(table, "-seq b", &keyLength), -1);
  EXPECT_EQ(matchOption(table, "-se", &keyLength), -1);
}

TEST(CommandLine, BannerFrame) {
  std::ostringstream out;
  printBanner(out, "*** T 1.0 ***", {"free for academic use", "cite us"});
  EXPECT_EQ(out.str(), "\n*** T 1.0 ***\nfree for academic use\ncite us\n");
}

}  // namespace
}  // namespace tav
