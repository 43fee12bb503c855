// Permutation significance: each pair's score on the network is compared with
// its scores on many randomised networks (partners re-drawn, every gene's
// degree kept). A pair stays in the running until a randomised network
// reaches its score.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "pair_record.h"
#include "random.h"
#include "records.h"

namespace tav {

// Fills slot `slot` of every pair: the observed score over the network of
// the genes whose excluded flag is clear, then `shuffles` cumulative
// shuffles of that network; pairs not removed and with an exceedance count
// not above shuffles * cutoff are scored on each. Ends with p-values, means
// and z-scores. Verbose writes one progress line per whole percent, quiet
// one dot; the console line is ended at the end.
void permutationTest(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                     int shuffles, int slot, double cutoff, bool verbose, std::ostream& out,
                     ScoringPath path = ScoringPath::Fast);

// How a fast test counts the running pairs on each network: per-gene masks,
// partner lists, or whichever costs less. Counts, and so every result, are
// the same either way.
enum class Counting { Cheaper, Masks, PartnerLists };

struct PermutationParams {
  int shuffles = 0;
  int slot = 0;
  double cutoff = 0.0;
  bool verbose = false;
  ScoringPath path = ScoringPath::Fast;
  Counting counting = Counting::Cheaper;
  // Per pair index, optional: where this test marks each pair it drops from
  // the running, and the pairs another test (running at the same time) has
  // dropped, which this one may then drop too because their statistics here
  // will not be used. Either may be set at any time by another thread.
  std::atomic<uint8_t>* dropsInto = nullptr;
  const std::atomic<uint8_t>* droppedElsewhere = nullptr;
};

// The same with the parameters in one place. A fast test given `stream`
// draws its shuffles from it and leaves the process-wide generator alone
// (the caller advances it by permutationDraws); without, it advances the
// process-wide generator as the plain test does.
void permutationTest(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                     const PermutationParams& params, std::ostream& out,
                     RandomStream* stream = nullptr);

// One permutation test as permutationTest runs it.
class PermutationRun {
 public:
  // Scores the observed network and clears the slot's statistics. A fast
  // test given `stream` draws from it as permutationTest does; without, it
  // draws from the process-wide generator.
  PermutationRun(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs,
                 const PermutationParams& params, std::ostream& out, RandomStream* stream);
  ~PermutationRun();
  PermutationRun(const PermutationRun&) = delete;
  PermutationRun& operator=(const PermutationRun&) = delete;

  // Runs the networks and ends the test: p-values, means, z-scores and the
  // end of the console line. Returns the length of the network.
  int finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Draws a test makes: count - 1 per shuffle of a count-entry network.
uint64_t permutationDraws(int shuffles, int count);

// (observed - mean) / sqrt(mean of squares - mean * mean).
double zScore(double observed, double mean, double meanSquare);

// Sets the removed flag of every pair whose p-value in the slot exceeds the
// cut-off; returns how many it set.
int markNotSignificant(std::vector<PairRecord>& pairs, int slot, double cutoff);

}  // namespace tav
