#include "conservation_score.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "capacities.h"
#include "console.h"
#include "line_reader.h"
#include "motif.h"
#include "noa_reader.h"
#include "random.h"
#include "word_index.h"

namespace tav {

namespace {
// Letters of decoys drawn ahead of their scoring (16 MB of codes).
constexpr int kDecoyBatchLetters = 1 << 22;
// Word indexes kept at once, and the decoys a motif needs for an index to
// pay for its building.
constexpr size_t kWordIndexes = 4;
constexpr int kWordIndexDecoys = 20;
}  // namespace

int readMotifRecords(std::istream& in, std::vector<MotifRecord>& motifs, std::string_view type) {
  motifs.clear();
  std::string text;
  if (!readLinePiece(in, text, kTableLinePiece)) return 0;  // the header
  std::string name;
  std::string value;
  const size_t longest = static_cast<size_t>(kMaxWord);
  while (readLinePiece(in, text, kTableLinePiece)) {
    stripBlanks(text);
    if (!splitName(text, name)) continue;
    const bool hasValue = splitValue(text, value);
    if (name.size() > longest || (hasValue && value.size() > longest)) return kNoaFieldTooLong;
    if (!hasValue || value != type) continue;
    if (static_cast<int>(motifs.size()) == kMaxMotifs) return kTooManyMotifs;
    motifs.push_back(MotifRecord{name, 0.0, 1.0});
  }
  return static_cast<int>(motifs.size());
}

std::string_view motifText(std::string_view name) {
  if (!name.empty() && (name[0] == '@' || name[0] == '%' || name[0] == '~')) {
    return name.substr(1);
  }
  return name;
}

double contingencyScore(const ContingencyTable& table) {
  const int32_t total = table.n[0][0] + table.n[0][1] + table.n[1][0] + table.n[1][1];
  if (total <= 0) return 0.0;
  const double N = total;
  const int32_t r[2] = {table.n[0][0] + table.n[0][1], table.n[1][0] + table.n[1][1]};
  const int32_t c[2] = {table.n[0][0] + table.n[1][0], table.n[0][1] + table.n[1][1]};
  double sum = 0.0;
  for (int a = 0; a < 2; ++a) {
    for (int b = 0; b < 2; ++b) {
      if (table.n[a][b] <= 0) continue;
      sum += (table.n[a][b] / N) * std::log10((table.n[a][b] / N) / ((r[a] / N) * (c[b] / N)));
    }
  }
  if (table.n[1][1] / N < (r[1] / N) * (c[1] / N)) return -sum;
  return sum;
}

ContingencyTable countContingency(const LetterCode* motif, int length,
                                  const std::vector<OrthologPair>& pairs, int count) {
  ContingencyTable table;
  count = std::clamp(count, 0, static_cast<int>(pairs.size()));
  for (int p = 0; p < count; ++p) {
    const OrthologPair& pair = pairs[static_cast<size_t>(p)];
    const int a = motifOccurs(motif, length, *pair.first);
    const int b = motifOccurs(motif, length, *pair.second);
    ++table.n[a][b];
  }
  return table;
}

PairMembers collectMembers(const std::vector<OrthologPair>& pairs, int count) {
  PairMembers members;
  count = std::clamp(count, 0, static_cast<int>(pairs.size()));
  std::unordered_map<const SequenceRecord*, int32_t> slotOf;
  auto slot = [&](const SequenceRecord* record) {
    auto [it, added] = slotOf.emplace(record, static_cast<int32_t>(members.records.size()));
    if (added) members.records.push_back(record);
    return it->second;
  };
  members.firstSlot.reserve(static_cast<size_t>(count));
  members.secondSlot.reserve(static_cast<size_t>(count));
  for (int p = 0; p < count; ++p) {
    members.firstSlot.push_back(slot(pairs[static_cast<size_t>(p)].first));
    members.secondSlot.push_back(slot(pairs[static_cast<size_t>(p)].second));
  }
  members.presence.assign(members.records.size(), 0);
  return members;
}

namespace {

// The table from a filled presence buffer, pairs in order.
ContingencyTable tallyPairs(const PairMembers& members, const std::vector<uint8_t>& presence) {
  ContingencyTable table;
  for (size_t p = 0; p < members.firstSlot.size(); ++p) {
    ++table.n[presence[static_cast<size_t>(members.firstSlot[p])]]
             [presence[static_cast<size_t>(members.secondSlot[p])]];
  }
  return table;
}

// One thread's table: presence goes to the caller's buffer, so several
// motifs can be counted at once over the same members.
ContingencyTable countWithBuffer(const StrandedMotif& motif, const PairMembers& members,
                                 const WordIndex* words, std::vector<uint8_t>& presence) {
  if (words != nullptr && words->fill(motif, presence)) return tallyPairs(members, presence);
  presence.resize(members.records.size());
  for (size_t i = 0; i < members.records.size(); ++i) {
    presence[i] = static_cast<uint8_t>(strandedOccurs(motif, *members.records[i]));
  }
  return tallyPairs(members, presence);
}

// The motif and, when both strands count, its reverse complement in
// `reverse`.
StrandedMotif stranded(const LetterCode* motif, int length, bool bothStrands,
                       std::vector<LetterCode>& reverse) {
  if (!bothStrands) return StrandedMotif{motif, nullptr, length};
  reverseComplementMotif(motif, length, reverse);
  return StrandedMotif{motif, reverse.data(), length};
}

}  // namespace

ContingencyTable countMembers(const StrandedMotif& motif, PairMembers& members) {
  // Records are independent: test them on all threads, each into its own slot.
  const auto records = static_cast<int64_t>(members.records.size());
#pragma omp parallel for schedule(dynamic, 16)
  for (int64_t i = 0; i < records; ++i) {
    members.presence[static_cast<size_t>(i)] =
        static_cast<uint8_t>(strandedOccurs(motif, *members.records[static_cast<size_t>(i)]));
  }
  return tallyPairs(members, members.presence);
}

void makeDecoy(LetterCode* motif, int length, int alphabetSize) {
  for (int i = 0; i < length; ++i) {
    LetterCode code = motif[i];
    for (int j = 0; j < alphabetSize - 1; ++j) {
      const int k = drawRandom() % (alphabetSize - j);
      if (k == 0) continue;
      const LetterCode low = (code >> j) & 1u;
      const LetterCode high = (code >> (j + k)) & 1u;
      if (low != high) code ^= (LetterCode{1} << j) | (LetterCode{1} << (j + k));
    }
    motif[i] = code;
  }
}

int scoreAllMotifs(std::vector<MotifRecord>& motifs, int count,
                   const std::vector<OrthologPair>& pairs, int pairCount,
                   const ScoringParams& params, std::ostream& out) {
  count = std::clamp(count, 0, static_cast<int>(motifs.size()));
  const int ndecoy = params.ndecoy;
  PairMembers members = collectMembers(pairs, pairCount);
  const MaskFunction maskOf = alphabetMask(params.alphabet);
  const int letters = alphabetSize(params.alphabet);
  std::vector<LetterCode> masks;
  std::vector<LetterCode> reverse;
  std::vector<LetterCode> decoy;
  std::vector<LetterCode> decoys;  // a batch of decoys, one after another
  std::vector<uint8_t> atLeast;    // per decoy of the batch: scored >= the real motif
  std::vector<uint8_t> presence;
  // Word indexes of the last few motif lengths (memory stays bounded), and
  // the lengths that cannot be indexed.
  std::vector<WordIndex> indexes;
  std::vector<int> unsuitable;
  auto wordIndexFor = [&](int length) -> const WordIndex* {
    for (size_t i = 0; i < indexes.size(); ++i) {
      if (indexes[i].length() != length) continue;
      // Most recently used last, so the one dropped is the least recently used.
      std::rotate(indexes.begin() + static_cast<std::ptrdiff_t>(i),
                  indexes.begin() + static_cast<std::ptrdiff_t>(i) + 1, indexes.end());
      return &indexes.back();
    }
    if (ndecoy < kWordIndexDecoys ||
        std::find(unsuitable.begin(), unsuitable.end(), length) != unsuitable.end()) {
      return nullptr;
    }
    if (indexes.size() >= kWordIndexes) indexes.erase(indexes.begin());
    WordIndex index;
    if (!index.build(members.records, length, letters)) {
      unsuitable.push_back(length);
      return nullptr;
    }
    indexes.push_back(std::move(index));
    return &indexes.back();
  };
  for (int m = 0; m < count; ++m) {
    MotifRecord& motif = motifs[static_cast<size_t>(m)];
    write(out, ".");
    const MotifStatus status =
        parseMotifMasks(motifText(motif.name), kLongMotifCapacity, maskOf, masks);
    if (status != MotifStatus::Ok) {
      printMotifError(out, status, motifText(motif.name));
      return m;
    }
    const int length = static_cast<int>(masks.size());
    const WordIndex* words = wordIndexFor(length);
    // The real motif and its decoys go through the same steps, so a decoy
    // with the real motif's table scores exactly the same and counts.
    const StrandedMotif real = stranded(masks.data(), length, params.bothStrands, reverse);
    motif.score = contingencyScore(words != nullptr && words->fill(real, presence)
                                       ? tallyPairs(members, presence)
                                       : countMembers(real, members));
    motif.pValue = 0.0;
    // Decoys are drawn in order on this thread, a batch at a time, then
    // scored on all threads; the p-value grows in decoy order afterwards.
    const int batch = std::max(1, std::min(ndecoy, kDecoyBatchLetters / std::max(length, 1)));
    decoy = masks;
    for (int first = 0; first < ndecoy; first += batch) {
      const int size = std::min(batch, ndecoy - first);
      decoys.resize(static_cast<size_t>(size) * static_cast<size_t>(length));
      for (int d = 0; d < size; ++d) {
        makeDecoy(decoy.data(), length, letters);
        std::copy(decoy.begin(), decoy.end(), decoys.begin() + static_cast<ptrdiff_t>(d) * length);
      }
      atLeast.assign(static_cast<size_t>(size), 0);
#pragma omp parallel
      {
        std::vector<uint8_t> presence;
        std::vector<LetterCode> reverse;
#pragma omp for schedule(dynamic, 1)
        for (int d = 0; d < size; ++d) {
          const LetterCode* codes = decoys.data() + static_cast<ptrdiff_t>(d) * length;
          const StrandedMotif searched = stranded(codes, length, params.bothStrands, reverse);
          const double decoyScore =
              contingencyScore(countWithBuffer(searched, members, words, presence));
          atLeast[static_cast<size_t>(d)] = decoyScore >= motif.score ? 1 : 0;
        }
      }
      for (int d = 0; d < size; ++d) {
        if (atLeast[static_cast<size_t>(d)] != 0) motif.pValue += 1.0 / ndecoy;
      }
    }
  }
  line(out);
  line(out);
  return count;
}

}  // namespace tav
