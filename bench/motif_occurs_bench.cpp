// Occurrence test on promoter-sized sequences: the plain window-by-window rule
// against the indexed search, one strand and both strands, with 9-position
// degenerate motifs as the hill climb makes them; proteins with 5-position
// decoy-like motifs, which mostly do not occur.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "fasta.h"

namespace {

struct Workload {
  std::vector<tav::SequenceRecord> records;
  std::vector<std::vector<tav::LetterCode>> motifs;
};

Workload makeWorkload(bool bothStrands, bool protein) {
  std::mt19937 engine(7);
  const int letters = protein ? 20 : 4;
  Workload w;
  w.records.resize(200);
  for (tav::SequenceRecord& r : w.records) {
    r.length = protein ? 300 : 500;
    r.codes.resize(static_cast<size_t>(r.length));
    for (tav::SequenceLetter& c : r.codes) {
      const auto letter = static_cast<int>(engine() % static_cast<unsigned>(letters));
      if (engine() % 100 == 0) {
        c = protein ? tav::kAnyProteinLetter
                    : static_cast<tav::SequenceLetter>(tav::kAnyNucleotide);
      } else {
        c = static_cast<tav::SequenceLetter>(protein ? tav::kFirstProteinLetter + letter
                                                     : 1 << letter);
      }
    }
  }
  if (bothStrands) tav::buildReverseComplements(w.records);
  tav::indexSequences(w.records,
                      protein ? tav::SequenceAlphabet::Protein : tav::SequenceAlphabet::Nucleotide);
  w.motifs.resize(64);
  for (auto& m : w.motifs) {
    m.resize(protein ? 5 : 9);
    for (tav::LetterCode& c : m) {
      // half single letters, the rest two or three letters or any letter
      const unsigned roll = engine() % 10;
      const int extra = roll < 5 ? 0 : roll < 8 ? 1 : roll < 9 ? 2 : letters;
      c = tav::LetterCode{1} << (engine() % letters);
      for (int k = 0; k < extra; ++k)
        c |= tav::LetterCode{1} << (extra == letters ? k : engine() % letters);
    }
  }
  return w;
}

template <int (*occurs)(const tav::LetterCode*, int, const tav::SequenceRecord&)>
void run(benchmark::State& state, bool bothStrands, bool protein) {
  const Workload w = makeWorkload(bothStrands, protein);
  int64_t hits = 0;
  for (auto _ : state) {
    for (const auto& m : w.motifs) {
      for (const tav::SequenceRecord& r : w.records)
        hits += occurs(m.data(), static_cast<int>(m.size()), r);
    }
  }
  benchmark::DoNotOptimize(hits);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<int64_t>(w.motifs.size() * w.records.size()));
  state.counters["hitRate"] =
      static_cast<double>(hits) /
      static_cast<double>(state.iterations() * w.motifs.size() * w.records.size());
}

void BM_PlainOneStrand(benchmark::State& s) { run<tav::motifOccursReference>(s, false, false); }
void BM_IndexedOneStrand(benchmark::State& s) { run<tav::motifOccurs>(s, false, false); }
void BM_PlainBothStrands(benchmark::State& s) { run<tav::motifOccursReference>(s, true, false); }
void BM_IndexedBothStrands(benchmark::State& s) { run<tav::motifOccurs>(s, true, false); }
void BM_PlainProtein(benchmark::State& s) { run<tav::motifOccursReference>(s, false, true); }
void BM_IndexedProtein(benchmark::State& s) { run<tav::motifOccurs>(s, false, true); }

BENCHMARK(BM_PlainOneStrand);
BENCHMARK(BM_IndexedOneStrand);
BENCHMARK(BM_PlainBothStrands);
BENCHMARK(BM_IndexedBothStrands);
BENCHMARK(BM_PlainProtein);
BENCHMARK(BM_IndexedProtein);

}  // namespace
