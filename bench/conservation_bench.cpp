// The conservation scorers' hot loop: one motif and its decoys scored over
// 1500 ortholog pairs of 500-base promoters on both strands (the size of the
// bundled example), with the occurrence index as the driver builds it.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <vector>

#include "conservation_score.h"
#include "fasta.h"
#include "motif.h"
#include "random.h"

namespace {

using namespace tav;

struct Organisms {
  std::vector<SequenceRecord> one;
  std::vector<SequenceRecord> two;
  std::vector<OrthologPair> pairs;
};

std::vector<SequenceRecord> promoters(std::mt19937& rng, int count, int length, bool index) {
  std::vector<SequenceRecord> records(static_cast<size_t>(count));
  const LetterCode bases[4] = {1, 2, 4, 8};
  for (int i = 0; i < count; ++i) {
    SequenceRecord& r = records[static_cast<size_t>(i)];
    for (int p = 0; p < length; ++p) r.codes.push_back(bases[rng() % 4]);
    r.length = length;
  }
  if (index) indexSequences(records, SequenceAlphabet::Nucleotide);
  return records;
}

const Organisms& organisms(bool index) {
  static Organisms sets[2];
  Organisms& o = sets[index ? 1 : 0];
  if (o.pairs.empty()) {
    std::mt19937 rng(42);
    o.one = promoters(rng, 1500, 500, index);
    o.two = promoters(rng, 1500, 500, index);
    for (size_t i = 0; i < 1500; ++i) o.pairs.push_back({&o.one[i], &o.two[i]});
  }
  return o;
}

// One motif with 100 decoys, as scoreAllMotifs runs it (state.range(0):
// 1 with the occurrence index, 0 with the plain rule).
void BM_MotifWithDecoys(benchmark::State& state) {
  const Organisms& o = organisms(state.range(0) == 1);
  std::vector<MotifRecord> motifs = {{"TGA[CG]TCA", 0.0, 1.0}};
  std::ostringstream console;
  for (auto _ : state) {
    seedRandom(1);
    scoreAllMotifs(motifs, 1, o.pairs, static_cast<int>(o.pairs.size()),
                   ScoringParams{100, ConservationAlphabet::Nucleotide, true}, console);
    benchmark::DoNotOptimize(motifs[0].pValue);
  }
  state.SetItemsProcessed(state.iterations() * 101 * 3000);  // occurrence tests
}
BENCHMARK(BM_MotifWithDecoys)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The score of a counted table: the floating-point part of every decoy.
void BM_ContingencyScore(benchmark::State& state) {
  ContingencyTable t;
  t.n[0][0] = 900;
  t.n[0][1] = 200;
  t.n[1][0] = 150;
  t.n[1][1] = 250;
  for (auto _ : state) {
    benchmark::DoNotOptimize(t);
    benchmark::DoNotOptimize(contingencyScore(t));
  }
}
BENCHMARK(BM_ContingencyScore);

}  // namespace
