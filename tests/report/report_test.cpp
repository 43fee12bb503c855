#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fasta.h"
#include "logo.h"
#include "motif.h"
#include "motif_card.h"
#include "reference_readers.h"
#include "report_data.h"
#include "report_driver.h"
#include "se_file.h"

namespace tav {
namespace {

// "A2.000" per letter, bottom to top, columns separated by '|'.
std::string render(const std::vector<LogoColumn>& logo) {
  std::string s;
  for (const LogoColumn& column : logo) {
    if (!s.empty()) s += '|';
    for (const LogoLetter& letter : column.letters) {
      char height[16];
      std::snprintf(height, sizeof height, "%.3f", letter.height);
      s += letter.letter + std::string(height) + " ";
    }
  }
  return s;
}

TEST(ReportLogo, LetterHeightsAreInformationTimesFrequencySmallestAtTheBottom) {
  struct Case {
    std::array<std::vector<int32_t>, 4> counts;  // T, C, G, A
    const char* expected;
  } cases[] = {
      {{{{0}, {0}, {0}, {10}}}, "A2.000 "},
      {{{{5}, {5}, {5}, {5}}}, ""},  // no information, no letters
      {{{{0}, {0}, {0}, {0}}}, ""},  // no counts
      // G 1/4, A 3/4: 2 - H = 1.189 bits; the smaller letter stacks first.
      {{{{0}, {0}, {1}, {3}}}, "G0.297 A0.892 "},
      {{{{3, 0}, {0, 0}, {1, 2}, {0, 2}}}, "G0.297 T0.892 |G0.500 A0.500 "},
  };
  for (const Case& c : cases) EXPECT_EQ(render(logoFromCounts(c.counts)), c.expected);

  std::vector<LetterCode> masks;
  ASSERT_EQ(parseMotifMasks("T[CG]N", 100, symbolMask, masks), MotifStatus::Ok);
  EXPECT_EQ(render(logoFromMasks(masks, kNucleotideLetters)), "T2.000 |C0.500 G0.500 |");
  ASSERT_EQ(parseMotifMasks("W", 100, proteinSymbolMask, masks), MotifStatus::Ok);
  EXPECT_EQ(render(logoFromMasks(masks, kProteinLetters)), "W4.322 ");
}

TEST(ReportMotifCard, CountsSitesGenesAndAlignsTheClosestMatrix) {
  // g1, g2 and g4 hold one site each on the given strand; on the other
  // strand each reads as its reverse complement, which the motif allows too.
  std::istringstream fasta(">g1\nAATGACTCAAA\n>g2\nCCTGACTCACC\n>g3\nCCCCCCC\n>g4\nTTGAGTCAT\n");
  std::ostringstream console;
  std::vector<SequenceRecord> forward;
  readFasta(fasta, forward, SequenceAlphabet::Nucleotide, 10000, console);
  std::vector<SequenceRecord> both = forward;
  buildReverseComplements(both);
  indexSequences(both, SequenceAlphabet::Nucleotide);

  std::vector<GeneRecord> genes(forward.size());
  for (size_t i = 0; i < forward.size(); ++i) genes[i].name = forward[i].name;
  std::istringstream se("g1 m @TGA[CG]TCA T\ng3 m @TGA[CG]TCA T\ng2 m %TGA[CG]TCA T\n");
  std::vector<std::string> seTable;
  ASSERT_EQ(readSeFile(se, genes, 4, seTable, ""), 2);

  // A reference that is the motif with two more columns in front.
  std::istringstream jaspar(
      ">M1 known\nA [0 0 0 0 9 0 0 0 9]\nC [9 9 0 0 0 5 0 9 0]\nG [0 0 0 9 0 4 0 0 0]\n"
      "T [0 0 9 0 0 0 9 0 0]\n"
      // ACGGACTTCC: the reverse complement of AAGTCCGT with two more columns.
      ">M2 turned\nA [9 0 0 0 9 0 0 0 0 0]\nC [0 9 0 0 0 9 0 0 9 9]\nG [0 0 9 9 0 0 0 0 0 0]\n"
      "T [0 0 0 0 0 0 9 9 0 0]\n");
  std::vector<MotifMatrix> references;
  readJasparFile(jaspar, references, 0);
  const std::vector<ClosestMatchRow> closest = {{"TGA[CG]TCA", "known", "0.9"},
                                                {"AAGTCCGT", "turned", "0.9"}};

  MotifSources sources;
  sources.forward = &forward;
  sources.bothStrands = &both;
  sources.genes = &genes;
  sources.seTable = &seTable;
  sources.references = &references;
  sources.closest = &closest;
  struct Case {
    const char* type;
    int sites, sequences, genes;
  } cases[] = {
      // Both strands: TGACTCA and TGAGTCA are each other's reverse complement,
      // so every site is found once per strand.
      {"5'MOTIF", 6, 3, 2},
      {"3'MOTIF", 3, 3, 1},
  };
  for (const Case& c : cases) {
    const MotifCard card = describeMotif({"TGA[CG]TCA", c.type}, sources);
    EXPECT_EQ(card.sites, c.sites) << c.type;
    EXPECT_EQ(card.sequences, c.sequences) << c.type;
    EXPECT_EQ(card.genes, c.genes) << c.type;
    EXPECT_TRUE(card.logoFromSites);
    EXPECT_TRUE(card.closestMatrixFound);
    EXPECT_EQ(card.closestStart, -2) << c.type;
    EXPECT_EQ(card.closestLogo.size(), 9U);
  }
  // Drawn turned around (GGAAGTCCGT), the matrix starts two columns before the motif.
  const MotifCard turned = describeMotif({"AAGTCCGT", "5'MOTIF"}, sources);
  EXPECT_TRUE(turned.closestReverse);
  EXPECT_EQ(turned.closestStart, -2);
  EXPECT_EQ(render(turned.closestLogo).substr(0, 14), "G2.000 |G2.000");

  const MotifCard bad = describeMotif({"</script>", "5'MOTIF"}, sources);
  EXPECT_FALSE(bad.valid);
  EXPECT_EQ(bad.sites, 0);
}


// A fresh folder per test under the system's temporary folder.
std::filesystem::path testFolder(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("tavrin-report-" + name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(ReportNames, TableLinesAreCheckedAndLookedUpWithOrWithoutTypeMarks) {
  const std::filesystem::path folder = testFolder("names");
  struct Case {
    const char* text;
    const char* error;   // after the path; empty: read
    const char* lookup;  // element looked up
    const char* name;    // expected name, "" for none
    const char* description;
  } cases[] = {
      {"PF00069\tPkinase\tProtein kinase domain\n", "", "PF00069", "Pkinase", "Protein kinase domain"},
      {"# Pfam\n\nPS50262\tG_PROTEIN_RECEP_F1_2\r\n", "", "PS50262", "G_PROTEIN_RECEP_F1_2", ""},
      {"PF1\tfirst\nPF1\tsecond\n", "", "PF1", "first", ""},
      {"@TGACTCA\tAP-1 site\n", "", "TGACTCA", "AP-1 site", ""},
      {"@TGACTCA\tmarked\nTGACTCA\tplain\n", "", "TGACTCA", "plain", ""},
      {"A\t<b>x</b> & \"y\"\n", "", "A", "<b>x</b> & \"y\"", ""},
      {"PF1\tname\n", "", "PF2", "", ""},
      {"# header\nPF1 Pkinase\n", ":2: expected element<TAB>name<TAB>optional description", "", "", ""},
      {"PF1\tn\nPF2\t\n", ":2:", "", "", ""},
      {"\tn\n", ":1:", "", "", ""},
      {"PF1\tn\td\textra\n", ":1:", "", "", ""},
  };
  int k = 0;
  for (const Case& c : cases) {
    const std::filesystem::path path = folder / ("names" + std::to_string(k++) + ".tsv");
    writeText(path, c.text);
    NameTable names;
    const std::string error = readNames(path.string(), names);
    if (*c.error != '\0') {
      EXPECT_EQ(error.rfind("ERROR: " + path.string() + c.error, 0), 0U) << error;
      continue;
    }
    ASSERT_EQ(error, "") << c.text;
    const ElementName* found = names.find(c.lookup);
    if (*c.name == '\0') {
      EXPECT_EQ(found, nullptr) << c.text;
      continue;
    }
    ASSERT_NE(found, nullptr) << c.text;
    EXPECT_EQ(found->name, c.name);
    EXPECT_EQ(found->description, c.description);
  }
  NameTable none;
  EXPECT_NE(readNames((folder / "absent.tsv").string(), none), "");
}

// The page's JSON: names of the network's elements only, elements without a
// logo in one list, markup in names escaped inside the script element.
TEST(ReportPage, NamesAndElementsWithoutLogoGoIntoTheData) {
  const std::filesystem::path folder = testFolder("page");
  writeText(folder / "net.sif", "PF00069 TavrinSE TGACTCA\nPS50262 TavrinSE PF00069\n");
  writeText(folder / "net.1.noa",
            "SequenceElementType (class=java.lang.String)\nPF00069 = OTHER\nTGACTCA = 5'MOTIF\n"
            "PS50262 = PMOTIF\n");
  writeText(folder / "net.1.eda",
            "MI (class=Double)\nPF00069 (TavrinSE) TGACTCA = 0.02\nPS50262 (TavrinSE) PF00069 = 0.01\n");
  writeText(folder / "net.2.eda", "Robustness_per_10 (class=Integer)\n"
                                  "PF00069 (TavrinSE) TGACTCA = 9\nPS50262 (TavrinSE) PF00069 = 10\n");
  writeText(folder / "net.3.eda",
            "Z_score (class=Double)\nPF00069 (TavrinSE) TGACTCA = 12\nPS50262 (TavrinSE) PF00069 = 30\n");
  writeText(folder / "names table.tsv",
            "PF00069\tPkinase\t</script><b>kinase</b>\n@TGACTCA\tAP-1\nPF99999\tnot in the network\n");
  const std::string base = (folder / "net").string();
  const std::string names = (folder / "names table.tsv").string();
  const std::string page = (folder / "my page.html").string();
  const char* argv[] = {"Tavrin-report", "-net", base.c_str(), "-out", page.c_str(),
                        "-names", names.c_str(), "-title", "Human STRING, 30k edges"};
  std::ostringstream console;
  ASSERT_EQ(runReport(9, argv, console), 0) << console.str();
  EXPECT_NE(console.str().find("3 element names were read."), std::string::npos);
  std::ifstream in(page, std::ios::binary);
  const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t start = html.find("<script type=\"application/json\" id=\"report-data\">");
  ASSERT_NE(start, std::string::npos);
  const size_t end = html.find("</script>", start);
  const std::string data = html.substr(start, end - start);
  EXPECT_NE(data.find("\"title\":\"Human STRING, 30k edges\""), std::string::npos);
  EXPECT_NE(data.find("\"names\":{\"PF00069\":[\"Pkinase\",\"\\u003c/script\\u003e\\u003cb\\u003ekinase"
                      "\\u003c/b\\u003e\"],\"TGACTCA\":[\"AP-1\",\"\"]}"),
            std::string::npos)
      << data;
  EXPECT_EQ(data.find("PF99999"), std::string::npos);
  // The accession typed as a protein motif has no logo: no card, listed instead.
  EXPECT_NE(data.find("\"others\":[[\"PF00069\",\"OTHER\"],[\"PS50262\",\"PMOTIF\"]]"),
            std::string::npos);
  EXPECT_NE(data.find("\"motifs\":[{\"name\":\"TGACTCA\""), std::string::npos);
}

}  // namespace
}  // namespace tav
