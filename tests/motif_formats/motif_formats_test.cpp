#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "format_readers.h"
#include "format_writers.h"
#include "reference_readers.h"

namespace tav {
namespace {

CountMotif motif(const std::string& id, const std::string& name,
                 std::array<std::vector<int64_t>, 4> counts) {
  CountMotif m;
  m.id = id;
  m.name = name;
  m.counts = std::move(counts);
  m.sites = largestColumnSum(m);
  return m;
}

// Even column sums, uneven sums, an empty column, a one-column matrix.
std::vector<CountMotif> collection() {
  return {motif("MA0001.1", "alpha", {{{4, 0, 1, 2}, {0, 4, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 0}}}),
          motif("", "beta_2", {{{7, 0, 0}, {0, 3, 0}, {1, 0, 0}, {0, 2, 0}}}),
          motif("M00002", "gamma-x", {{{50000}, {0}, {5}, {0}}})};
}

// Writes `motifs` in a count format and reads them back.
std::vector<CountMotif> through(MotifFormat format, const std::vector<CountMotif>& motifs) {
  std::vector<CountMotif> back;
  std::string error;
  ReadParameters parameters;
  auto readText = [&](const std::string& text) {
    std::istringstream in(text);
    bool ok = false;
    if (format == MotifFormat::Jaspar) ok = readJaspar(in, "x", parameters, back, error);
    if (format == MotifFormat::Transfac) ok = readTransfac(in, "x", parameters, back, error);
    if (format == MotifFormat::Meme) ok = readMeme(in, "x", parameters, back, error);
    EXPECT_TRUE(ok) << error;
  };
  if (format == MotifFormat::Jaspar) readText(writeJaspar(motifs));
  if (format == MotifFormat::Transfac) readText(writeTransfac(motifs));
  if (format == MotifFormat::Meme) readText(writeMeme(motifs));
  std::vector<OutputFile> files;
  if (format == MotifFormat::Pfm) files = writePfmFiles(motifs);
  if (format == MotifFormat::Ace) {
    EXPECT_TRUE(writeAceFiles(motifs, files, error)) << error;
  }
  for (const OutputFile& file : files) {
    std::istringstream in(file.content);
    const bool ok = format == MotifFormat::Pfm
                        ? readPfm(in, file.name, fileStem(file.name), parameters, back, error)
                        : readAce(in, file.name, file.name, back, error);
    EXPECT_TRUE(ok) << error;
  }
  return back;
}

void expectSameMatrices(const std::vector<CountMotif>& a, const std::vector<CountMotif>& b,
                        const std::string& what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].label(), b[i].label()) << what;
    EXPECT_EQ(a[i].counts, b[i].counts) << what << " " << a[i].label();
  }
}

TEST(MotifFormats, EveryPairOfCountFormatsRoundTrips) {
  const MotifFormat formats[] = {MotifFormat::Jaspar, MotifFormat::Transfac, MotifFormat::Pfm,
                                 MotifFormat::Ace};
  const std::vector<CountMotif> original = collection();
  for (MotifFormat a : formats) {
    const std::vector<CountMotif> inA = through(a, original);
    expectSameMatrices(original, inA, std::string(formatName(a)));
    for (MotifFormat b : formats) {
      expectSameMatrices(inA, through(a, through(b, inA)),
                         std::string(formatName(a)) + "->" + std::string(formatName(b)));
    }
  }
}

TEST(MotifFormats, ProbabilitiesComeBackWithinRounding) {
  // MEME keeps probabilities and nsites (the largest column sum): columns
  // that reach it come back exactly, shorter ones scaled up to it.
  const std::vector<CountMotif> original = collection();
  const std::vector<CountMotif> back = through(MotifFormat::Meme, original);
  expectSameMatrices({original[0], original[2]}, {back[0], back[2]}, "meme");
  // 3 and 2 of 5 become 4.8 and 3.2 of 8; an empty column is uniform.
  const std::array<std::vector<int64_t>, 4> scaled = {{{7, 0, 2}, {0, 5, 2}, {1, 0, 2}, {0, 3, 2}}};
  EXPECT_EQ(back[1].counts, scaled);
}

TEST(MotifFormats, SimvaleReadsTheJasparAndAceWritten) {
  const std::vector<CountMotif> original = collection();
  std::vector<MotifMatrix> fromJaspar;
  std::istringstream jaspar(writeJaspar(original));
  ASSERT_EQ(readJasparFile(jaspar, fromJaspar, 0), 3);
  std::vector<OutputFile> files;
  std::string error;
  ASSERT_TRUE(writeAceFiles(original, files, error));
  for (size_t m = 0; m < original.size(); ++m) {
    MotifMatrix fromAce;
    std::istringstream ace(files[m].content);
    readAceFile(ace, fromAce, files[m].name);
    for (const MotifMatrix* read : {&fromJaspar[m], &fromAce}) {
      EXPECT_EQ(read->closestName, original[m].label());
      ASSERT_EQ(read->columns, original[m].width());
      // Simvale's rows are T, C, G, A.
      for (size_t b = 0; b < 4; ++b) {
        const std::vector<int32_t>& row = read->counts[std::array<size_t, 4>{3, 1, 2, 0}[b]];
        EXPECT_EQ(std::vector<int64_t>(row.begin(), row.end()), original[m].counts[b])
            << original[m].label();
      }
    }
  }
}

TEST(MotifFormats, DetectsTheFormatFromTheContent) {
  const struct {
    const char* text;
    MotifFormat format;
  } cases[] = {
      {"MEME version 5\n", MotifFormat::Meme},
      {"\n>MA1\tname\nA [ 1 2 ]\n", MotifFormat::Jaspar},
      {">MA1 name\na  1 2\n", MotifFormat::Jaspar},
      {">ACGT\tname\t5.1\n0.1 0.2 0.3 0.4\n", MotifFormat::Homer},
      {"VV  TRANSFAC\nXX\n//\n", MotifFormat::Transfac},
      {"ID  x\nP0 A C G T\n", MotifFormat::Transfac},
      {"1 2 3\n4 5 6\n7 8 9\n0 0 0\n", MotifFormat::Pfm},
      {"A 1 2\nC 3 4\nG 0 0\nT 1 1\n", MotifFormat::Pfm},
      {"SequenceElementType\nACGT = 5'MOTIF\n", MotifFormat::Noa},
      {"$\tMOTIF1\tMOTIF2\t\tMI\n", MotifFormat::Se},
      {"g1 TavrinSE_N @ACGT T\n", MotifFormat::Se},
      {"hello\nworld\n", MotifFormat::Unknown},
      {">only a header\n", MotifFormat::Unknown},
      {"", MotifFormat::Unknown},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    EXPECT_EQ(detectFileFormat(in), c.format) << c.text;
  }
}

}  // namespace
}  // namespace tav
