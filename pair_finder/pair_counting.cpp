#include "pair_counting.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "cpu_features.h"

namespace tav {

double mutualInformation(const PairCounts& counts) {
  if (counts.observations <= 0) return 0.0;
  const double n = static_cast<double>(counts.observations);
  const int64_t cell[2][2] = {
      {counts.both, counts.rowPresent - counts.both},
      {counts.columnPresent - counts.both,
       counts.observations - counts.rowPresent - counts.columnPresent + counts.both}};
  const int64_t rows[2] = {counts.rowPresent, counts.observations - counts.rowPresent};
  const int64_t columns[2] = {counts.columnPresent, counts.observations - counts.columnPresent};
  double p[2][2];
  double pRow[2];
  double pColumn[2];
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) p[i][j] = static_cast<double>(cell[i][j]) / n;
    pRow[i] = static_cast<double>(rows[i]) / n;
    pColumn[i] = static_cast<double>(columns[i]) / n;
  }
  // Only a positive association counts.
  if (p[0][0] < pRow[0] * pColumn[0]) return 0.0;
  double sum = 0.0;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      if (p[i][j] > 0) sum += p[i][j] * std::log10(p[i][j] / (pRow[i] * pColumn[j]));
    }
  }
  return sum;
}

SlotStats& PairRecord::slot(int s) {
  if (static_cast<int>(slots.size()) <= s) slots.resize(static_cast<size_t>(s) + 1);
  return slots[static_cast<size_t>(s)];
}

const SlotStats* PairRecord::slotIfAny(int s) const {
  if (s < 0 || s >= static_cast<int>(slots.size())) return nullptr;
  return &slots[static_cast<size_t>(s)];
}

void PairRecord::setSupporting(std::vector<int32_t> positions, int32_t networkLength) {
  supportingCount = static_cast<int32_t>(positions.size());
  restCount = networkLength - supportingCount;
  supportingBits.clear();
  // Positions cost 32 bits each, the bit form one bit per interaction.
  if (static_cast<int64_t>(positions.size()) * 32 > networkLength) {
    supportingBits.assign((static_cast<size_t>(networkLength) + 63) / 64, 0);
    for (int32_t i : positions)
      supportingBits[static_cast<size_t>(i) >> 6] |= uint64_t{1} << (i & 63);
    positions.clear();
  }
  positions.shrink_to_fit();
  supportingPositions = std::move(positions);
}

bool PairRecord::supports(size_t position) const {
  if (!supportingBits.empty()) return (supportingBits[position >> 6] >> (position & 63)) & 1u;
  return std::binary_search(supportingPositions.begin(), supportingPositions.end(),
                            static_cast<int32_t>(position));
}

void EdgeIndex::build(const std::vector<GeneRecord>& genes, int n,
                      const std::vector<InteractionPair>& list, int count) {
  auto usable = [&](const InteractionPair& p) {
    return p.first >= 0 && p.first < n && p.second >= 0 && p.second < n &&
           !genes[static_cast<size_t>(p.first)].excluded &&
           !genes[static_cast<size_t>(p.second)].excluded;
  };
  offsets_.assign(static_cast<size_t>(n) + 1, 0);
  allUsable_ = true;
  for (int i = 0; i < count; ++i) {
    const InteractionPair& p = list[static_cast<size_t>(i)];
    if (!usable(p)) {
      allUsable_ = false;
      continue;
    }
    ++offsets_[static_cast<size_t>(p.first) + 1];
    ++offsets_[static_cast<size_t>(p.second) + 1];
  }
  for (int g = 0; g < n; ++g)
    offsets_[static_cast<size_t>(g) + 1] += offsets_[static_cast<size_t>(g)];
  partners_.assign(static_cast<size_t>(offsets_[static_cast<size_t>(n)]), 0);
  cursor_.assign(offsets_.begin(), offsets_.end() - 1);
  for (int i = 0; i < count; ++i) {
    const InteractionPair& p = list[static_cast<size_t>(i)];
    if (!usable(p)) continue;
    partners_[static_cast<size_t>(cursor_[static_cast<size_t>(p.first)]++)] = p.second;
    partners_[static_cast<size_t>(cursor_[static_cast<size_t>(p.second)]++)] = p.first;
  }
}

void EdgeIndex::refill(const std::vector<InteractionPair>& list, int count) {
  beginRefill();
  for (int i = 0; i < count; ++i) refillEntry(list[static_cast<size_t>(i)]);
}

