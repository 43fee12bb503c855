// Fuzz target: the ortholog table reader. The input's first two lines name
// the records of organism 1 and organism 2; the rest is the table. Checks
// the name resolution rule on every pair kept and that the shared-member
// count of a motif equals the plain count over the pairs.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "conservation_score.h"
#include "fasta.h"
#include "fuzz_support.h"
#include "interactions.h"
#include "orthologs.h"

namespace {

std::vector<tav::SequenceRecord> recordsNamed(const std::vector<std::string>& names) {
  std::vector<tav::SequenceRecord> records(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    records[i].name = names[i];
    // Codes from the name's letters, so that motifs occur in some records.
    for (char c : names[i]) {
      const tav::LetterCode code = tav::symbolMask(c);
      records[i].codes.push_back(code == 0 ? tav::kAnyNucleotide : code);
    }
    records[i].length = static_cast<int32_t>(records[i].codes.size());
  }
  return records;
}

// The record a name must resolve to: the first of organism 1, else the first
// of organism 2.
const tav::SequenceRecord* expected(const std::string& name,
                                    const std::vector<tav::SequenceRecord>& a,
                                    const std::vector<tav::SequenceRecord>& b) {
  int i = tav::findGene(name, a, static_cast<int>(a.size()));
  if (i >= 0) return &a[static_cast<size_t>(i)];
  i = tav::findGene(name, b, static_cast<int>(b.size()));
  return i >= 0 ? &b[static_cast<size_t>(i)] : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto first = tav::fuzz::splitNamesLine(tav::fuzz::asText(data, size));
  const auto second = tav::fuzz::splitNamesLine(first.file);
  const auto organism1 = recordsNamed(first.names);
  const auto organism2 = recordsNamed(second.names);

  std::vector<tav::OrthologPair> pairs;
  std::istringstream in(second.file);
  const int n = tav::readOrthologs(in, pairs, organism1, static_cast<int>(organism1.size()),
                                   organism2, static_cast<int>(organism2.size()));
  FUZZ_CHECK(n >= 0 || n == tav::kOrthologNameTooLong || n == tav::kTooManyOrthologPairs);
  if (n < 0) return 0;
  FUZZ_CHECK(n == static_cast<int>(pairs.size()) && n <= tav::kMaxOrthologPairs);
  for (const auto& p : pairs) {
    FUZZ_CHECK(p.first != nullptr && p.second != nullptr);
    FUZZ_CHECK(p.first == expected(p.first->name, organism1, organism2));
    FUZZ_CHECK(p.second == expected(p.second->name, organism1, organism2));
  }

  if (n == 0) return 0;
  const std::vector<tav::LetterCode> motifs[] = {{1}, {8, 15}, {2, 4, 15}, {}};
  auto members = tav::collectMembers(pairs, n);
  for (const auto& m : motifs) {
    const int length = static_cast<int>(m.size());
    const auto plain = tav::countContingency(m.data(), length, pairs, n);
    const auto shared = tav::countMembers(tav::StrandedMotif{m.data(), nullptr, length}, members);
    for (int a = 0; a < 2; ++a) {
      for (int b = 0; b < 2; ++b) FUZZ_CHECK(plain.n[a][b] == shared.n[a][b]);
    }
    FUZZ_CHECK(plain.n[0][0] + plain.n[0][1] + plain.n[1][0] + plain.n[1][1] == n);
    const double score = tav::contingencyScore(plain);
    FUZZ_CHECK(std::isfinite(score));
  }
  return 0;
}
