// A motif as the conservation scorers search it. Records keep one strand:
// when the reverse strand counts too, the motif's reverse complement is
// searched on the stored strand instead. It matches there exactly where the
// motif matches the reverse strand (at the mirrored start), so the answers
// are those of a stored reverse strand at half the memory of the sequences
// and their indexes.
#pragma once

#include <algorithm>
#include <vector>

#include "fasta.h"
#include "records.h"

namespace tav {

struct StrandedMotif {
  const LetterCode* forward = nullptr;
  const LetterCode* reverse = nullptr;  // the reverse complement; null for one strand
  int length = 0;
};

// The reverse complement of nucleotide motif codes into `out`. Code bits
// above the four nucleotides are dropped: no stored nucleotide letter has
// them, so they never decide a match.
inline void reverseComplementMotif(const LetterCode* motif, int length,
                                   std::vector<LetterCode>& out) {
  out.resize(static_cast<size_t>(std::max(length, 0)));
  for (int i = 0; i < length; ++i)
    out[static_cast<size_t>(i)] = complementCode(motif[length - 1 - i]);
}

// 1 when the motif occurs in the record on either strand searched.
inline int strandedOccurs(const StrandedMotif& motif, const SequenceRecord& record) {
  if (motifOccurs(motif.forward, motif.length, record) != 0) return 1;
  return motif.reverse != nullptr ? motifOccurs(motif.reverse, motif.length, record) : 0;
}

}  // namespace tav