std::vector<std::vector<int32_t>> elementCarriers(const std::vector<GeneRecord>& genes, int n,
                                                  int elementCount) {
  std::vector<std::vector<int32_t>> carriers(static_cast<size_t>(std::max(elementCount, 0)));
  for (int g = 0; g < n; ++g) {
    for (int32_t e : genes[static_cast<size_t>(g)].elements) {
      if (e >= 0 && e < elementCount) carriers[static_cast<size_t>(e)].push_back(g);
    }
  }
  return carriers;
}

int64_t elementDegree(const EdgeIndex& index, const std::vector<int32_t>& carriers) {
  int64_t degree = 0;
  for (int32_t g : carriers) {
    if (g < index.genes()) degree += index.degree(g);
  }
  return degree;
}

int64_t crossCount(const EdgeIndex& index, const std::vector<int32_t>& carriersA, int64_t degreeA,
                   const std::vector<int32_t>& carriersB, int64_t degreeB,
                   std::vector<uint8_t>& mark) {
  // Mark the carriers of one element and walk the partners of the other's
  // carriers; the count is the same either way round.
  const bool walkA = degreeA + static_cast<int64_t>(carriersB.size()) <=
                     degreeB + static_cast<int64_t>(carriersA.size());
  const std::vector<int32_t>& walked = walkA ? carriersA : carriersB;
  const std::vector<int32_t>& marked = walkA ? carriersB : carriersA;
  const int limit = index.genes();
  for (int32_t g : marked) {
    if (g < limit) mark[static_cast<size_t>(g)] = 1;
  }
  int64_t both = 0;
  for (int32_t g : walked) {
    if (g >= limit) continue;
    for (const int32_t* h = index.partnersBegin(g); h != index.partnersEnd(g); ++h) {
      both += mark[static_cast<size_t>(*h)];
    }
  }
  for (int32_t g : marked) {
    if (g < limit) mark[static_cast<size_t>(g)] = 0;
  }
  return both;
}

PairMasks pairMasks(const std::vector<GeneRecord>& genes, int n,
                    const std::vector<std::pair<int32_t, int32_t>>& pairs) {
  PairMasks masks;
  n = std::max(n, 0);
  const size_t used = std::min(pairs.size(), static_cast<size_t>(kMaskedPairs));
  const int words = std::max(1, static_cast<int>((used + 63) / 64));
  masks.words = words;
  masks.bits.assign(2 * static_cast<size_t>(words) * static_cast<size_t>(n), 0);
  masks.anyPair.assign(static_cast<size_t>(n), 0);
  // The pairs each element starts and ends, so that every gene is visited
  // once per element it carries rather than once per pair (the masks are
  // made again whenever the pairs in the running change).
  int32_t limit = 0;
  for (size_t i = 0; i < used; ++i)
    limit = std::max({limit, pairs[i].first + 1, pairs[i].second + 1});
  const size_t stride = 2 * static_cast<size_t>(words);
  std::vector<uint64_t> ends(static_cast<size_t>(limit) * stride, 0);
  for (size_t i = 0; i < used; ++i) {
    const uint64_t bit = uint64_t{1} << (i & 63);
    if (pairs[i].first >= 0) ends[static_cast<size_t>(pairs[i].first) * stride + i / 64] |= bit;
    if (pairs[i].second >= 0)
      ends[static_cast<size_t>(pairs[i].second) * stride + words + i / 64] |= bit;
  }
  for (int g = 0; g < n; ++g) {
    const GeneRecord& gene = genes[static_cast<size_t>(g)];
    if (gene.excluded) continue;
    uint64_t* m = masks.bits.data() + stride * static_cast<size_t>(g);
    uint64_t any = 0;
    for (int32_t e : gene.elements) {
      if (e < 0 || e >= limit) continue;
      const uint64_t* from = ends.data() + static_cast<size_t>(e) * stride;
      for (size_t w = 0; w < stride; ++w) m[w] |= from[w];
    }
    for (size_t w = 0; w < stride; ++w) any |= m[w];
    masks.anyPair[static_cast<size_t>(g)] = any != 0 ? 1 : 0;
  }
  return masks;
}

void maskedCrossCounts(const PairMasks& masks, const std::vector<InteractionPair>& list, int count,
                       int64_t* both) {
  for (int i = 0; i < count; ++i) {
    const InteractionPair& e = list[static_cast<size_t>(i)];
    addMaskedEntry(masks, e.first, e.second, both);
  }
}

