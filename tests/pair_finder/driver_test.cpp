#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pair_finder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

// A scratch folder holding the inputs of the golden run that finds pairs.
class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tavrin_driver_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    const fs::path source = fs::path(TAVRIN_GOLDEN_DIR) / "finds_pairs";
    for (const char* name : {"genes.fa", "net.tab", "elements.se"})
      fs::copy_file(source / name, dir_ / name);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  int run(std::vector<std::string> args, std::string& output) {
    std::vector<const char*> argv = {"Tavrin"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    const int status = runPairFinder(static_cast<int>(argv.size()), argv.data(), out);
    output = out.str();
    return status;
  }

  std::vector<std::string> standard(const std::string& outBase, const std::string& seed) {
    return {"-fasta", path("genes.fa"),
            "-se",    path("elements.se"),
            "-int",   path("net.tab"),
            "-out",   path(outBase),
            "-srand", seed,
            "-jnum",  "3"};
  }

  static std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
};

TEST_F(DriverTest, SameSeedRepeatsTheRunExactly) {
  std::string first;
  std::string second;
  ASSERT_EQ(run(standard("one", "0"), first), 0);
  ASSERT_EQ(run(standard("two", "0"), second), 0);
  // Only the echoed output names differ.
  auto strip = [](std::string text) {
    for (const char* name : {"/one", "/two"}) {
      for (size_t at = text.find(name); at != std::string::npos; at = text.find(name))
        text.erase(at, 4);
    }
    return text;
  };
  EXPECT_EQ(strip(first), strip(second));
  for (const char* suffix : {".sif", ".1.noa", ".1.eda", ".2.eda", ".3.eda"}) {
    EXPECT_EQ(slurp(path(std::string("one") + suffix)), slurp(path(std::string("two") + suffix)));
  }
  EXPECT_NE(slurp(path("one.sif")), "");
}

TEST_F(DriverTest, ClockSeedIsPrinted) {
  std::string output;
  run(standard("res", "-1"), output);
  const size_t at = output.find("\nsrand: ");
  ASSERT_NE(at, std::string::npos);
  const std::string seed = output.substr(at + 8, output.find('\n', at + 1) - at - 8);
  ASSERT_FALSE(seed.empty());
  EXPECT_EQ(seed.find_first_not_of("0123456789"), std::string::npos) << seed;
}

TEST_F(DriverTest, FailedWriteIsNeverReportedAsSuccess) {
  fs::create_symlink("/dev/full", dir_ / "res.1.noa");
  std::string output;
  EXPECT_EQ(run(standard("res", "5"), output), 1);
  const std::string expected =
      "ERROR: " + path("res.1.noa") + " could not be written. Program aborted\n";
  ASSERT_GE(output.size(), expected.size());
  EXPECT_EQ(output.substr(output.size() - expected.size()), expected);
  EXPECT_EQ(output.find("Job finished successfully"), std::string::npos);
}

TEST_F(DriverTest, OutputNamingAnInputLeavesTheInputAlone) {
  const std::string genes = slurp(path("genes.fa"));
  fs::copy_file(path("genes.fa"), path("res.3.eda"));
  std::string output;
  std::vector<std::string> args = standard("res", "5");
  args[1] = path("res.3.eda");
  EXPECT_EQ(run(args, output), 1);
  EXPECT_NE(output.find("ERROR: The output file " + path("res.3.eda") +
                        " (-out) is the input file given with -fasta. Program aborted\n"),
            std::string::npos)
      << output;
  EXPECT_EQ(slurp(path("res.3.eda")), genes);
  EXPECT_FALSE(fs::exists(path("res.sif")));
}

}  // namespace
}  // namespace tav
