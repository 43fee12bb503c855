// The real sites of a motif in coded nucleotide sequences, counted per base:
// the count matrix that the converter and the report page draw from a
// discovered motif string.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "records.h"

namespace tav {

struct SiteCounts {
  std::array<std::vector<int32_t>, 4> counts;  // T, C, G, A; one entry per motif position
  int32_t sites = 0;                           // occurrences, each strand's match counted
  int32_t sequences = 0;                       // records holding at least one occurrence
};

// Every occurrence of the motif (one mask per position) in `records`: each
// start on the given codes and, for records with reverse codes, each start on
// the reverse codes, which reads the site in the motif's own orientation. A
// palindromic site therefore counts once per strand. A definite base adds 1 to
// its row; an ambiguous letter adds nothing. Records with a current
// occurrence index are searched through it, in words rather than base by base.
SiteCounts countMotifSites(const std::vector<LetterCode>& masks,
                           const std::vector<SequenceRecord>& records);

}  // namespace tav
