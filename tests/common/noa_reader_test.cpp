#include "noa_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tav {
namespace {

// "text:columns," per entry read, then how the reading ended.
std::string summary(const std::string& text, const std::string& type = "5'MOTIF") {
  std::istringstream in(text);
  std::vector<MotifEntry> entries;
  const NoaReadResult r = readNoaMotifs(in, entries, 0, type);
  std::string s;
  for (int i = 0; i < r.next; ++i) {
    s += entries[i].text + ":" + std::to_string(entries[i].matrix.columns) + ",";
  }
  if (r.status == MotifStatus::TooLong) s += " too long";
  if (r.status == MotifStatus::BadFormat) s += " bad " + r.badText;
  return r.tooMany ? s + " too many" : s;
}

TEST(NoaReader, SelectsLinesOfTheRequestedType) {
  EXPECT_EQ(summary("ACGT = 5'MOTIF\n"  // the header is never examined
                    "ACGTAC = 5'MOTIF\n\n   \t \n"
                    "GGG = 3'MOTIF\nTTT = 5'motif\nCCC = PMOTIF\nAAA[=\n"
                    "A C [G T]\tN = 5' MOTIF\r\n"
                    "= 5'MOTIF\n[[bad = OTHER\nACGTAC = 5'MOTIF\n"
                    "TT=5'MOTIF"),  // no final line break
            "ACGTAC:6,AC[GT]N:4,:0,ACGTAC:6,TT:2,");
  EXPECT_EQ(summary(""), "");
  EXPECT_EQ(summary("header\nACGTAC = 3'MOTIF\n"), "");
  EXPECT_EQ(summary("header\nACGTAC = 3'MOTIF\n", "3'MOTIF"), "ACGTAC:6,");
  // The first 9999 characters hold no '='; the rest is a line of its own.
  EXPECT_EQ(summary("h\n" + std::string(9999, 'C') + "GA = 5'MOTIF\n"), "GA:2,");
}

TEST(NoaReader, MalformedMotifStopsTheReading) {
  EXPECT_EQ(summary("h\nACG=5'MOTIF\nA]C=5'MOTIF\nTTT=5'MOTIF\n"), "ACG:3, bad A]C");
  EXPECT_EQ(summary("h\n" + std::string(101, 'A') + "=5'MOTIF\n"), " too long");
  EXPECT_EQ(summary("h\n" + std::string(100, 'A') + "=5'MOTIF\n"), std::string(100, 'A') + ":100,");
}

TEST(NoaReader, AtMostTenThousandEntries) {
  std::string text = "h\n";
  for (int i = 0; i < 10000; ++i) text += "ACGTAC=5'MOTIF\n";
  for (const std::string extra : {"", "GG=5'MOTIF\n"}) {
    std::istringstream in(text + extra);
    std::vector<MotifEntry> entries;
    const NoaReadResult r = readNoaMotifs(in, entries, 0, "5'MOTIF");
    EXPECT_EQ(r.next, 10000);
    EXPECT_EQ(r.tooMany, !extra.empty());
  }
}

TEST(NoaReader, LineLoopForTheConservationScorers) {
  std::istringstream in("h\nA=P\nB = Q\n C = P \n");
  skipNoaHeader(in);
  std::string names;
  for (std::string name; nextNoaMotif(in, "P", name);) names += name;
  EXPECT_EQ(names, "AC");
}

}  // namespace
}  // namespace tav
