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

// "refused", or every value in table order separated by '|'.
std::string parse(const std::string& text) {
  OptionValues v;
  const int ok = parseCommandLine(pairFinderLikeTable(), text, v);
  if (ok == 0) return "refused";
  EXPECT_EQ(ok, 1);
  std::string s;
  for (int i : {kFasta, kSe, kInt, kOut, kMethod}) s += v.text[i] + "|";
  return s + std::to_string(v.integer[kSrand]) + "|" + std::to_string(v.integer[kRandom]);
}

const std::string kRequired = "-fasta a.fa -se b.se -int c.tab -out res ";

// The values of kRequired with -out, -domethod and -srand as given.
std::string values(const std::string& out, const std::string& method, const std::string& srand) {
  return "a.fa|b.se|c.tab|" + out + "|" + method + "|" + srand + "|0";
}

TEST(CommandLine, ValuesOrRefusal) {
  const std::string m20(20, 'm');
  const std::string o259(259, 'o');
  std::string padded = kRequired;  // the longest command line
  padded.resize(9999, ' ');
  const std::pair<std::string, std::string> cases[] = {
      {join({"-out", "res", "-int", "c.tab", "-fasta", "a.fa", "-se", "b.se"}),
       values("res", "", "-1")},
      {"", "refused"},
      {"-fasta a.fa -se b.se -int c.tab ", "refused"},       // required option missing
      {"-fasta a.fa -se b.se -int c.tab -out ", "refused"},  // last one without value
      {kRequired + "-sex b.se ", "refused"},                 // a key matches only with its blank
      {kRequired + "-Out x ", "refused"},
      {kRequired + "stray ", "refused"},
      {kRequired + "-out \"\" ", "refused"},
      // values are taken literally; given twice, the later one holds
      {"-fasta -se x -se b.se -int c.tab -out res ", "refused"},  // x is a stray word
      {"-fasta -se -se b.se -int c.tab -out res -fasta -int ", "-int|b.se|c.tab|res||-1|0"},
      // quotes keep blanks; the scan resumes right after the closing quote; an
      // unclosed quote runs to the end
      {"-fasta \"my genes.fa\" -se \"b.se\"-int c.tab -out res ",
       "my genes.fa|b.se|c.tab|res||-1|0"},
      {kRequired + "-out \"a b ", values("a b ", "", "-1")},
      {kRequired + "-out a b ", "refused"},
      {kRequired + "-out a\"b c\" ", "refused"},
      // integers convert like atol; a last integer option without value is 0
      {kRequired + "-srand 12abc -random -5 ", "a.fa|b.se|c.tab|res||12|-5"},
      {kRequired + "-srand abc ", values("res", "", "0")},
      {kRequired + "-srand +7 ", values("res", "", "7")},
      {kRequired + "-srand \" 42\" ", values("res", "", "42")},
      {kRequired + "-srand 007 ", values("res", "", "7")},
      {kRequired + "-srand 2147483648 ", values("res", "", "-2147483648")},
      {kRequired + "-srand ", values("res", "", "0")},
      // capacities are refused, never truncated
      {kRequired + "-domethod " + m20 + " ", values("res", m20, "-1")},
      {kRequired + "-domethod " + m20 + "m ", "refused"},
      {kRequired + "-out " + o259 + " ", values(o259, "", "-1")},
      {kRequired + "-out " + o259 + "o ", "refused"},
      {kRequired + "-srand " + std::string(1000, '1') + " ", "refused"},
      {padded, values("res", "", "-1")},
      {padded + ' ', "refused"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parse(text), expected) << text.substr(0, 80);
  EXPECT_NE(parse(kRequired + "-srand " + std::string(999, '1') + " "), "refused");
}

}  // namespace
}  // namespace tav
