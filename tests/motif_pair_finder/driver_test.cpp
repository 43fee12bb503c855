#include "motif_pair_finder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tav {
namespace {

namespace fs = std::filesystem;

class MotifFinderDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tavrin_n_driver_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    write("seqs.fa", ">a\nACGTACGTTT\n>b\nTTGACGCAAC\n>c\nGGGCCCAATT\n>d\nCACGTGAAAA\n");
    write("net.tab", "a\tb\nb\tc\nc\td\na\td\n");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  int run(const std::vector<std::string>& args, std::string& console,
          MotifFinderVariant variant = MotifFinderVariant::Pairs) {
    std::vector<const char*> argv = {"Tavrin-N"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    const int status = runMotifPairFinder(static_cast<int>(argv.size()), argv.data(), out, variant);
    console = out.str();
    return status;
  }

  std::vector<std::string> standard(const std::string& output) {
    return {"-fasta", path("seqs.fa"), "-int", path("net.tab"), "-out", output,
            "-seedl", "2", "-shuffle", "5", "-srand", "3", "-queue", "3"};
  }

  fs::path dir_;
};

TEST_F(MotifFinderDriver, WriteFailureIsReportedInsteadOfSuccess) {
  fs::create_symlink("/dev/full", dir_ / "full.se");
  std::string console;
  EXPECT_EQ(run(standard(path("full.se")), console), 1);
  EXPECT_NE(console.find("ERROR: " + path("full.se") + " could not be written. Program aborted\n"), std::string::npos);
  EXPECT_EQ(console.find("Job finished successfully."), std::string::npos);
}

TEST_F(MotifFinderDriver, BothVariantsFinishAndWriteTheHeaders) {
  for (auto variant : {MotifFinderVariant::Pairs, MotifFinderVariant::HomoValue}) {
    std::string console;
    EXPECT_EQ(run(standard(path("out.se")), console, variant), 0) << console;
    EXPECT_NE(console.find("Job finished successfully.\n"), std::string::npos);
    const std::string se = slurp(path("out.se"));
    EXPECT_EQ(se.rfind("$\tMOTIF1\tMOTIF2\t\tMI\n", 0), 0u);
    EXPECT_NE(se.find("$Gene\tMethod\tMotif\tStatus\n"), std::string::npos);
  }
}

TEST_F(MotifFinderDriver, OutputNamingAnInputIsRefusedBeforeItIsTruncated) {
  const std::string before = slurp(path("seqs.fa"));
  std::string console;
  EXPECT_EQ(run(standard(path("seqs.fa")), console), 1);
  EXPECT_NE(console.find("ERROR: The output file " + path("seqs.fa") + " (-out) is the input file given with -fasta."),
            std::string::npos);
  EXPECT_EQ(slurp(path("seqs.fa")), before);
}

TEST_F(MotifFinderDriver, UnusableValuesAreRefusedBeforeTheOutputExists) {
  struct Case {
    const char* option;
    const char* value;
    const char* message;
  };
  for (const Case& c : {Case{"-queue", "0", "ERROR: -queue must be at least 1. Program aborted.\n"},
                        Case{"-queue", "-4", "ERROR: -queue must be at least 1. Program aborted.\n"},
                        Case{"-seedl", "13", "ERROR: -seedl must be between 1 and 12. Program aborted.\n"}}) {
    auto args = standard(path("never.se"));
    args.push_back(c.option);
    args.push_back(c.value);
    std::string console;
    EXPECT_EQ(run(args, console), 1);
    // The error line directly follows the echo and its empty line.
    EXPECT_NE(console.find("be considered.\n\n" + std::string(c.message)), std::string::npos) << console;
    EXPECT_FALSE(fs::exists(path("never.se")));
  }
}

TEST(MotifFinderParameters, CorrectionsAfterTheParse) {
  OptionValues values;
  const OptionTable table = motifFinderOptions(MotifFinderVariant::Pairs);
  ASSERT_EQ(parseCommandLine(table, "-fasta a -int b -out c -seedl 0 -maxl -3 -cont -5 -revcomp no ", values), 1);
  MotifFinderParameters p = motifFinderParameters(values);
  EXPECT_EQ(p.seedLength, 1);
  EXPECT_EQ(p.maxLength, 1);
  EXPECT_EQ(p.cont, 1);
  EXPECT_FALSE(p.strandMode);
  ASSERT_EQ(parseCommandLine(table, "-fasta a -int b -out c -maxl 3 -queue 6000 ", values), 1);
  p = motifFinderParameters(values);
  EXPECT_EQ(p.seedLength, 6);
  EXPECT_EQ(p.maxLength, 6);
  EXPECT_EQ(p.queue, 6000);
  EXPECT_TRUE(p.strandMode);
  ASSERT_EQ(parseCommandLine(motifFinderOptions(MotifFinderVariant::HomoValue), "-fasta a -int b -out c ", values), 1);
  EXPECT_EQ(motifFinderParameters(values).seedLength, 7);
  EXPECT_EQ(parseCommandLine(table, "-fasta a -int b ", values), 0);
}

}  // namespace
}  // namespace tav
