// Jack-knife robustness: the permutation test is repeated on networks from
// which a random part of the genes is left out, and a pair counts the trials
// in which it stayed significant.
#pragma once

#include <ostream>
#include <vector>

#include "pair_record.h"
#include "records.h"

namespace tav {

// Runs trials 1..trials (slot t for trial t). In each trial every gene is
// left out when drawRandom() % fraction is 0, one draw per gene in table
// order, before the trial's permutations. Then sets the robust count of
// every pair not removed: the trials whose p-value is not above the cut-off.
// `fraction` must be at least 1.
void jackknife(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs, int shuffles,
               double cutoff, int trials, int fraction, std::ostream& out,
               ScoringPath path = ScoringPath::Fast);

// Sets the removed flag of every pair not yet removed whose robust count is
// below the threshold; returns how many it set.
int markNotRobust(std::vector<PairRecord>& pairs, int threshold);

}  // namespace tav
