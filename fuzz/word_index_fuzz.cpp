// Fuzz target: the conservation scorers' word index (one stored strand, the
// reverse searched through the motif's reverse complement) against the plain
// scan of stored strands. Input: one byte of motif length and strand choice, the motif as one byte
// per position (its low four bits the allowed nucleotides), a newline, then
// a nucleotide FASTA file.
#include <sstream>
#include <string>
#include <vector>

#include "fasta.h"
#include "fuzz_support.h"
#include "word_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int length = 1 + data[0] % 12;
  const bool bothStrands = (data[0] & 0x80) != 0;
  if (size < 1 + static_cast<size_t>(length)) return 0;
  std::vector<tav::LetterCode> motif;
  for (int i = 0; i < length; ++i) motif.push_back(data[1 + i] & 15u);
  const std::string text(
      tav::fuzz::asText(data + 1 + length, size - 1 - static_cast<size_t>(length)));

  std::vector<tav::SequenceRecord> records;
  std::ostringstream warnings;
  std::istringstream in(text);
  tav::readFasta(in, records, tav::SequenceAlphabet::Nucleotide, 10000, warnings);
  std::vector<tav::SequenceRecord> plain = records;
  if (bothStrands) tav::buildReverseComplements(plain);
  // Index only some records, so the rest go the plain way inside the index.
  tav::indexSequencesWithin(records, tav::SequenceAlphabet::Nucleotide, size % 4096);
  std::vector<const tav::SequenceRecord*> members;
  for (const tav::SequenceRecord& record : records) members.push_back(&record);

  tav::WordIndex index;
  if (!index.build(members, length, 4)) return 0;
  std::vector<tav::LetterCode> reverse;
  tav::reverseComplementMotif(motif.data(), length, reverse);
  const tav::StrandedMotif searched{motif.data(), bothStrands ? reverse.data() : nullptr, length};
  for (size_t r = 0; r < records.size(); ++r) {
    FUZZ_CHECK(tav::strandedOccurs(searched, records[r]) ==
               tav::motifOccursReference(motif.data(), length, plain[r]));
  }
  std::vector<uint8_t> presence;
  if (!index.fill(searched, presence)) return 0;
  FUZZ_CHECK(presence.size() == records.size());
  for (size_t r = 0; r < records.size(); ++r) {
    FUZZ_CHECK(presence[r] == tav::motifOccursReference(motif.data(), length, plain[r]));
  }
  return 0;
}