void tagCarriers(const PairMasks& masks, std::vector<InteractionPair>& list, int count) {
  auto tag = [&](int32_t node) {
    node = untagged(node);
    return masks.anyPair[static_cast<size_t>(node)] != 0 ? node | kCarrierTag : node;
  };
  for (int i = 0; i < count; ++i) {
    InteractionPair& e = list[static_cast<size_t>(i)];
    e.first = tag(e.first);
    e.second = tag(e.second);
  }
}

void clearTags(std::vector<InteractionPair>& list, int count) {
  for (int i = 0; i < count; ++i) {
    InteractionPair& e = list[static_cast<size_t>(i)];
    e.first = untagged(e.first);
    e.second = untagged(e.second);
  }
}

void taggedCrossCounts(const PairMasks& masks, const std::vector<InteractionPair>& list, int count,
                       int64_t* both) {
  for (int i = 0; i < count; ++i) addTaggedEntry(masks, list[static_cast<size_t>(i)], both);
}

void MaskedCounter::reset(const PairMasks& masks) {
  masks_ = &masks;
  const auto words = static_cast<size_t>(masks.words);
  filled_ = 0;
  pending_.assign(kBatch * words, 0);
  planes_.assign(4 * words, 0);
  sixteens_.assign(static_cast<size_t>(masks.pairs()), 0);
}

static_assert(sizeof(InteractionPair) == 8, "entries are picked as 64-bit lanes");

size_t pickTouchingPlain(const InteractionPair* list, size_t count, InteractionPair* picked) {
  size_t m = 0;
  for (size_t i = 0; i < count; ++i) {
    picked[m] = list[i];
    m += static_cast<uint32_t>(list[i].first & list[i].second & kCarrierTag) / kCarrierTag;
  }
  return m;
}

#if defined(__x86_64__)
namespace {

// The tags of four entries make a 4-bit mask, which selects the shuffle of
// 32-bit lanes that packs the picked entries to the front.
__attribute__((target("avx2"))) size_t pickTouchingAvx2(const InteractionPair* list, size_t count,
                                                        InteractionPair* picked) {
  alignas(32) static const std::array<std::array<int32_t, 8>, 16> packs = [] {
    std::array<std::array<int32_t, 8>, 16> table{};
    for (size_t mask = 0; mask < 16; ++mask) {
      size_t at = 0;
      for (int32_t lane = 0; lane < 4; ++lane) {
        if (((mask >> lane) & 1) == 0) continue;
        table[mask][2 * at] = 2 * lane;
        table[mask][2 * at + 1] = 2 * lane + 1;
        ++at;
      }
    }
    return table;
  }();
  size_t m = 0;
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(list + i));
    // Each lane's low half becomes first & second; its tag bit moves to the sign.
    const __m256i both = _mm256_slli_epi64(_mm256_and_si256(v, _mm256_srli_epi64(v, 32)), 33);
    const auto mask = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(both)));
    const __m256i order = _mm256_load_si256(reinterpret_cast<const __m256i*>(packs[mask].data()));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(picked + m),
                        _mm256_permutevar8x32_epi32(v, order));
    m += static_cast<size_t>(std::popcount(mask));
  }
  return m + pickTouchingPlain(list + i, count - i, picked + m);
}

}  // namespace

size_t pickTouching(const InteractionPair* list, size_t count, InteractionPair* picked) {
  return cpuHasAvx2() ? pickTouchingAvx2(list, count, picked)
                      : pickTouchingPlain(list, count, picked);
}
#else
size_t pickTouching(const InteractionPair* list, size_t count, InteractionPair* picked) {
  return pickTouchingPlain(list, count, picked);
}
#endif

template <int kWords>
void MaskedCounter::addPicked(size_t picked) {
  const InteractionPair* e = touching_.data();
  const int words = kWords > 0 ? kWords : masks_->words;
  for (size_t i = 0; i < picked; ++i) addWords(untagged(e[i].first), untagged(e[i].second), words);
}

void MaskedCounter::addTaggedList(const std::vector<InteractionPair>& list, int count) {
  const auto entries = static_cast<size_t>(std::clamp(count, 0, static_cast<int>(list.size())));
  touching_.resize(entries + 4);
  const size_t picked = pickTouching(list.data(), entries, touching_.data());
  switch (masks_->words) {
    case 1:
      addPicked<1>(picked);
      break;
    case 2:
      addPicked<2>(picked);
      break;
    case 3:
      addPicked<3>(picked);
      break;
    case 4:
      addPicked<4>(picked);
      break;
    default:
      addPicked<0>(picked);
      break;
  }
}

