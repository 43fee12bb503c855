#include "noa_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tav {
namespace {

TEST(NoaLines, StripAndSplit) {
  std::string line = " A C\tG = 5'MOTIF \t";
  stripBlanks(line);
  EXPECT_EQ(line, "ACG=5'MOTIF");
  // line, name before the first '=' (or none), value after it (or none when
  // the only '=' ends the line)
  struct Case { const char* line; bool hasName; const char* name; bool hasValue; const char* value; };
  for (const Case& c : {Case{"ACG=5'MOTIF", true, "ACG", true, "5'MOTIF"},
                        Case{"a=b=c", true, "a", true, "b=c"}, Case{"ACG=", true, "ACG", false, ""},
                        Case{"A==", true, "A", true, "="}, Case{"=X", true, "", true, "X"},
                        Case{"ACG", false, "", false, ""}, Case{"", false, "", false, ""}}) {
    std::string name;
    std::string value;
    EXPECT_EQ(splitName(c.line, name), c.hasName) << c.line;
    EXPECT_EQ(name, c.name) << c.line;
    EXPECT_EQ(splitValue(c.line, value), c.hasValue) << c.line;
    EXPECT_EQ(value, c.value) << c.line;
  }
}

struct Read {
  NoaReadResult result;
  std::vector<MotifEntry> entries;
};

Read readAll(const std::string& text, const std::string& type = "5'MOTIF", int start = 0) {
  std::istringstream in(text);
  Read read;
  read.entries.resize(start);
  read.result = readNoaMotifs(in, read.entries, start, type);
  return read;
}

std::vector<std::string> texts(const Read& read) {
  std::vector<std::string> out;
  for (int i = 0; i < read.result.next; ++i) out.push_back(read.entries[i].text);
  return out;
}

TEST(NoaReader, SelectsLinesOfTheRequestedType) {
  const Read read = readAll(
      "ACGT = 5'MOTIF\n"  // the header is never examined
      "ACGTAC = 5'MOTIF\n"
      "\n"
      "   \t \n"
      "GGG = 3'MOTIF\n"
      "TTT = 5'motif\n"
      "CCC = PMOTIF\n"
      "AAA[=\n"
      "A C [G T]\tN = 5' MOTIF\r\n"
      "= 5'MOTIF\n"
      "[[bad = OTHER\n"
      "ACGTAC = 5'MOTIF\n"
      "TT=5'MOTIF");  // no final line break
  EXPECT_EQ(read.result.status, MotifStatus::Ok);
  EXPECT_FALSE(read.result.tooMany);
  EXPECT_EQ(texts(read), (std::vector<std::string>{"ACGTAC", "AC[GT]N", "", "ACGTAC", "TT"}));
  const MotifMatrix& m = read.entries[1].matrix;
  EXPECT_EQ(m.length, 4);
  EXPECT_EQ(m.columns, 4);
  EXPECT_EQ(m.counts[2], (std::vector<int32_t>{0, 0, 1, 1}));
  EXPECT_EQ(read.entries[2].matrix.columns, 0);
}

TEST(NoaReader, HeaderOnlyOrEmpty) {
  EXPECT_EQ(readAll("").result.next, 0);
  EXPECT_EQ(readAll("ACGTAC = 5'MOTIF\n").result.next, 0);
  EXPECT_EQ(readAll("header\nACGTAC = 3'MOTIF\n").result.next, 0);
  EXPECT_EQ(readAll("header\nACGTAC = 3'MOTIF\n", "3'MOTIF").result.next, 1);
}

TEST(NoaReader, LongLinesAreReadInPieces) {
  // The first 9999 characters hold no '='; the rest is a line of its own.
  const Read read = readAll("h\n" + std::string(9999, 'C') + "GA = 5'MOTIF\n");
  EXPECT_EQ(texts(read), std::vector<std::string>{"GA"});
}

TEST(NoaReader, MalformedMotifStopsTheReading) {
  Read read = readAll("h\nACG=5'MOTIF\nA]C=5'MOTIF\nTTT=5'MOTIF\n");
  EXPECT_EQ(read.result.status, MotifStatus::BadFormat);
  EXPECT_EQ(read.result.badText, "A]C");
  EXPECT_EQ(read.result.next, 1);
  read = readAll("h\n" + std::string(101, 'A') + "=5'MOTIF\n");
  EXPECT_EQ(read.result.status, MotifStatus::TooLong);
  EXPECT_EQ(read.result.next, 0);
  read = readAll("h\n" + std::string(100, 'A') + "=5'MOTIF\n");
  EXPECT_EQ(read.result.status, MotifStatus::Ok);
  EXPECT_EQ(read.entries[0].matrix.columns, 100);
}

TEST(NoaReader, AtMostTenThousandEntries) {
  std::string text = "h\n";
  for (int i = 0; i < 10000; ++i) text += "ACGTAC=5'MOTIF\n";
  Read read = readAll(text);
  EXPECT_EQ(read.result.next, 10000);
  EXPECT_FALSE(read.result.tooMany);
  read = readAll(text + "GG=5'MOTIF\n");
  EXPECT_EQ(read.result.next, 10000);
  EXPECT_TRUE(read.result.tooMany);
}

TEST(NoaReader, LineLoopForTheConservationScorers) {
  std::istringstream in("h\nA=P\nB = Q\n C = P \n");
  skipNoaHeader(in);
  std::string name;
  ASSERT_TRUE(nextNoaMotif(in, "P", name));
  EXPECT_EQ(name, "A");
  ASSERT_TRUE(nextNoaMotif(in, "P", name));
  EXPECT_EQ(name, "C");
  EXPECT_FALSE(nextNoaMotif(in, "P", name));
}

}  // namespace
}  // namespace tav
