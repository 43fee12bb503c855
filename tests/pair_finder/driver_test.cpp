#include <string>
#include <vector>

#include "pair_finder.h"
#include "test_support.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

// The driver on the inputs of the golden run that finds pairs.
class DriverTest : public testing::ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    for (const char* name : {"genes.fa", "net.tab", "elements.se"})
      fs::copy_file(fs::path(TAVRIN_GOLDEN_DIR) / "finds_pairs" / name, dir_ / name);
  }
  int run(const std::string& outBase, const std::string& seed, std::string& console,
          const std::string& fasta = "genes.fa") {
    return runDriver(runPairFinder,
                     {"-fasta", path(fasta), "-se", path("elements.se"), "-int", path("net.tab"),
                      "-out", path(outBase), "-srand", seed, "-jnum", "3"},
                     console);
  }
};

TEST_F(DriverTest, SameSeedRepeatsTheRunExactly) {
  std::string first;
  std::string second;
  ASSERT_EQ(run("one", "0", first), 0);
  ASSERT_EQ(run("two", "0", second), 0);
  // Only the echoed output names differ.
  auto strip = [](std::string text) {
    for (const char* name : {"/one", "/two"}) {
      for (size_t at = text.find(name); at != std::string::npos; at = text.find(name))
        text.erase(at, 4);
    }
    return text;
  };
  EXPECT_EQ(strip(first), strip(second));
  for (const std::string suffix : {".sif", ".1.noa", ".1.eda", ".2.eda", ".3.eda"})
    EXPECT_EQ(get("one" + suffix), get("two" + suffix));
  EXPECT_NE(get("one.sif"), "");
}

TEST_F(DriverTest, ClockSeedIsPrinted) {
  std::string console;
  run("res", "-1", console);
  const size_t at = console.find("\nsrand: ");
  ASSERT_NE(at, std::string::npos);
  const std::string seed = console.substr(at + 8, console.find('\n', at + 1) - at - 8);
  ASSERT_FALSE(seed.empty());
  EXPECT_EQ(seed.find_first_not_of("0123456789"), std::string::npos) << seed;
}

TEST_F(DriverTest, FailedWriteIsNeverReportedAsSuccess) {
  linkToFull("res.1.noa");
  std::string console;
  EXPECT_EQ(run("res", "5", console), 1);
  EXPECT_TRUE(testing::endsWith(
      console, "ERROR: " + path("res.1.noa") + " could not be written. Program aborted\n"))
      << console;
}

TEST_F(DriverTest, OutputNamingAnInputLeavesTheInputAlone) {
  fs::copy_file(path("genes.fa"), path("res.3.eda"));
  std::string console;
  EXPECT_EQ(run("res", "5", console, "res.3.eda"), 1);
  EXPECT_NE(console.find("ERROR: The output file " + path("res.3.eda") +
                         " (-out) is the input file given with -fasta. Program aborted\n"),
            std::string::npos)
      << console;
  EXPECT_EQ(get("res.3.eda"), get("genes.fa"));
  EXPECT_FALSE(fs::exists(path("res.sif")));
}

}  // namespace
}  // namespace tav
