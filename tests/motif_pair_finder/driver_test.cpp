#include <string>
#include <vector>

#include "motif_pair_finder.h"
#include "test_support.h"

namespace tav {
namespace {

class MotifFinderDriver : public testing::ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    put("seqs.fa", ">a\nACGTACGTTT\n>b\nTTGACGCAAC\n>c\nGGGCCCAATT\n>d\nCACGTGAAAA\n");
    put("net.tab", "a\tb\nb\tc\nc\td\na\td\n");
  }
  int run(const std::string& output, std::string& console) {
    auto driver = [](int argc, const char* const* argv, std::ostream& out) {
      return runMotifPairFinder(argc, argv, out, MotifFinderVariant::Pairs);
    };
    return runDriver(driver,
                     {"-fasta", path("seqs.fa"), "-int", path("net.tab"), "-out", output, "-seedl",
                      "2", "-shuffle", "5", "-srand", "3", "-queue", "3"},
                     console);
  }
};

TEST_F(MotifFinderDriver, WriteFailureIsReportedInsteadOfSuccess) {
  linkToFull("full.se");
  std::string console;
  EXPECT_EQ(run(path("full.se"), console), 1);
  EXPECT_TRUE(testing::endsWith(
      console, "ERROR: " + path("full.se") + " could not be written. Program aborted\n"))
      << console;
}

TEST_F(MotifFinderDriver, OutputNamingAnInputIsRefusedBeforeItIsTruncated) {
  const std::string before = get("seqs.fa");
  std::string console;
  EXPECT_EQ(run(path("seqs.fa"), console), 1);
  EXPECT_NE(console.find("ERROR: The output file " + path("seqs.fa") +
                         " (-out) is the input file given with -fasta."),
            std::string::npos);
  EXPECT_EQ(get("seqs.fa"), before);
}

}  // namespace
}  // namespace tav
