// The closest reference matrix of every query motif and the three-column
// report that lists it.
#pragma once

#include <ostream>
#include <vector>

#include "motif.h"
#include "noa_reader.h"

namespace tav {

// For each of the first `queryCount` entries: the reference (of the first
// `referenceCount`) with the highest score, kept when that score is strictly
// greater than `cutoff`; equal scores keep the earlier reference. Fills each
// query's closestName / hasClosest / closestScore and returns the number of
// queries that received a match. Every motif's frequencies and column records
// are computed once; the scores are those of simvaleScore on the count
// matrices.
int findClosestMatches(std::vector<MotifEntry>& queries, int queryCount,
                       const std::vector<MotifMatrix>& references, int referenceCount,
                       double cutoff, bool bothStrands);

// Header "Sequence<TAB>Closest Match<TAB>Match Score", then one line per query:
// text, name and score, or the text and two tabs when there is no match.
void writeMatchReport(std::ostream& report, const std::vector<MotifEntry>& queries,
                      int queryCount);

}  // namespace tav
