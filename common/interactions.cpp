#include "interactions.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "capacities.h"
#include "console.h"
#include "cpu_features.h"
#include "line_reader.h"
#include "random.h"

namespace tav {

namespace {

// Name -> index of its first occurrence among the first n records, so that a
// lookup answers exactly like the linear scan of findGene.
template <typename Record>
std::unordered_map<std::string_view, int> firstIndexByName(const std::vector<Record>& table,
                                                           int n) {
  std::unordered_map<std::string_view, int> index;
  index.reserve(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) index.emplace(table[static_cast<size_t>(i)].name, i);
  return index;
}

uint64_t edgeKey(int a, int b) {
  if (a > b) std::swap(a, b);
  return (static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32) | static_cast<uint32_t>(b);
}

}  // namespace

template <typename Record>
int findGene(std::string_view name, const std::vector<Record>& table, int n) {
  const int limit = std::min(n, static_cast<int>(table.size()));
  for (int i = 0; i < limit; ++i) {
    if (table[static_cast<size_t>(i)].name == name) return i;
  }
  return -1;
}

int findElement(std::string_view name, const std::vector<std::string>& seTable, int count) {
  const int limit = std::min(count, static_cast<int>(seTable.size()));
  for (int i = 0; i < limit; ++i) {
    if (seTable[static_cast<size_t>(i)] == name) return i;
  }
  return count;
}

template <typename Record>
int readInteractions(std::istream& in, std::vector<Record>& table, int n, std::string_view listWord,
                     std::ostream& out) {
  n = std::min(n, static_cast<int>(table.size()));
  for (int i = 0; i < n; ++i) table[static_cast<size_t>(i)].neighbors.clear();
  const auto byName = firstIndexByName(table, n);
  auto lookUp = [&byName](const std::string& word) {
    // readWord keeps one character beyond the limit: such a word names no record.
    if (word.size() > static_cast<size_t>(kMaxWord)) return -1;
    auto it = byName.find(word);
    return it == byName.end() ? -1 : it->second;
  };

  // Rows are filled unsorted and sorted once at the end; the set answers
  // "already connected" meanwhile, so a hub costs no repeated insertions.
  std::unordered_set<uint64_t> edges;
  int accepted = 0;
  int ignored = 0;
  std::string first;
  std::string second;
  while (readWord(in, first, kMaxWord) && readWord(in, second, kMaxWord)) {
    const int a = lookUp(first);
    const int b = lookUp(second);
    if (a < 0 || b < 0 || a == b || !edges.insert(edgeKey(a, b)).second) {
      ++ignored;
      continue;
    }
    Record& ra = table[static_cast<size_t>(a)];
    Record& rb = table[static_cast<size_t>(b)];
    ra.neighbors.push_back(b);
    rb.neighbors.push_back(a);
    ++ra.interactionCount;
    ++rb.interactionCount;
    ++accepted;
  }
  for (int i = 0; i < n; ++i) {
    auto& row = table[static_cast<size_t>(i)].neighbors;
    std::sort(row.begin(), row.end());
  }
  line(out, "WARNING: ", ignored, " interactions were ignored because at least one of their",
       " nodes were not found in the ", listWord,
       " list or the interactions were duplicate or self-interaction. ");
  return accepted;
}

template <typename Record>
int removeLoners(std::vector<Record>& table, int n) {
  n = std::min(n, static_cast<int>(table.size()));
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    if (table[static_cast<size_t>(i)].interactionCount == 0) continue;
    if (kept != i) table[static_cast<size_t>(kept)] = std::move(table[static_cast<size_t>(i)]);
    ++kept;
  }
  table.erase(table.begin() + kept, table.begin() + n);
  return kept;
}

