#include "redundant_motifs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "console.h"
#include "motif.h"
#include "similarity.h"

namespace tav {
namespace {

// Both scores of two motif texts (without marks), the first one's strand
// flag deciding both.
TEST(RedundantMotifs, WorkedScores) {
  struct Case {
    const char* first;
    const char* second;
    bool bothStrands;
    const char* simvale;
    const char* icompare;
  };
  for (const Case& c :
       {Case{"ACGTGACCT", "ACGTGACCA", false, "0.851852", "0.260447"},
        Case{"TTGACGTCAA", "GACGTC", true, "1", "1"}, Case{"ACGTGA", "TCACGT", true, "1", "1"},
        Case{"ACGTGA", "TCACGT", false, "0.111111", "0.666667"}}) {
    FrequencyMatrix a;
    FrequencyMatrix b;
    std::ostringstream warnings;
    const int la = parseMotifFrequencies(c.first, a, warnings);
    const int lb = parseMotifFrequencies(c.second, b, warnings);
    EXPECT_EQ(warnings.str(), "");
    const std::vector<double> fa = flattenFrequencies(a, la);
    const std::vector<double> fb = flattenFrequencies(b, lb);
    EXPECT_EQ(formatReal(simvaleScore(a, la, b, lb, c.bothStrands)), c.simvale) << c.first;
    EXPECT_EQ(
        formatReal(icompareScore(fa.data(), la, fb.data(), lb, kUniformBackground, c.bothStrands)),
        c.icompare)
        << c.first;
  }
}

struct Removal {
  std::vector<std::string> table;
  std::vector<GeneRecord> genes;
  std::string report;
  int count = 0;
};

Removal removeFrom(const std::vector<std::string>& names,
                   const std::vector<std::vector<int32_t>>& carried) {
  Removal run;
  run.table = names;
  for (const auto& elements : carried) {
    GeneRecord g;
    for (int32_t e : elements) g.setElement(e);
    run.genes.push_back(g);
  }
  std::ostringstream out;
  run.count = removeRedundantMotifs(run.table, static_cast<int>(names.size()), run.genes,
                                    static_cast<int>(run.genes.size()), out);
  run.report = out.str();
  return run;
}

TEST(RedundantMotifs, RemovesTheLaterMotifAndShiftsElementSets) {
  // 0 PF1, 1 @TTGACGTCAA, 2 %GACGTC (other strand kind), 3 @GACGTC, 4 ~X,
  // 5 @TTGACGTCAA again.
  const Removal run = removeFrom({"PF1", "@TTGACGTCAA", "%GACGTC", "@GACGTC", "~X", "@TTGACGTCAA"},
                                 {{0, 3}, {1, 3, 4}, {2, 5}, {}});
  EXPECT_TRUE(run.report.ends_with("@TTGACGTCAA {1, 1} @TTGACGTCAA\n")) << run.report;
  EXPECT_EQ(run.count, 4);
  EXPECT_EQ(run.table, (std::vector<std::string>{"PF1", "@TTGACGTCAA", "%GACGTC", "~X"}));
  // A gene with only a removed motif keeps none of the two; indices above
  // a removed one move down.
  EXPECT_EQ(run.genes[0].elements, (std::vector<int32_t>{0}));
  EXPECT_EQ(run.genes[1].elements, (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(run.genes[2].elements, (std::vector<int32_t>{2}));
  EXPECT_TRUE(run.genes[3].elements.empty());
}

TEST(RedundantMotifs, NoChainsAndWarningsFirst) {
  // B is removed because of A; C, which only B resembles, stays. A motif
  // with a warning keeps its place and is never compared.
  const Removal chain =
      removeFrom({"%ACGTGACCTA", "%ACGTGACCT", "%CGTGACCTG", "%AC1GT"}, {{0, 1, 2, 3}});
  EXPECT_EQ(chain.report,
            "WARNING: AC1GT: Sequence contains illegal characters.\n"
            "MOTIF1 {Simvale score, ICompare score} MOTIF2\n"
            "%ACGTGACCTA {1, 1} %ACGTGACCT\n");
  EXPECT_EQ(chain.table, (std::vector<std::string>{"%ACGTGACCTA", "%CGTGACCTG", "%AC1GT"}));
  EXPECT_EQ(chain.genes[0].elements, (std::vector<int32_t>{0, 1, 2}));
  // On its own, the middle motif would have removed the last one.
  const Removal pair = removeFrom({"%ACGTGACCT", "%CGTGACCTG"}, {{0, 1}});
  EXPECT_EQ(pair.report,
            "MOTIF1 {Simvale score, ICompare score} MOTIF2\n"
            "%ACGTGACCT {1, 0.888889} %CGTGACCTG\n");

  // Nothing to compare: the header only; short motifs never go.
  const Removal none = removeFrom({"PF1", "@ACGT", "@ACGT"}, {{0, 1, 2}});
  EXPECT_EQ(none.report, "MOTIF1 {Simvale score, ICompare score} MOTIF2\n");
  EXPECT_EQ(none.count, 3);
}

}  // namespace
}  // namespace tav
