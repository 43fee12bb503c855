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

// Adds the bases of the sites starting at `starts` to the count rows.
void addSites(const std::vector<LetterCode>& masks, const LetterCode* codes,
              const std::vector<int32_t>& starts, SiteCounts& out) {
  for (int32_t s : starts) {
    for (size_t i = 0; i < masks.size(); ++i) {
      const int row = baseRow(codes[static_cast<size_t>(s) + i]);
      if (row >= 0) ++out.counts[static_cast<size_t>(row)][i];
    }
  }
}

}  // namespace

SiteCounts countMotifSites(const std::vector<LetterCode>& masks,
                           const std::vector<SequenceRecord>& records) {
  SiteCounts out;
  for (auto& row : out.counts) row.assign(masks.size(), 0);
  if (masks.empty()) return out;
  const int length = static_cast<int>(masks.size());
  std::vector<int32_t> forward;
  std::vector<int32_t> reverse;
  for (const SequenceRecord& record : records) {
    // The starts come from the bit-parallel occurrence index, so a record is
    // scanned in words rather than base by base.
    motifStarts(masks.data(), length, record, forward, reverse);
    addSites(masks, record.codes.data(), forward, out);
    addSites(masks, record.reverseCodes.data(), reverse, out);
    const auto found = static_cast<int32_t>(forward.size() + reverse.size());
    out.sites += found;
    if (found > 0) ++out.sequences;
  }
  return out;
}

}  // namespace tav
