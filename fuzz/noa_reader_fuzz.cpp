// Fuzz target: the node attribute motif reader, the line helpers the
// conservation scorers use on the same files, and the similarity score of
// the motifs read (the prepared fast path against the plain form).
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "fuzz_support.h"
#include "noa_reader.h"
#include "similarity.h"

namespace {

constexpr const char* kType = "5'MOTIF";

void checkEntry(const tav::MotifEntry& e) {
  FUZZ_CHECK(e.text.find_first_of(" \t\n") == std::string::npos);
  const auto& m = e.matrix;
  FUZZ_CHECK(m.length == static_cast<int32_t>(m.masks.size()));
  FUZZ_CHECK(m.columns == m.length && m.length <= tav::kShortMotifCapacity);
  for (const auto& row : m.counts) FUZZ_CHECK(row.size() == m.masks.size());
  tav::FrequencyMatrix f;
  tav::countsToFrequencies(m, f);
  for (int i = 0; i < m.columns; ++i) {
    double sum = 0;
    for (int b = 0; b < 4; ++b) {
      FUZZ_CHECK(f.f[b][i] > 0 && f.f[b][i] < 1);
      sum += f.f[b][i];
    }
    FUZZ_CHECK(std::fabs(sum - 1) < 1e-12);
  }
}

void checkScores(const std::vector<tav::MotifEntry>& entries, int from, int to) {
  for (int i = from; i < to && i < from + 6; ++i) {
    for (int j = from; j < to && j < from + 6; ++j) {
      const auto& q = entries[static_cast<size_t>(i)].matrix;
      const auto& r = entries[static_cast<size_t>(j)].matrix;
      for (bool both : {false, true}) {
        const double plain = tav::simvaleScore(q, r, both);
        FUZZ_CHECK(plain >= 0 && plain <= 1 + 1e-12);
        tav::PreparedMotif qf, qr, rf;
        tav::prepareMotif(q, qf, both ? &qr : nullptr);
        tav::prepareMotif(r, rf, nullptr);
        const double fast = tav::simvaleScore(qf, both ? &qr : nullptr, rf);
        FUZZ_CHECK(std::memcmp(&plain, &fast, sizeof plain) == 0);
        if (i == j && q.columns >= tav::kInformativeColumns && !both) {
          // A motif against itself correlates fully unless all its columns are alike.
          FUZZ_CHECK(plain == 0 || std::fabs(plain - 1) < 1e-9);
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(tav::fuzz::asText(data, size));

  std::vector<tav::MotifEntry> entries;
  tav::NoaReadResult result;
  {
    std::istringstream in(input);
    result = tav::readNoaMotifs(in, entries, 0, kType);
  }
  FUZZ_CHECK(result.next >= 0 && result.next <= tav::kMaxMotifs);
  FUZZ_CHECK(static_cast<int>(entries.size()) >= result.next);
  FUZZ_CHECK((result.status == tav::MotifStatus::Ok) || !result.tooMany);
  for (int i = 0; i < result.next; ++i) checkEntry(entries[static_cast<size_t>(i)]);
  if (result.status != tav::MotifStatus::Ok) {
    std::ostringstream console;
    tav::printMotifError(console, result.status, result.badText);
    FUZZ_CHECK(!console.str().empty());
    tav::fuzz::checkMessageLines(console.str(), "ERROR: ");
  }

  // Appending after earlier entries stores the same motifs behind them.
  {
    std::vector<tav::MotifEntry> more(3);
    std::istringstream in(input);
    const tav::NoaReadResult appended = tav::readNoaMotifs(in, more, 3, kType);
    FUZZ_CHECK(appended.next - 3 == result.next || appended.tooMany);
    for (int i = 0; i < result.next && 3 + i < appended.next; ++i) {
      FUZZ_CHECK(more[static_cast<size_t>(3 + i)].text == entries[static_cast<size_t>(i)].text);
    }
  }

  // The plain line walk sees the same names, and matching type lines beyond.
  {
    std::istringstream in(input);
    tav::skipNoaHeader(in);
    std::string name;
    int seen = 0;
    while (tav::nextNoaMotif(in, kType, name)) {
      FUZZ_CHECK(name.find_first_of(" \t") == std::string::npos);
      if (seen < result.next) FUZZ_CHECK(name == entries[static_cast<size_t>(seen)].text);
      ++seen;
    }
    FUZZ_CHECK(seen >= result.next);
  }

  checkScores(entries, 0, result.next);
  return 0;
}
