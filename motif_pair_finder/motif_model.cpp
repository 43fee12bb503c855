#include "motif_model.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace tav {

std::string motifText(const MaskMotif& motif) {
  static constexpr char kLetters[4] = {'T', 'C', 'G', 'A'};
  std::string text;
  for (LetterCode set : motif.sets) {
    const int bits = std::popcount(set & 15u);
    if (bits == 1) {
      for (int b = 0; b < 4; ++b) {
        if (set & (1u << b)) text += kLetters[b];
      }
      continue;
    }
    text += '[';
    for (int b = 0; b < 4; ++b) {
      if (set & (1u << b)) text += kLetters[b];
    }
    text += ']';
  }
  return text;
}

double mutualInformation(const PresenceCounts& counts) {
  const int64_t total = counts.bothPresent + counts.firstOnly + counts.secondOnly + counts.neither;
  if (total <= 0) return 0.0;
  const double n = static_cast<double>(total);
  // Index 0 stands for present, 1 for absent.
  const double cell[2][2] = {
      {static_cast<double>(counts.bothPresent) / n, static_cast<double>(counts.firstOnly) / n},
      {static_cast<double>(counts.secondOnly) / n, static_cast<double>(counts.neither) / n}};
  const double row[2] = {static_cast<double>(counts.bothPresent + counts.firstOnly) / n,
                         static_cast<double>(counts.secondOnly + counts.neither) / n};
  const double column[2] = {static_cast<double>(counts.bothPresent + counts.secondOnly) / n,
                            static_cast<double>(counts.firstOnly + counts.neither) / n};
  if (cell[0][0] < row[0] * column[0]) return 0.0;
  double sum = 0.0;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      if (cell[i][j] > 0.0) sum += cell[i][j] * std::log10(cell[i][j] / (row[i] * column[j]));
    }
  }
  return sum;
}

PresenceCounts countsFromMargins(int64_t total, int64_t nFirst, int64_t nSecond, int64_t nBoth) {
  PresenceCounts counts;
  counts.bothPresent = nBoth;
  counts.firstOnly = nFirst - nBoth;
  counts.secondOnly = nSecond - nBoth;
  counts.neither = total - nFirst - nSecond + nBoth;
  return counts;
}

int32_t scannedLength(const SequenceRecord& record) {
  int64_t n = std::min<int64_t>(record.length, static_cast<int64_t>(record.codes.size()));
  if (record.hasReverse) n = std::min<int64_t>(n, static_cast<int64_t>(record.reverseCodes.size()));
  return static_cast<int32_t>(std::max<int64_t>(n, 0));
}

void markPresence(const MaskMotif& motif, std::vector<SequenceRecord>& records, PresenceSlot slot,
                  OccurrenceTest occurs) {
  for (SequenceRecord& record : records) {
    const int present = occurs(motif.sets.data(), motif.length(), record);
    if (slot == PresenceSlot::A) {
      record.presenceA = present;
    } else {
      record.presenceB = present;
    }
  }
}

double pairMutualInformation(const std::vector<SequenceRecord>& records,
                             const std::vector<InteractionPair>& list, int count) {
  count = std::min(count, static_cast<int>(list.size()));
  const auto n = static_cast<int32_t>(records.size());
  int64_t cells[2][2] = {{0, 0}, {0, 0}};
  for (int e = 0; e < count; ++e) {
    const InteractionPair& pair = list[static_cast<size_t>(e)];
    if (pair.first < 0 || pair.first >= n || pair.second < 0 || pair.second >= n) continue;
    const SequenceRecord& u = records[static_cast<size_t>(pair.first)];
    const SequenceRecord& w = records[static_cast<size_t>(pair.second)];
    ++cells[u.presenceA != 0 ? 0 : 1][w.presenceB != 0 ? 0 : 1];
    ++cells[w.presenceA != 0 ? 0 : 1][u.presenceB != 0 ? 0 : 1];
  }
  PresenceCounts counts;
  counts.bothPresent = cells[0][0];
  counts.firstOnly = cells[0][1];
  counts.secondOnly = cells[1][0];
  counts.neither = cells[1][1];
  return mutualInformation(counts);
}

void buildObservations(int32_t records, const std::vector<InteractionPair>& list, int count,
                       Observations& observations) {
  count = std::min(count, static_cast<int>(list.size()));
  const auto n = static_cast<size_t>(std::max(records, 0));
  observations.offsets.assign(n + 1, 0);
  for (int e = 0; e < count; ++e) {
    const InteractionPair& pair = list[static_cast<size_t>(e)];
    if (pair.first < 0 || pair.second < 0 || static_cast<size_t>(pair.first) >= n ||
        static_cast<size_t>(pair.second) >= n) {
      continue;
    }
    ++observations.offsets[static_cast<size_t>(pair.first) + 1];
    ++observations.offsets[static_cast<size_t>(pair.second) + 1];
  }
  for (size_t v = 0; v < n; ++v) observations.offsets[v + 1] += observations.offsets[v];
  observations.partners.assign(observations.offsets[n], 0);
  refillObservations(list, count, observations);
}

void refillObservations(const std::vector<InteractionPair>& list, int count,
                        Observations& observations) {
  count = std::min(count, static_cast<int>(list.size()));
  if (observations.offsets.empty()) return;
  const size_t n = observations.offsets.size() - 1;
  observations.cursor.assign(observations.offsets.begin(), observations.offsets.end() - 1);
  for (int e = 0; e < count; ++e) {
    const InteractionPair& pair = list[static_cast<size_t>(e)];
    if (pair.first < 0 || pair.second < 0 || static_cast<size_t>(pair.first) >= n ||
        static_cast<size_t>(pair.second) >= n) {
      continue;
    }
    observations.partners[observations.cursor[static_cast<size_t>(pair.first)]++] = pair.second;
    observations.partners[observations.cursor[static_cast<size_t>(pair.second)]++] = pair.first;
  }
}

bool queueAccepts(const std::vector<MotifPair>& queue, int capacity, double x) {
  if (static_cast<int>(queue.size()) < capacity) return true;
  return !queue.empty() && x > queue.back().mutualInformation;
}

void insertMotifPair(std::vector<MotifPair>& queue, std::vector<MaskMotif>& store, int capacity,
                     const MaskMotif& a, const MaskMotif& b, double x) {
  store.push_back(a);
  store.push_back(b);
  auto firstSlot = static_cast<int32_t>(store.size() - 2);
  auto secondSlot = static_cast<int32_t>(store.size() - 1);
  // The queue is sorted by decreasing score: the new pair goes before the
  // first pair that scores strictly less.
  auto position = std::partition_point(queue.begin(), queue.end(),
                                       [x](const MotifPair& p) { return !(p.mutualInformation < x); });
  auto index = position - queue.begin();
  if (static_cast<int>(queue.size()) >= capacity && !queue.empty()) {
    const MotifPair dropped = queue.back();
    store[static_cast<size_t>(dropped.first)] = std::move(store[static_cast<size_t>(firstSlot)]);
    store[static_cast<size_t>(dropped.second)] = std::move(store[static_cast<size_t>(secondSlot)]);
    store.pop_back();
    store.pop_back();
    firstSlot = dropped.first;
    secondSlot = dropped.second;
    queue.pop_back();
    index = std::min<decltype(index)>(index, static_cast<decltype(index)>(queue.size()));
  }
  MotifPair pair;
  pair.first = firstSlot;
  pair.second = secondSlot;
  pair.mutualInformation = x;
  queue.insert(queue.begin() + index, pair);
}

}  // namespace tav
