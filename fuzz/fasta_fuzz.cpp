// Fuzz target: the FASTA reader in its three modes (names only, nucleotide,
// protein) on the same input, the reverse complement and the occurrence test.
// Checks the record limits, that every stored code is a legal one, that the
// modes agree on the records they make, and that the indexed occurrence test
// answers like the plain one.
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "fasta.h"
#include "fuzz_support.h"

namespace {

using tav::LetterCode;
using tav::SequenceAlphabet;
using tav::SequenceRecord;

std::vector<SequenceRecord> readSequences(const std::string& input, SequenceAlphabet alphabet,
                                          int limit) {
  std::istringstream in(input);
  std::ostringstream console;
  std::vector<SequenceRecord> records;
  const int n = tav::readFasta(in, records, alphabet, limit, console);
  FUZZ_CHECK(n == static_cast<int>(records.size()));
  FUZZ_CHECK(n >= 0 && n <= tav::kMaxRecords);
  const LetterCode all =
      alphabet == SequenceAlphabet::Protein ? tav::kAnyProtein : tav::kAnyNucleotide;
  for (const SequenceRecord& r : records) {
    FUZZ_CHECK(r.length == static_cast<int32_t>(r.codes.size()));
    FUZZ_CHECK(r.length <= limit);
    FUZZ_CHECK(!r.hasReverse && r.reverseCodes.empty());
    FUZZ_CHECK(r.neighbors.empty() && r.interactionCount == 0);
    for (tav::SequenceLetter stored : r.codes) {
      const LetterCode c = tav::letterCode(stored);
      FUZZ_CHECK(c != 0 && (c & ~all) == 0);
    }
  }
  tav::fuzz::checkMessageLines(console.str(), "WARNING: ");
  return records;
}

// Motifs taken from the records themselves (so that some occur) and from the
// raw bytes (so that most do not), compared between the two occurrence tests.
void checkOccurrences(std::vector<SequenceRecord>& records, const std::string& input,
                      bool protein) {
  const LetterCode all = protein ? tav::kAnyProtein : tav::kAnyNucleotide;
  std::vector<std::vector<LetterCode>> motifs;
  for (size_t i = 0; i < records.size() && i < 2; ++i) {
    const auto& codes = records[i].codes;
    for (size_t len : {size_t{1}, size_t{4}, size_t{9}}) {
      if (codes.size() < len) continue;
      std::vector<LetterCode>& motif = motifs.emplace_back();
      for (size_t i = codes.size() - len; i < codes.size(); ++i)
        motif.push_back(tav::letterCode(codes[i]));
    }
  }
  std::vector<LetterCode> raw;
  for (size_t i = 0; i < input.size() && raw.size() < 9; ++i) {
    raw.push_back(protein ? (LetterCode{1} << (static_cast<unsigned char>(input[i]) % 20)) |
                                (input[i] & 1 ? all : 0)
                          : static_cast<LetterCode>(input[i]) & all);
  }
  motifs.push_back(raw);
  motifs.emplace_back();

  const SequenceAlphabet alphabet =
      protein ? SequenceAlphabet::Protein : SequenceAlphabet::Nucleotide;
  for (int pass = 0; pass < (protein ? 1 : 2); ++pass) {
    if (pass == 1) tav::buildReverseComplements(records);
    tav::indexSequences(records, alphabet);
    // The plain test is slow on long records: a few records are enough.
    for (size_t k = 0; k < records.size() && k < 6; ++k) {
      const SequenceRecord& r = records[k];
      if (pass == 1) {
        FUZZ_CHECK(r.hasReverse && r.reverseCodes.size() == r.codes.size());
        for (size_t i = 0; i < r.codes.size(); ++i) {
          FUZZ_CHECK(r.reverseCodes[i] == tav::complementCode(r.codes[r.codes.size() - 1 - i]));
        }
      }
      for (const auto& m : motifs) {
        const int length = static_cast<int>(m.size());
        const int fast = tav::motifOccurs(m.data(), length, r);
        FUZZ_CHECK(fast == tav::motifOccursReference(m.data(), length, r));
        if (length == 0) FUZZ_CHECK(fast == 1);
        if (length > r.length) FUZZ_CHECK(fast == 0);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(tav::fuzz::asText(data, size));

  std::vector<tav::GeneRecord> genes;
  {
    std::istringstream in(input);
    std::ostringstream console;
    const int n = tav::readFasta(in, genes, true, console);
    FUZZ_CHECK(n == static_cast<int>(genes.size()) && n <= tav::kMaxRecords);
    tav::fuzz::checkMessageLines(console.str(), "WARNING: ");
    for (const auto& g : genes) {
      FUZZ_CHECK(g.name.size() < static_cast<size_t>(tav::kFastaLinePiece));
      FUZZ_CHECK(g.name.find_first_of(" ,;|\n") == std::string::npos);
      FUZZ_CHECK(g.elements.empty() && g.neighbors.empty());
    }
  }

  // Small limits make the too-long path common; the real ones keep it honest.
  const int smallLimit = size == 0 ? 1 : data[size - 1] % 64;
  auto finder =
      readSequences(input, SequenceAlphabet::MotifFinderNucleotide, tav::kMotifSequenceLimit);
  auto nucleotide =
      readSequences(input, SequenceAlphabet::Nucleotide, tav::kConservationSequenceLimit);
  auto shortened = readSequences(input, SequenceAlphabet::Nucleotide, smallLimit);
  auto protein = readSequences(input, SequenceAlphabet::Protein, tav::kConservationSequenceLimit);

  // Every mode makes the same records with the same names.
  for (const auto* table : {&finder, &nucleotide, &shortened, &protein}) {
    FUZZ_CHECK(table->size() == genes.size());
    for (size_t i = 0; i < genes.size(); ++i) FUZZ_CHECK((*table)[i].name == genes[i].name);
  }
  // A shorter limit keeps a prefix of the same codes.
  for (size_t i = 0; i < nucleotide.size(); ++i) {
    const auto& full = nucleotide[i].codes;
    const auto& cut = shortened[i].codes;
    FUZZ_CHECK(cut.size() == std::min(full.size(), static_cast<size_t>(smallLimit)));
    for (size_t k = 0; k < cut.size(); ++k) FUZZ_CHECK(cut[k] == full[k]);
  }

  checkOccurrences(nucleotide, input, false);
  checkOccurrences(protein, input, true);
  return 0;
}
