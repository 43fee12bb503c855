#include "motif_sites.h"

#include <algorithm>
#include <bit>

#include "fasta.h"

namespace tav {

namespace {

// Row of a definite base in the T, C, G, A order, -1 for anything else.
int baseRow(LetterCode code) {
  switch (code) {
    case 1:
      return 0;
    case 2:
      return 1;
    case 4:
      return 2;
    case 8:
      return 3;
    default:
      return -1;
  }
}

// Adds the site at every start set in `starts` to the rows; returns the number
// of sites.
int addSites(const std::vector<uint64_t>& starts, const SequenceLetter* codes, size_t m,
             SiteCounts& out) {
  int found = 0;
  for (size_t w = 0; w < starts.size(); ++w) {
    for (uint64_t bits = starts[w]; bits != 0; bits &= bits - 1) {
      const size_t s = w * 64 + static_cast<size_t>(std::countr_zero(bits));
      ++found;
      for (size_t i = 0; i < m; ++i) {
        const int row = baseRow(letterCode(codes[s + i]));
        if (row >= 0) ++out.counts[static_cast<size_t>(row)][i];
      }
    }
  }
  return found;
}

}  // namespace

SiteCounts countMotifSites(const std::vector<LetterCode>& masks,
                           const std::vector<SequenceRecord>& records) {
  SiteCounts out;
  for (auto& row : out.counts) row.assign(masks.size(), 0);
  if (masks.empty()) return out;
  const int length = static_cast<int>(masks.size());
  // The occurrence kernel marks every start at once; only sites cost more.
  std::vector<uint64_t> starts;
  for (const SequenceRecord& record : records) {
    motifStarts(masks.data(), length, record, false, starts);
    int found = addSites(starts, record.codes.data(), masks.size(), out);
    if (record.hasReverse) {
      motifStarts(masks.data(), length, record, true, starts);
      found += addSites(starts, record.reverseCodes.data(), masks.size(), out);
    }
    out.sites += found;
    if (found > 0) ++out.sequences;
  }
  return out;
}

}  // namespace tav
