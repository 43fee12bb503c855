#include "simvale_driver.h"

#include <string>
#include <vector>

#include "test_support.h"

namespace tav {
namespace {

class SimvaleRun : public testing::ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    put("q.noa", "Type\nACGTGACC = 5'MOTIF\nTTGACA = 5'MOTIF\n");
    put("refs.jaspar",
        ">MA1 one\nA [ 5 0 0 0 0 5 0 0 ]\nC [ 0 5 0 0 0 0 5 5 ]\n"
        "G [ 0 0 5 0 5 0 0 0 ]\nT [ 0 0 0 5 0 0 0 0 ]\n");
  }
  int run(const std::string& noa, const std::string& refs, const std::string& output,
          std::string& console, std::vector<std::string> extra = {}) {
    extra.insert(extra.end(), {"-noa", path(noa), "-reffile", path(refs), "-out", output});
    return runDriver(runSimvale, extra, console);
  }
};

TEST_F(SimvaleRun, ReportThatCannotBeWrittenIsAnError) {
  linkToFull("full.tsv");
  std::string console;
  EXPECT_EQ(run("q.noa", "refs.jaspar", path("full.tsv"), console), 1);
  EXPECT_TRUE(testing::endsWith(console, "Writing the output...\nERROR: " + path("full.tsv") +
                                             " could not be written. Program aborted\n"))
      << console;
}

TEST_F(SimvaleRun, ReportNamingAnInputIsRefusedBeforeItIsEmptied) {
  std::filesystem::create_directory(dir_ / "ace");
  put("ace/site.ace", "title\nACGTGACC\n");
  const std::string noa = get("q.noa");
  for (auto [out, option] :
       {std::pair{"q.noa", "-noa"}, {"refs.jaspar", "-reffile"}, {"ace/site.ace", "-reffolder"}}) {
    std::string console;
    EXPECT_EQ(run("q.noa", "refs.jaspar", path(out), console, {"-reffolder", path("ace")}), 1);
    EXPECT_NE(
        console.find("Output file: " + path(out) + "\n\nERROR: The output file " + path(out) +
                     " (-out) is the input file given with " + option + ". Program aborted\n"),
        std::string::npos)
        << console;
  }
  EXPECT_EQ(get("q.noa"), noa);
  EXPECT_EQ(get("ace/site.ace"), "title\nACGTGACC\n");
}

// Inputs too large for a golden case.
TEST_F(SimvaleRun, MoreThanTenThousandMotifsOrReferencesEndTheRun) {
  std::string many = "Type\n";
  std::string refs;
  for (int i = 0; i <= 10000; ++i) {
    many += "ACGTGACC = 5'MOTIF\n";
    refs += ">M x\nA [ 1 2 ]\n";
  }
  put("many.noa", many);
  put("many.jaspar", refs);
  std::string console;
  EXPECT_EQ(run("many.noa", "refs.jaspar", path("r.tsv"), console), 1);
  EXPECT_TRUE(testing::endsWith(
      console, "Reading Sequence Element input file...\nERROR: " + path("many.noa") +
                   " contains more than 10000 Sequence Elements of the requested type."
                   " Program aborted\n"))
      << console;
  EXPECT_EQ(run("q.noa", "many.jaspar", path("r.tsv"), console), 1);
  EXPECT_TRUE(testing::endsWith(console,
                                "Reading the information of known motifs...\n"
                                "ERROR: More than 10000 position weight matrices were given."
                                " Program aborted\n"))
      << console;
  EXPECT_EQ(get("r.tsv"), "");
}

}  // namespace
}  // namespace tav
