// Fuzz target: motif strings of a node attribute file and their matrices,
// from the string and from the sites in a few sequences.
#include <sstream>

#include "fasta.h"
#include "fuzz_support.h"
#include "motif_strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in{std::string(tav::fuzz::asText(data, size))};
  std::vector<tav::MotifString> strings;
  std::string error;
  if (!tav::readNoaStrings(in, "in", "5'MOTIF", strings, error)) {
    FUZZ_CHECK(error.starts_with("in:") && error.find('\n') == std::string::npos);
    return 0;
  }
  std::istringstream fasta(">a\nACGTACGTTTGACCAANACGT\n>b\nGGGGAATCCCcacgtg\n");
  std::ostringstream console;
  std::vector<tav::SequenceRecord> records;
  tav::readFasta(fasta, records, tav::SequenceAlphabet::Nucleotide, 1000, console);
  tav::buildReverseComplements(records);
  tav::indexSequences(records, tav::SequenceAlphabet::Nucleotide);
  for (size_t i = 0; i < strings.size() && i < 50; ++i) {
    for (const auto* sequences :
         {static_cast<std::vector<tav::SequenceRecord>*>(nullptr), &records}) {
      bool withoutSites = false;
      const tav::CountMotif motif = tav::motifFromString(strings[i], 7, sequences, &withoutSites);
      FUZZ_CHECK(motif.width() == static_cast<int>(strings[i].masks.size()));
      if (sequences == nullptr || withoutSites) {
        for (int c = 0; c < motif.width(); ++c) FUZZ_CHECK(tav::columnSum(motif, c) == 7);
      }
    }
  }
  return 0;
}
