#include "conservation_driver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

namespace fs = std::filesystem;

class ConservationRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vantor_driver_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    put("one.fa", ">a\nACGTACGTTTGACTCA\n>b\nGGGGCCCCAAAA\n>c\nTTTTACGTAAGATAAG\n>d\nCACACACA\n");
    put("two.fa", ">e\nTACGTAGGCATGAGTCA\n>f\nGGGCCCAAAT\n>g\nATATGATAAGAT\n>h\nCACGTACACA\n");
    put("orth.tab", "one\ttwo\na\te\nb\tf\nc\tg\nd\th\n");
    put("m.noa", "Type\nACGT = 5'MOTIF\nTGACTCA = 5'MOTIF\nGATAAG = 5'MOTIF\nCC = 3'MOTIF\n");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void put(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  std::string get(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Runs VantorN with the standard inputs and the given extra arguments.
  int run(const std::vector<std::string>& extra, std::string& console) {
    std::vector<std::string> args = {"VantorN", "-fasta1", path("one.fa"), "-fasta2",
                                     path("two.fa"), "-orthotab", path("orth.tab"),
                                     "-noa", path("m.noa")};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    const int status = runConservation(static_cast<int>(argv.size()), argv.data(), out,
                                       ConservationAlphabet::Nucleotide);
    console = out.str();
    return status;
  }

  fs::path dir_;
};

TEST_F(ConservationRun, SameSeedGivesIdenticalFiles) {
  std::string first;
  std::string second;
  ASSERT_EQ(run({"-out", path("a.txt"), "-srand", "12", "-ndecoy", "200"}, first), 0);
  ASSERT_EQ(run({"-out", path("b.txt"), "-srand", "12", "-ndecoy", "200"}, second), 0);
  EXPECT_EQ(get("a.txt"), get("b.txt"));
  EXPECT_EQ(get("a.txt").rfind("Conservation (class=Double)\nACGT = ", 0), 0u);
  // The consoles differ only in the output name.
  EXPECT_EQ(first.substr(first.find("Number of decoy")), second.substr(second.find("Number of decoy")));
  EXPECT_NE(first.find("Calculating conservation scores......\n\nWriting the output...\n"
                       "Job finished successfully.\n"),
            std::string::npos);
}

TEST_F(ConservationRun, WriteFailureIsNotReportedAsSuccess) {
  std::error_code ec;
  fs::create_symlink("/dev/full", path("full.txt"), ec);
  if (ec) GTEST_SKIP() << "no symbolic links here";
  std::string console;
  EXPECT_EQ(run({"-out", path("full.txt"), "-srand", "1", "-ndecoy", "3"}, console), 1);
  EXPECT_NE(console.find("Writing the output...\nERROR: " + path("full.txt") +
                         " could not be written. Program aborted\n"),
            std::string::npos);
  EXPECT_EQ(console.find("Job finished successfully."), std::string::npos);
}

TEST_F(ConservationRun, OutputNamingAnInputIsRefusedBeforeItIsEmptied) {
  const std::string noa = get("m.noa");
  fs::create_directories(dir_ / "sub");
  for (const std::string& out : {path("m.noa"), path("sub/../m.noa")}) {
    std::string console;
    EXPECT_EQ(run({"-out", out, "-srand", "4"}, console), 1);
    EXPECT_NE(console.find("srand: 4\nERROR: The output file " + out +
                           " (-out) is the input file given with -noa. Program aborted\n"),
              std::string::npos);
    EXPECT_EQ(console.find("Reading the FASTA"), std::string::npos);
    EXPECT_EQ(get("m.noa"), noa);
  }
  std::string console;
  EXPECT_EQ(run({"-out", path("one.fa")}, console), 1);
  EXPECT_NE(console.find("is the input file given with -fasta1."), std::string::npos);
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