template <typename Record>
int buildTrainingSet(const std::vector<Record>& table, int n, std::vector<InteractionPair>& list,
                     std::ostream& out) {
  n = std::min(n, static_cast<int>(table.size()));
  list.clear();
  for (int j = 0; j < n; ++j) {
    const Record& rj = table[static_cast<size_t>(j)];
    if (rj.excluded) continue;
    auto from = std::lower_bound(rj.neighbors.begin(), rj.neighbors.end(), j);
    for (auto it = from; it != rj.neighbors.end() && *it < n; ++it) {
      if (table[static_cast<size_t>(*it)].excluded) continue;
      if (static_cast<int>(list.size()) == kMaxTrainingPairs) {
        line(out, "More than ", kMaxTrainingPairs,
             " interactions were found. The rest will be ignored.");
        return static_cast<int>(list.size());
      }
      list.push_back(InteractionPair{j, *it});
    }
  }
  return static_cast<int>(list.size());
}

void shuffleInteractions(std::vector<InteractionPair>& list, int n) {
  n = std::min(n, static_cast<int>(list.size()));
  if (n <= 0) return;
  for (int j = 0; j < n - 1; ++j) {
    const int r = drawRandom() % (n - j);
    std::swap(list[static_cast<size_t>(j)], list[static_cast<size_t>(j + r)]);
  }
  const int32_t firstSecond = list[0].second;
  for (int i = 0; i < n - 1; ++i) {
    list[static_cast<size_t>(i)].second = list[static_cast<size_t>(i + 1)].second;
  }
  list[static_cast<size_t>(n - 1)].second = firstSecond;
}

ShuffleModuli shuffleModuli(int n) {
  ShuffleModuli moduli;
  moduli.n = std::max(n, 0);
  for (int j = 0; j < n - 1; ++j) {
    const auto d = static_cast<uint32_t>(n - j);
    moduli.divisor.push_back(d);
    if (static_cast<uint32_t>(n) <= kSmallModuloLimit) {
      moduli.magic.push_back(smallModuloMagic(d));
    } else {
      moduli.divideBy.emplace_back(d);
    }
  }
  return moduli;
}

namespace {

// values[j] %= divisor[j] over the whole vector (draws are below 2^15).
[[gnu::always_inline]] inline void reduceSmall(uint32_t* values, const uint32_t* magic,
                                               const uint32_t* divisor, size_t count) {
  for (size_t j = 0; j < count; ++j) values[j] = smallModulo(values[j], magic[j], divisor[j]);
}

__attribute__((target("avx2"))) void reduceSmallAvx2(uint32_t* values, const uint32_t* magic,
                                                     const uint32_t* divisor, size_t count) {
  reduceSmall(values, magic, divisor, count);
}

void reduceSmallBase(uint32_t* values, const uint32_t* magic, const uint32_t* divisor,
                     size_t count) {
  reduceSmall(values, magic, divisor, count);
}

}  // namespace

void drawShuffleOffsets(RandomStream& stream, const ShuffleModuli& moduli,
                        std::vector<uint32_t>& offsets) {
  const size_t draws = moduli.divisor.size();
  offsets.resize(draws);
  stream.drawMany(offsets.data(), draws);
  if (moduli.magic.size() == draws) {
    if (cpuHasAvx2()) {
      reduceSmallAvx2(offsets.data(), moduli.magic.data(), moduli.divisor.data(), draws);
    } else {
      reduceSmallBase(offsets.data(), moduli.magic.data(), moduli.divisor.data(), draws);
    }
  } else {
    for (size_t j = 0; j < draws; ++j) offsets[j] = moduli.divideBy[j](offsets[j]);
  }
}

void shuffleWithOffsets(std::vector<InteractionPair>& list, int n,
                        const std::vector<uint32_t>& offsets) {
  shuffleWithOffsets(list, n, offsets, [](const InteractionPair&) {});
}

void drawShuffleOrder(RandomStream& stream, const ShuffleModuli& moduli, int n,
                      std::vector<int32_t>& order) {
  n = std::min(n, moduli.n);
  order.resize(static_cast<size_t>(std::max(n, 0)));
  for (int j = 0; j < n; ++j) order[static_cast<size_t>(j)] = j;
  std::vector<uint32_t> offsets;
  drawShuffleOffsets(stream, moduli, offsets);
  for (int j = 0; j < n - 1; ++j) {
    std::swap(order[static_cast<size_t>(j)],
              order[static_cast<size_t>(j) + offsets[static_cast<size_t>(j)]]);
  }
}

