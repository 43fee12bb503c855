// Checks shared by the reference reader targets: a count matrix is well
// formed, and its score against a fixed query is the same through the
// prepared fast path as through the plain form, and lies in [0, 1].
#pragma once

#include <cstring>

#include "capacities.h"

#include "fasta.h"
#include "fuzz_support.h"
#include "motif.h"
#include "similarity.h"

namespace tav::fuzz {

inline void checkReference(const MotifMatrix& m) {
  FUZZ_CHECK(m.length == m.columns && m.columns >= 0);
  for (const auto& row : m.counts) {
    FUZZ_CHECK(row.size() >= static_cast<size_t>(m.columns));
    for (int32_t c : row) FUZZ_CHECK(c >= 0);
  }

  static const MotifMatrix query = [] {
    MotifMatrix q;
    parseMotifMasks("ACG[TC]GACCT", kShortMotifCapacity, symbolMask, q.masks);
    buildCounts(q);
    return q;
  }();
  for (bool both : {false, true}) {
    const double plain = simvaleScore(query, m, both);
    FUZZ_CHECK(plain >= 0 && plain <= 1 + 1e-12);
    PreparedMotif qf, qr, rf;
    prepareMotif(query, qf, both ? &qr : nullptr);
    prepareMotif(m, rf, nullptr);
    const double fast = simvaleScore(qf, both ? &qr : nullptr, rf);
    FUZZ_CHECK(std::memcmp(&plain, &fast, sizeof plain) == 0);
  }
}

}  // namespace tav::fuzz
