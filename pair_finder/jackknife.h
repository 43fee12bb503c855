// Jack-knife robustness: the permutation test is repeated on networks from
// which a random part of the genes is left out, and a pair counts the trials
// in which it stayed significant.
#pragma once

#include <functional>
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

struct RobustnessParams {
  int shuffles = 0;
  int trials = 0;
  int fraction = 3;  // at least 1
};

// The significance test of the whole network (slot 0, verbose, cut-off 0),
// then `between` (the caller's summary lines, the pair removal and order;
// it must remove at least the pairs the test dropped, as
// markNotSignificant with cut-off 0 does),
// then jackknife with cut-off 0: the same bytes and the same records as
// calling the three in turn. With more than one thread the trials run
// beside the test from its start, on the pairs it starts with: a pair's
// trial statistics do not depend on the other pairs, and the trials' draws
// start at places known before the test runs. Statistics of pairs that
// `between` removes are then set back to what a trial leaves for a removed
// pair.
void significanceAndRobustness(std::vector<GeneRecord>& genes, int n,
                               std::vector<PairRecord>& pairs, const RobustnessParams& params,
                               std::ostream& out, const std::function<void()>& between);

// Sets the removed flag of every pair not yet removed whose robust count is
// below the threshold; returns how many it set.
int markNotRobust(std::vector<PairRecord>& pairs, int threshold);

}  // namespace tav
