// Occurrence of short motifs in many records through their words. Every
// window of one length of every record made only of single letters is kept
// as a sorted (word, record) list, so a motif's presence in all records is a
// few look-ups of the words it allows rather than a scan of every record.
// Records holding a multi-letter code (N, B, Z, X) are tested with
// motifOccurs. The answers are always those of motifOccurs.
#pragma once

#include <cstdint>
#include <vector>

#include "records.h"
#include "stranded_motif.h"

namespace tav {

class WordIndex {
 public:
  // Indexes the windows of `length` letters; `letters` is the alphabet size
  // (4 or 20). False, with nothing kept, when the records do not suit: too
  // long a word for a 48-bit key, too many records or windows.
  bool build(const std::vector<const SequenceRecord*>& records, int length, int letters);
  int length() const { return length_; }

  // Sets presence[r] (sized to the records) to strandedOccurs of the motif in
  // record r. False, with presence untouched, when the motif's length is not
  // the indexed one or it allows too many words; then scan the plain way.
  bool fill(const StrandedMotif& motif, std::vector<uint8_t>& presence) const;

 private:
  // Sets presence of the records holding a word the motif allows.
  void mark(const LetterCode* motif, std::vector<uint8_t>& presence) const;

  int length_ = -1;
  int bits_ = 0;  // per letter in a word
  LetterCode alphabet_ = 0;
  const std::vector<const SequenceRecord*>* records_ = nullptr;
  std::vector<uint64_t> entries_;      // word << 16 | record, ascending, no repeats
  std::vector<int32_t> plainRecords_;  // records with a multi-letter code
};

}  // namespace tav
