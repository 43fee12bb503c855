// Pair scoring and the permutation test on random networks of a few thousand
// genes, by the fast counting path and (smaller sizes) the plain one.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <vector>

#include "pair_list.h"
#include "permutation.h"
#include "random.h"

namespace {

struct Network {
  std::vector<tav::GeneRecord> genes;
  std::vector<tav::InteractionPair> training;
  int elements = 0;
};

// Genes carry on average about two elements, element popularity skewed.
Network randomNetwork(int genes, int edges, int elements) {
  std::mt19937 rng(12345);
  Network net;
  net.elements = elements;
  net.genes.resize(static_cast<size_t>(genes));
  std::uniform_int_distribution<int> pickGene(0, genes - 1);
  std::geometric_distribution<int> carriers(0.1);
  for (int e = 0; e < elements; ++e) {
    const int k = 1 + carriers(rng) * 2 * genes / (10 * elements + 1);
    for (int i = 0; i < k; ++i) net.genes[static_cast<size_t>(pickGene(rng))].setElement(e);
  }
  for (int i = 0; i < edges; ++i) {
    const int a = pickGene(rng);
    const int b = pickGene(rng);
    if (a == b) continue;
    net.genes[static_cast<size_t>(a)].connect(b);
    net.genes[static_cast<size_t>(b)].connect(a);
  }
  std::ostringstream ignored;
  tav::buildTrainingSet(net.genes, genes, net.training, ignored);
  return net;
}

void runPairList(benchmark::State& state, tav::ScoringPath path) {
  Network net = randomNetwork(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                              static_cast<int>(state.range(2)));
  const int n = static_cast<int>(net.genes.size());
  for (auto _ : state) {
    tav::PairList list;
    std::ostringstream out;
    benchmark::DoNotOptimize(tav::buildPairList(net.genes, n, net.elements, list, 500, net.training,
                                                static_cast<int>(net.training.size()), out, path));
  }
  const int64_t pairs = static_cast<int64_t>(net.elements) * (net.elements + 1) / 2;
  state.SetItemsProcessed(state.iterations() * pairs);
}

void BM_PairListFast(benchmark::State& state) { runPairList(state, tav::ScoringPath::Fast); }
void BM_PairListPlain(benchmark::State& state) { runPairList(state, tav::ScoringPath::Plain); }

BENCHMARK(BM_PairListFast)
    ->Args({2000, 5000, 300})
    ->Args({12000, 30000, 3000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairListFast)->Args({500, 1200, 60})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairListPlain)->Args({500, 1200, 60})->Unit(benchmark::kMillisecond);

void runPermutation(benchmark::State& state, tav::ScoringPath path) {
  Network net = randomNetwork(4000, 10000, 400);
  const int n = static_cast<int>(net.genes.size());
  tav::PairList list;
  std::ostringstream ignored;
  tav::buildPairList(net.genes, n, net.elements, list, 500, net.training,
                     static_cast<int>(net.training.size()), ignored);
  const int shuffles = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<tav::PairRecord> pairs = list.pairs;
    std::ostringstream out;
    tav::seedRandom(7);
    // A cut-off of 1 keeps every pair in the running: the worst case.
    tav::permutationTest(net.genes, n, pairs, shuffles, 0, 1.0, false, out, path);
    benchmark::DoNotOptimize(pairs.data());
  }
  state.SetItemsProcessed(state.iterations() * shuffles);
}

void BM_PermutationFast(benchmark::State& state) { runPermutation(state, tav::ScoringPath::Fast); }
void BM_PermutationPlain(benchmark::State& state) {
  runPermutation(state, tav::ScoringPath::Plain);
}

BENCHMARK(BM_PermutationFast)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PermutationPlain)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
