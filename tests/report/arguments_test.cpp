// The argument handling of the two newer programs: values as the shell
// passes them, blanks included; the six older programs keep their own rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capacities.h"
#include "command_line.h"

namespace tav {
namespace {

OptionTable reportLikeTable() {
  OptionTable table;
  table.entries = {textOption("-net ", true, kMaxFileName),
                   textOption("-title ", false, kMaxTypeText, "Tavrin report"),
                   integerOption("-sites ", 100)};
  return table;
}

struct Parsed {
  int ok = 0;
  OptionValues values;
};

Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "program");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  Parsed parsed;
  parsed.ok = parseArgumentList(reportLikeTable(), static_cast<int>(argv.size()), argv.data(),
                                parsed.values);
  return parsed;
}

TEST(ArgumentList, ValuesAreWholeArgumentsBlanksIncluded) {
  const std::string longest(kMaxFileName, 'x');
  struct Case {
    std::vector<std::string> args;
    int ok;
    const char* net;
    const char* title;
    int sites;
  } cases[] = {
      {{"-net", "my run/net", "-title", "Human STRING, 30k edges"}, 1, "my run/net",
       "Human STRING, 30k edges", 100},
      // The older quoting still works: one pair of enclosing quotes is dropped.
      {{"-net", "n", "-title", "\"Tavrin demo\""}, 1, "n", "Tavrin demo", 100},
      {{"-net", "n", "-title", "\""}, 1, "n", "\"", 100},
      {{"-net", "n", "-title", "say \"hi\""}, 1, "n", "say \"hi\"", 100},
      // A value may start with a minus; the last of a repeated option counts.
      {{"-net", "-odd", "-net", "n2", "-title", "-t"}, 1, "n2", "-t", 100},
      {{"", "-net", "n", ""}, 1, "n", "Tavrin report", 100},  // empty arguments
      {{"-net", "n", "-sites", "12abc"}, 1, "n", "Tavrin report", 12},
      {{"-net", "n", "-title"}, 1, "n", "", 100},  // a last option without value
      {{"-net", longest}, 1, longest.c_str(), "Tavrin report", 100},
      // Refused: required missing or empty, unknown key, key and value in
      // one argument, a stray word, a value over its capacity.
      {{}, 0, "", "", 0},
      {{"-title", "t"}, 0, "", "", 0},
      {{"-net", ""}, 0, "", "", 0},
      {{"-net", "\"\""}, 0, "", "", 0},
      {{"-net"}, 0, "", "", 0},
      {{"-net", "n", "-sex", "1"}, 0, "", "", 0},
      {{"-net n"}, 0, "", "", 0},
      {{"-net", "n", "stray"}, 0, "", "", 0},
      {{"-ne", "n"}, 0, "", "", 0},
      {{"-net", longest + "x"}, 0, "", "", 0},
      {{"-net", "n", "-sites", std::string(kMaxIntegerToken + 1, '1')}, 0, "", "", 0},
  };
  for (const Case& c : cases) {
    const Parsed p = parse(c.args);
    std::string label;
    for (const std::string& a : c.args) {
      label += '[';
      label.append(a, 0, 20);
      label += ']';
    }
    ASSERT_EQ(p.ok, c.ok) << label;
    if (c.ok == 0) continue;
    EXPECT_EQ(p.values.text[0], c.net) << label;
    EXPECT_EQ(p.values.text[1], c.title) << label;
    EXPECT_EQ(p.values.integer[2], c.sites) << label;
  }
  // Every value within its capacity; joined, "-net n " and nine times
  // "-title <999 t> " make 9070 characters, ten times 10077: over the limit.
  static_assert(kCommandLineCapacity == 9999 && kMaxTypeText == 999);
  std::vector<std::string> many = {"-net", "n"};
  for (int i = 0; i < 9; ++i) {
    many.push_back("-title");
    many.push_back(std::string(kMaxTypeText, 't'));
  }
  EXPECT_EQ(parse(many).ok, 1);
  many.push_back("-title");
  many.push_back(std::string(kMaxTypeText, 't'));
  EXPECT_EQ(parse(many).ok, 0);
}

TEST(ArgumentList, EchoQuotesArgumentsWithWhiteSpaceForTheShell) {
  struct Case {
    std::vector<const char*> argv;
    const char* echo;
  } cases[] = {
      {{"p"}, ""},
      {{"p", "-net", "net", "-type", "5'MOTIF"}, "-net net -type 5'MOTIF "},
      {{"p", "-title", "Human STRING, 30k"}, "-title 'Human STRING, 30k' "},
      {{"p", "-title", "it's\tme"}, "-title 'it'\\''s\tme' "},
      {{"p", "", "-net"}, " -net "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(echoArguments(static_cast<int>(c.argv.size()), c.argv.data()), c.echo);
  }
}

}  // namespace
}  // namespace tav
