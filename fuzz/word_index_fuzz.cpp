// Fuzz target: the conservation scorers' word index against the plain scan.
// Input: one byte of motif length and strand choice, the motif as one byte
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
  if (bothStrands) tav::buildReverseComplements(records);
  tav::indexSequences(records, tav::SequenceAlphabet::Nucleotide);
  std::vector<const tav::SequenceRecord*> members;
  for (const tav::SequenceRecord& record : records) members.push_back(&record);

  tav::WordIndex index;
  if (!index.build(members, length, 4)) return 0;
  std::vector<uint8_t> presence;
  if (!index.fill(motif.data(), length, presence)) return 0;
  FUZZ_CHECK(presence.size() == records.size());
  for (size_t r = 0; r < records.size(); ++r) {
    FUZZ_CHECK(presence[r] == tav::motifOccursReference(motif.data(), length, records[r]));
  }
  return 0;
}