namespace {

// Carry-save adder: a + b + c = 2 * high + low in every bit position.
inline void carrySave(uint64_t& high, uint64_t& low, uint64_t a, uint64_t b, uint64_t c) {
  const uint64_t u = a ^ b;
  high = (a & b) | (u & c);
  low = u ^ c;
}

}  // namespace

void MaskedCounter::addBatch() {
  const int words = masks_->words;
  for (int w = 0; w < words; ++w) {
    const uint64_t* d = pending_.data() + w;
    auto at = [&](int j) { return d[static_cast<size_t>(j) * static_cast<size_t>(words)]; };
    uint64_t* plane = planes_.data() + 4 * static_cast<size_t>(w);
    uint64_t ones = plane[0], twos = plane[1], fours = plane[2], eights = plane[3];
    // Eight masks from `from` on into the planes; returns what carries out
    // of the fours (the eights of these masks).
    auto addEight = [&](int from) {
      uint64_t twosA, twosB, foursA, foursB, carried;
      carrySave(twosA, ones, ones, at(from), at(from + 1));
      carrySave(twosB, ones, ones, at(from + 2), at(from + 3));
      carrySave(foursA, twos, twos, twosA, twosB);
      carrySave(twosA, ones, ones, at(from + 4), at(from + 5));
      carrySave(twosB, ones, ones, at(from + 6), at(from + 7));
      carrySave(foursB, twos, twos, twosA, twosB);
      carrySave(carried, fours, fours, foursA, foursB);
      return carried;
    };
    const uint64_t eightsA = addEight(0);
    const uint64_t eightsB = addEight(8);
    uint64_t sixteens;
    carrySave(sixteens, eights, eights, eightsA, eightsB);
    plane[0] = ones;
    plane[1] = twos;
    plane[2] = fours;
    plane[3] = eights;
    int64_t* carried = sixteens_.data() + 64 * static_cast<size_t>(w);
    for (; sixteens != 0; sixteens &= sixteens - 1) ++carried[std::countr_zero(sixteens)];
  }
  filled_ = 0;
}

const std::vector<int64_t>& MaskedCounter::counts() {
  const auto words = static_cast<size_t>(masks_->words);
  counts_.resize(sixteens_.size());
  for (size_t i = 0; i < counts_.size(); ++i) counts_[i] = 16 * sixteens_[i];
  for (size_t w = 0; w < words; ++w) {
    int64_t* c = counts_.data() + 64 * w;
    for (int level = 0; level < 4; ++level) {
      for (uint64_t bits = planes_[4 * w + static_cast<size_t>(level)]; bits != 0; bits &= bits - 1)
        c[std::countr_zero(bits)] += int64_t{1} << level;
    }
    for (int j = 0; j < filled_; ++j) {
      for (uint64_t bits = pending_[static_cast<size_t>(j) * words + w]; bits != 0;
           bits &= bits - 1)
        ++c[std::countr_zero(bits)];
    }
  }
  return counts_;
}

PairCounts indexCounts(const EdgeIndex& index, const std::vector<int32_t>& carriersA,
                       int64_t degreeA, const std::vector<int32_t>& carriersB, int64_t degreeB,
                       std::vector<uint8_t>& mark) {
  PairCounts counts;
  counts.both = crossCount(index, carriersA, degreeA, carriersB, degreeB, mark);
  counts.rowPresent = degreeA;
  counts.columnPresent = degreeB;
  counts.observations = index.observations();
  return counts;
}

PairCounts countPair(const std::vector<GeneRecord>& genes, const std::vector<InteractionPair>& list,
                     int count, int32_t a, int32_t b) {
  PairCounts counts;
  for (int i = 0; i < count; ++i) {
    const GeneRecord& g = genes[static_cast<size_t>(list[static_cast<size_t>(i)].first)];
    const GeneRecord& h = genes[static_cast<size_t>(list[static_cast<size_t>(i)].second)];
    if (g.excluded || h.excluded) continue;
    const int ag = g.hasElement(a) ? 1 : 0;
    const int ah = h.hasElement(a) ? 1 : 0;
    const int bg = g.hasElement(b) ? 1 : 0;
    const int bh = h.hasElement(b) ? 1 : 0;
    counts.both += ag * bh + ah * bg;
    counts.rowPresent += ag + ah;
    counts.columnPresent += bh + bg;
    counts.observations += 2;
  }
  return counts;
}

}  // namespace tav
