// The three costly stages of the motif pair finders on random promoter-like
// data: 1500 sequences of 500 bases and 3000 interactions, the size of the
// bundled example.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <vector>

#include "optimisation.h"
#include "random.h"
#include "seed_significance.h"
#include "seed_stage.h"

namespace {

struct Data {
  std::vector<tav::SequenceRecord> records;
  std::vector<tav::InteractionPair> training;
};

Data randomData(int sequences, int length, int edges) {
  std::mt19937 rng(4242);
  static constexpr tav::LetterCode kLetters[4] = {1, 2, 4, 8};
  std::uniform_int_distribution<int> letter(0, 3);
  std::uniform_int_distribution<int> node(0, sequences - 1);
  Data data;
  data.records.resize(static_cast<size_t>(sequences));
  for (auto& r : data.records) {
    r.length = length;
    for (int p = 0; p < length; ++p) r.codes.push_back(kLetters[letter(rng)]);
  }
  tav::buildReverseComplements(data.records);
  tav::indexSequences(data.records, tav::SequenceAlphabet::MotifFinderNucleotide);
  for (int e = 0; e < edges; ++e) {
    const int a = node(rng);
    const int b = node(rng);
    if (a != b) {
      data.records[static_cast<size_t>(a)].connect(b);
      data.records[static_cast<size_t>(b)].connect(a);
    }
  }
  std::ostringstream ignored;
  tav::buildTrainingSet(data.records, sequences, data.training, ignored);
  return data;
}

const Data& exampleSized() {
  static const Data data = randomData(1500, 500, 3000);
  return data;
}

// All seed pairs of one length (argument), strand mode, queue of 500.
void BM_SeedStage(benchmark::State& state) {
  const Data& data = exampleSized();
  const int length = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<tav::MotifPair> queue;
    std::vector<tav::MaskMotif> store;
    std::ostringstream progress;
    benchmark::DoNotOptimize(tav::seedMotifPairs(data.records, data.training, static_cast<int>(data.training.size()),
                                                 length, 500, true, tav::MotifFinderVariant::Pairs, queue, store,
                                                 progress));
  }
}
BENCHMARK(BM_SeedStage)->Arg(5)->Arg(6)->Unit(benchmark::kMillisecond);

// Tavrin-N.HV seeds of length 7: every motif against itself.
void BM_HomoValueSeedStage(benchmark::State& state) {
  const Data& data = exampleSized();
  for (auto _ : state) {
    std::vector<tav::MotifPair> queue;
    std::vector<tav::MaskMotif> store;
    std::ostringstream progress;
    benchmark::DoNotOptimize(tav::seedMotifPairs(data.records, data.training, static_cast<int>(data.training.size()),
                                                 7, 500, true, tav::MotifFinderVariant::HomoValue, queue, store,
                                                 progress));
  }
}
BENCHMARK(BM_HomoValueSeedStage)->Unit(benchmark::kMillisecond);

// Randomised networks (argument) against a queue of 500 seed pairs of length 6.
void BM_SeedSignificance(benchmark::State& state) {
  const Data& data = exampleSized();
  std::vector<tav::MotifPair> queue;
  std::vector<tav::MaskMotif> store;
  std::ostringstream progress;
  tav::seedMotifPairs(data.records, data.training, static_cast<int>(data.training.size()), 6, 500, true,
                      tav::MotifFinderVariant::Pairs, queue, store, progress);
  for (auto _ : state) {
    tav::seedRandom(1);
    tav::assessSeedSignificance(data.records, store, queue, static_cast<int>(queue.size()), state.range(0), 10,
                                progress);
  }
}
BENCHMARK(BM_SeedSignificance)->Arg(1000)->Unit(benchmark::kMillisecond);

// The whole optimisation of the best seed pair, up to 9 positions per motif.
void BM_OptimizeOnePair(benchmark::State& state) {
  const Data& data = exampleSized();
  std::vector<tav::MotifPair> queue;
  std::vector<tav::MaskMotif> store;
  std::ostringstream progress;
  tav::seedMotifPairs(data.records, data.training, static_cast<int>(data.training.size()), 6, 1, true,
                      tav::MotifFinderVariant::Pairs, queue, store, progress);
  tav::ClimbTables tables(data.records, data.training, static_cast<int>(data.training.size()),
                          tav::MotifFinderVariant::Pairs);
  for (auto _ : state) {
    std::vector<tav::MotifPair> pairs = queue;
    std::vector<tav::MaskMotif> motifs = store;
    std::ostringstream lines;
    tav::optimizeMotifPairs(tables, motifs, pairs, 1, 9, lines);
  }
}
BENCHMARK(BM_OptimizeOnePair)->Unit(benchmark::kMillisecond);

}  // namespace
