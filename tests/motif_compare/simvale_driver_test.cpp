#include "simvale_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

namespace fs = std::filesystem;

class SimvaleRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "simvale_run_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    put("q.noa", "Type\nACGTGACC = 5'MOTIF\nTTGACA = 5'MOTIF\n");
    put("refs.jaspar", ">MA1 one\nA [ 5 0 0 0 0 5 0 0 ]\nC [ 0 5 0 0 0 0 5 5 ]\n"
                       "G [ 0 0 5 0 5 0 0 0 ]\nT [ 0 0 0 5 0 0 0 0 ]\n");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void put(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string get(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  int run(std::vector<std::string> args, std::string& console) {
    args.insert(args.begin(), "Simvale");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    const int status = runSimvale(static_cast<int>(argv.size()), argv.data(), out);
    console = out.str();
    return status;
  }
  fs::path dir_;
};

TEST_F(SimvaleRun, ReportThatCannotBeWrittenIsAnError) {
  std::error_code ec;
  fs::create_symlink("/dev/full", dir_ / "full.tsv", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here";
  std::string console;
  EXPECT_EQ(run({"-noa", path("q.noa"), "-reffile", path("refs.jaspar"), "-out",
                 path("full.tsv")},
                console),
            1);
  EXPECT_NE(console.find("Writing the output...\nERROR: " + path("full.tsv") +
                         " could not be written. Program aborted\n"),
            std::string::npos);
  EXPECT_EQ(console.find("Job finished successfully."), std::string::npos);
}

TEST_F(SimvaleRun, ReportNamingAnInputIsRefusedBeforeItIsEmptied) {
  fs::create_directory(dir_ / "ace");
  put("ace/site.ace", "title\nACGTGACC\n");
  const std::string noa = get("q.noa");
  struct Clash {
    std::string out;
    std::string option;
  };
  for (const Clash& clash : {Clash{path("q.noa"), "-noa"}, Clash{path("refs.jaspar"), "-reffile"},
                             Clash{path("ace/site.ace"), "-reffolder"}}) {
    std::string console;
    EXPECT_EQ(run({"-noa", path("q.noa"), "-reffolder", path("ace"), "-reffile",
                   path("refs.jaspar"), "-out", clash.out},
                  console),
              1);
    EXPECT_NE(console.find("Output file: " + clash.out + "\n\nERROR: The output file " +
                           clash.out + " (-out) is the input file given with " + clash.option +
                           ". Program aborted\n"),
              std::string::npos)
        << console;
  }
  EXPECT_EQ(get("q.noa"), noa);
  EXPECT_EQ(get("ace/site.ace"), "title\nACGTGACC\n");
}

TEST_F(SimvaleRun, MoreThanTenThousandMotifsOrReferencesEndTheRun) {
  std::string many = "Type\n";
  for (int i = 0; i <= 10000; ++i) many += "ACGTGACC = 5'MOTIF\n";
  put("many.noa", many);
  std::string console;
  EXPECT_EQ(run({"-noa", path("many.noa"), "-reffile", path("refs.jaspar"), "-out",
                 path("r.tsv")},
                console),
            1);
  EXPECT_NE(console.find("Reading Sequence Element input file...\nERROR: " + path("many.noa") +
                         " contains more than 10000 Sequence Elements of the requested type."
                         " Program aborted\n"),
            std::string::npos);

  std::string refs;
  for (int i = 0; i <= 10000; ++i) refs += ">M x\nA [ 1 2 ]\n";
  put("many.jaspar", refs);
  EXPECT_EQ(run({"-noa", path("q.noa"), "-reffile", path("many.jaspar"), "-out", path("r.tsv")},
                console),
            1);
  EXPECT_NE(console.find("Reading the information of known motifs...\n"
                         "ERROR: More than 10000 position weight matrices were given."
                         " Program aborted\n"),
            std::string::npos);
  EXPECT_EQ(get("r.tsv"), "");
}

}  // namespace
}  // namespace tav
