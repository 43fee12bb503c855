#include "conservation_driver.h"

#include <ctime>
#include <string>
#include <vector>

#include "test_support.h"

namespace tav {
namespace {

class ConservationRun : public testing::ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    put("one.fa", ">a\nACGTACGTTTGACTCA\n>b\nGGGGCCCCAAAA\n>c\nTTTTACGTAAGATAAG\n>d\nCACACACA\n");
    put("two.fa", ">e\nTACGTAGGCATGAGTCA\n>f\nGGGCCCAAAT\n>g\nATATGATAAGAT\n>h\nCACGTACACA\n");
    put("orth.tab", "one\ttwo\na\te\nb\tf\nc\tg\nd\th\n");
    put("m.noa", "Type\nACGT = 5'MOTIF\nTGACTCA = 5'MOTIF\nGATAAG = 5'MOTIF\nCC = 3'MOTIF\n");
  }
  // VantorN on the standard inputs and the given further arguments.
  int run(std::vector<std::string> extra, std::string& console) {
    auto driver = [](int argc, const char* const* argv, std::ostream& out) {
      return runConservation(argc, argv, out, ConservationAlphabet::Nucleotide);
    };
    extra.insert(extra.begin(), {"-fasta1", path("one.fa"), "-fasta2", path("two.fa"), "-orthotab",
                                 path("orth.tab"), "-noa", path("m.noa")});
    return runDriver(driver, extra, console);
  }
};

TEST_F(ConservationRun, SameSeedGivesIdenticalFiles) {
  std::string first;
  std::string second;
  ASSERT_EQ(run({"-out", path("a.txt"), "-srand", "12", "-ndecoy", "200"}, first), 0);
  ASSERT_EQ(run({"-out", path("b.txt"), "-srand", "12", "-ndecoy", "200"}, second), 0);
  EXPECT_EQ(get("a.txt"), get("b.txt"));
  EXPECT_EQ(get("a.txt").rfind("Conservation (class=Double)\nACGT = ", 0), 0u);
  // The consoles differ only in the output name.
  EXPECT_EQ(first.substr(first.find("Number of decoy")),
            second.substr(second.find("Number of decoy")));
}

TEST_F(ConservationRun, WriteFailureIsNotReportedAsSuccess) {
  linkToFull("full.txt");
  std::string console;
  EXPECT_EQ(run({"-out", path("full.txt"), "-srand", "1", "-ndecoy", "3"}, console), 1);
  EXPECT_TRUE(testing::endsWith(console, "Writing the output...\nERROR: " + path("full.txt") +
                                             " could not be written. Program aborted\n"))
      << console;
}

TEST_F(ConservationRun, OutputNamingAnInputIsRefusedBeforeItIsEmptied) {
  const std::string noa = get("m.noa");
  std::filesystem::create_directories(dir_ / "sub");
  for (const std::string& out : {path("m.noa"), path("sub/../m.noa")}) {
    std::string console;
    EXPECT_EQ(run({"-out", out, "-srand", "4"}, console), 1);
    EXPECT_TRUE(testing::endsWith(
        console, "srand: 4\nERROR: The output file " + out +
                     " (-out) is the input file given with -noa. Program aborted\n"))
        << console;
    EXPECT_EQ(get("m.noa"), noa);
  }
}

TEST_F(ConservationRun, NegativeSeedIsReplacedByTheClock) {
  const long long before = static_cast<long long>(std::time(nullptr));
  std::string console;
  ASSERT_EQ(run({"-out", path("o.txt"), "-srand", "-5", "-ndecoy", "2"}, console), 0);
  const long long after = static_cast<long long>(std::time(nullptr));
  const size_t at = console.find("srand: ");
  ASSERT_NE(at, std::string::npos);
  const long long printed = std::stoll(console.substr(at + 7));
  EXPECT_GE(printed, before);
  EXPECT_LE(printed, after);
}

}  // namespace
}  // namespace tav