void applyShuffleOrder(const std::vector<int32_t>& order, std::vector<InteractionPair>& list, int n,
                       std::vector<InteractionPair>& scratch) {
  n = std::min({n, static_cast<int>(list.size()), static_cast<int>(order.size())});
  if (n <= 0) return;
  scratch.resize(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j)
    scratch[static_cast<size_t>(j)] = list[static_cast<size_t>(order[static_cast<size_t>(j)])];
  for (int j = 0; j < n - 1; ++j) {
    list[static_cast<size_t>(j)].first = scratch[static_cast<size_t>(j)].first;
    list[static_cast<size_t>(j)].second = scratch[static_cast<size_t>(j + 1)].second;
  }
  list[static_cast<size_t>(n - 1)].first = scratch[static_cast<size_t>(n - 1)].first;
  list[static_cast<size_t>(n - 1)].second = scratch[0].second;
}

void applyShuffleOrderTo(const std::vector<int32_t>& order, const std::vector<InteractionPair>& from,
                         std::vector<InteractionPair>& to, int n) {
  n = std::max(0, std::min({n, static_cast<int>(from.size()), static_cast<int>(order.size())}));
  // Entries past n stay as they are.
  to.resize(from.size());
  std::copy(from.begin() + n, from.end(), to.begin() + n);
  if (n == 0) return;
  // Place j takes the first node of entry order[j] and the second node of
  // entry order[j + 1] (the last place the second node of entry order[0]).
  const InteractionPair* source = from.data();
  InteractionPair* target = to.data();
  const int32_t* o = order.data();
  for (int j = 0; j < n - 1; ++j) {
    target[j].first = source[o[j]].first;
    target[j].second = source[o[j + 1]].second;
  }
  target[n - 1].first = source[o[n - 1]].first;
  target[n - 1].second = source[o[0]].second;
}

template <typename Record>
void rebuildInteractionRows(std::vector<Record>& table, int n,
                            const std::vector<InteractionPair>& list, int count) {
  n = std::min(n, static_cast<int>(table.size()));
  count = std::min(count, static_cast<int>(list.size()));
  for (int i = 0; i < n; ++i) table[static_cast<size_t>(i)].neighbors.clear();
  for (int p = 0; p < count; ++p) {
    const InteractionPair& pair = list[static_cast<size_t>(p)];
    if (pair.first < 0 || pair.first >= n || pair.second < 0 || pair.second >= n) continue;
    table[static_cast<size_t>(pair.first)].neighbors.push_back(pair.second);
    if (pair.second != pair.first)
      table[static_cast<size_t>(pair.second)].neighbors.push_back(pair.first);
  }
  // Repeated pairs collapse into one edge.
  for (int i = 0; i < n; ++i) {
    auto& row = table[static_cast<size_t>(i)].neighbors;
    std::sort(row.begin(), row.end());
    row.erase(std::unique(row.begin(), row.end()), row.end());
  }
}

void shuffleElementAssociations(std::vector<GeneRecord>& genes, int n) {
  n = std::min(n, static_cast<int>(genes.size()));
  for (int i = 0; i < n - 1; ++i) {
    const int r = drawRandom() % (n - i);
    std::swap(genes[static_cast<size_t>(i)].elements, genes[static_cast<size_t>(i + r)].elements);
  }
}

#define TAV_INSTANTIATE_NETWORK(Record)                                                \
  template int findGene<Record>(std::string_view, const std::vector<Record>&, int);    \
  template int readInteractions<Record>(std::istream&, std::vector<Record>&, int,      \
                                        std::string_view, std::ostream&);              \
  template int removeLoners<Record>(std::vector<Record>&, int);                        \
  template int buildTrainingSet<Record>(const std::vector<Record>&, int,               \
                                        std::vector<InteractionPair>&, std::ostream&); \
  template void rebuildInteractionRows<Record>(std::vector<Record>&, int,              \
                                               const std::vector<InteractionPair>&, int);

TAV_INSTANTIATE_NETWORK(GeneRecord)
TAV_INSTANTIATE_NETWORK(SequenceRecord)

#undef TAV_INSTANTIATE_NETWORK

}  // namespace tav
