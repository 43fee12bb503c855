// The closest-match search: prepared motifs against the plain per-pair score,
// and the whole search at the size of a large run (queries x 1000 references).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "closest_match.h"
#include "similarity.h"

namespace {

using namespace tav;

MotifEntry randomQuery(std::mt19937& rng) {
  static const char* const kSymbols[] = {"A", "C", "G", "T", "A", "C", "G", "T", "N", "[AG]", "[CT]"};
  MotifEntry e;
  const int length = 6 + static_cast<int>(rng() % 10);
  for (int i = 0; i < length; ++i) e.text += kSymbols[rng() % 11];
  parseMotifMasks(e.text, 100, symbolMask, e.matrix.masks);
  buildCounts(e.matrix);
  return e;
}

MotifMatrix randomReference(std::mt19937& rng) {
  MotifMatrix m;
  m.columns = m.length = 6 + static_cast<int>(rng() % 15);
  for (auto& row : m.counts) {
    row.resize(m.columns);
    for (auto& cell : row) cell = static_cast<int32_t>(rng() % 20);
  }
  m.closestName = "ref";
  return m;
}

struct Data {
  std::vector<MotifEntry> queries;
  std::vector<MotifMatrix> references;
};

Data makeData(int queries, int references) {
  std::mt19937 rng(7);
  Data d;
  for (int i = 0; i < queries; ++i) d.queries.push_back(randomQuery(rng));
  for (int j = 0; j < references; ++j) d.references.push_back(randomReference(rng));
  return d;
}

void BM_PlainPairScore(benchmark::State& state) {
  const Data d = makeData(100, 100);
  for (auto _ : state) {
    double sum = 0;
    for (const MotifEntry& q : d.queries) {
      for (const MotifMatrix& r : d.references) sum += simvaleScore(q.matrix, r, true);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 100 * 100);
}
BENCHMARK(BM_PlainPairScore)->Unit(benchmark::kMillisecond);

void BM_FindClosestMatches(benchmark::State& state) {
  Data d = makeData(static_cast<int>(state.range(0)), 1000);
  const int n = static_cast<int>(d.queries.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(findClosestMatches(d.queries, n, d.references, 1000, 0.7, true));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 1000);
}
BENCHMARK(BM_FindClosestMatches)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
