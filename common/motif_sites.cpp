#include "motif_sites.h"

#include <algorithm>

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

template <typename Code>
int countStrand(const std::vector<LetterCode>& masks, const Code* codes, int32_t n,
                SiteCounts& out) {
  const int32_t m = static_cast<int32_t>(masks.size());
  int found = 0;
  for (int32_t s = 0; s + m <= n; ++s) {
    int32_t i = 0;
    while (i < m && (static_cast<LetterCode>(codes[s + i]) & ~masks[static_cast<size_t>(i)]) == 0)
      ++i;
    if (i < m) continue;
    ++found;
    for (i = 0; i < m; ++i) {
      const int row = baseRow(static_cast<LetterCode>(codes[s + i]));
      if (row >= 0) ++out.counts[static_cast<size_t>(row)][static_cast<size_t>(i)];
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
  for (const SequenceRecord& record : records) {
    // The occurrence test is the fast filter: most records hold no site.
    if (motifOccurs(masks.data(), length, record) == 0) continue;
    int32_t n = std::min<int32_t>(record.length, static_cast<int32_t>(record.codes.size()));
    int found = countStrand(masks, record.codes.data(), n, out);
    if (record.hasReverse) {
      n = std::min<int32_t>(record.length, static_cast<int32_t>(record.reverseCodes.size()));
      found += countStrand(masks, record.reverseCodes.data(), n, out);
    }
    out.sites += found;
    if (found > 0) ++out.sequences;
  }
  return out;
}

}  // namespace tav
