#include "similarity.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "cpu_features.h"

namespace tav {

namespace {

bool scorable(int columns) { return columns >= kInformativeColumns && columns <= kMatrixColumns; }

// The Pearson correlation of the 4d value pairs summed so far, or NaN when one
// side is constant (0/0), which no comparison lets through. The quotient is
// kept exactly as computed: two column sets that are exact linear images of
// each other may round an ulp above 1, and scores must repeat bit for bit
// across implementations of the same formula. A side that is constant but for
// rounding (columns of huge, nearly equal counts) can leave a variance of 0
// under a non-zero numerator: that infinity is as undefined as 0/0.
double correlation(double sx, double sy, double sxy, double sxx, double syy, int d) {
  const double n = 4.0 * d;
  const double mx = sx / n;
  const double my = sy / n;
  const double r = (sxy / n - mx * my) / std::sqrt((sxx / n - mx * mx) * (syy / n - my * my));
  return std::isfinite(r) ? r : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

void computeColumnInfo(const FrequencyMatrix& matrix, int columns, ColumnInfo* info) {
  columns = std::clamp(columns, 0, kMatrixColumns);
  double values[kMatrixColumns];
  for (int i = 0; i < columns; ++i) {
    double value = 0.0;
    for (int b = 0; b < 4; ++b) {
      const double f = matrix.f[b][i];
      if (f > 0) value += f * std::log10(f);
    }
    info[i].index = i;
    info[i].info = value;
    info[i].flag = 0;
    values[i] = value;
  }
  if (columns <= kInformativeColumns) {
    for (int i = 0; i < columns; ++i) info[i].flag = 1;
    return;
  }
  // The six highest values are flagged and so is every value tied with the
  // sixth: exactly the columns whose value reaches the sixth highest.
  std::nth_element(values, values + (kInformativeColumns - 1), values + columns,
                   [](double a, double b) { return a > b; });
  const double sixth = values[kInformativeColumns - 1];
  for (int i = 0; i < columns; ++i) info[i].flag = info[i].info >= sixth ? 1 : 0;
}

namespace {

// The best correlation and the first offset that reaches it (-1 - l1 when no
// offset is admissible).
Alignment bestAlignment(const FrequencyMatrix& first, const ColumnInfo* firstInfo, int firstColumns,
                        const FrequencyMatrix& second, const ColumnInfo* secondInfo,
                        int secondColumns) {
  const int l1 = std::clamp(firstColumns, 0, kMatrixColumns);
  const int l2 = std::clamp(secondColumns, 0, kMatrixColumns);
  Alignment best{-10.0, -1 - l1, false};
  for (int a = 1 - l1; a <= l2 - 1; ++a) {
    int d = 0;
    int u = 0;
    int v = 0;
    double sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
    for (int k = 0; k < l1; ++k) {
      const int j = a + k;
      if (j < 0 || j >= l2) continue;
      ++d;
      u += firstInfo[k].flag ? 1 : 0;
      v += secondInfo[j].flag ? 1 : 0;
      for (int b = 0; b < 4; ++b) {
        const double x = first.f[b][k];
        const double y = second.f[b][j];
        sx += x;
        sy += y;
        sxy += x * y;
        sxx += x * x;
        syy += y * y;
      }
    }
    const double value = (u < kInformativeColumns || v < kInformativeColumns)
                             ? 0.0
                             : correlation(sx, sy, sxy, sxx, syy, d);
    if (value > best.score) {
      best.score = value;
      best.offset = a;
    }
  }
  return best;
}

}  // namespace

double bestAlignmentCorrelation(const FrequencyMatrix& first, const ColumnInfo* firstInfo,
                                int firstColumns, const FrequencyMatrix& second,
                                const ColumnInfo* secondInfo, int secondColumns) {
  return bestAlignment(first, firstInfo, firstColumns, second, secondInfo, secondColumns).score;
}

Alignment simvaleAlignment(const MotifMatrix& query, const MotifMatrix& reference,
                           bool bothStrands) {
  const int l1 = query.columns;
  const int l2 = reference.columns;
  if (!scorable(l1) || !scorable(l2)) return Alignment{0.0, 0, false};
  FrequencyMatrix first;
  FrequencyMatrix second;
  countsToFrequencies(query, first);
  countsToFrequencies(reference, second);
  ColumnInfo firstInfo[kMatrixColumns];
  ColumnInfo secondInfo[kMatrixColumns];
  computeColumnInfo(first, l1, firstInfo);
  computeColumnInfo(second, l2, secondInfo);
  const Alignment forward = bestAlignment(first, firstInfo, l1, second, secondInfo, l2);
  if (!bothStrands) return forward;
  reverseComplement(first, l1, firstInfo);
  Alignment reverse = bestAlignment(first, firstInfo, l1, second, secondInfo, l2);
  reverse.reverse = true;
  return reverse.score > forward.score ? reverse : forward;
}

double simvaleScore(const MotifMatrix& query, const MotifMatrix& reference, bool bothStrands) {
  return simvaleAlignment(query, reference, bothStrands).score;
}

double simvaleScore(const FrequencyMatrix& first, int firstColumns, const FrequencyMatrix& second,
                    int secondColumns, bool bothStrands) {
  if (!scorable(firstColumns) || !scorable(secondColumns)) return 0.0;
  FrequencyMatrix turned = first;
  ColumnInfo firstInfo[kMatrixColumns];
  ColumnInfo secondInfo[kMatrixColumns];
  computeColumnInfo(turned, firstColumns, firstInfo);
  computeColumnInfo(second, secondColumns, secondInfo);
  const double forward =
      bestAlignmentCorrelation(turned, firstInfo, firstColumns, second, secondInfo, secondColumns);
  if (!bothStrands) return forward;
  reverseComplement(turned, firstColumns, firstInfo);
  const double reverse =
      bestAlignmentCorrelation(turned, firstInfo, firstColumns, second, secondInfo, secondColumns);
  return reverse > forward ? reverse : forward;
}

void prepareMotif(const FrequencyMatrix& matrix, const ColumnInfo* info, int columns,
                  PreparedMotif& out) {
  columns = std::clamp(columns, 0, kMatrixColumns);
  out.columns = columns;
  out.values.resize(4 * static_cast<size_t>(columns));
  out.flaggedBefore.resize(columns + 1);
  out.flaggedBefore[0] = 0;
  for (int k = 0; k < columns; ++k) {
    for (int b = 0; b < 4; ++b) out.values[4 * k + b] = matrix.f[b][k];
    out.flaggedBefore[k + 1] = out.flaggedBefore[k] + (info[k].flag ? 1 : 0);
  }
}

void prepareMotif(const MotifMatrix& matrix, PreparedMotif& forward, PreparedMotif* reverse) {
  const int columns = matrix.columns;
  if (!scorable(columns)) {
    forward = PreparedMotif{};
    forward.columns = columns;
    if (reverse != nullptr) *reverse = forward;
    return;
  }
  FrequencyMatrix frequencies;
  countsToFrequencies(matrix, frequencies);
  ColumnInfo info[kMatrixColumns];
  computeColumnInfo(frequencies, columns, info);
  prepareMotif(frequencies, info, columns, forward);
  if (reverse != nullptr) {
    reverseComplement(frequencies, columns, info);
    prepareMotif(frequencies, info, columns, *reverse);
  }
}

double preparedCorrelation(const PreparedMotif& first, const PreparedMotif& second) {
  const int l1 = first.columns;
  const int l2 = second.columns;
  // Only motifs prepared with their frequencies can be compared.
  if (first.values.size() != 4 * static_cast<size_t>(std::max(l1, 0)) ||
      second.values.size() != 4 * static_cast<size_t>(std::max(l2, 0)) || l1 <= 0 || l2 <= 0) {
    return 0.0;
  }
  const double* xs = first.values.data();
  const double* ys = second.values.data();
  const int32_t* flags1 = first.flaggedBefore.data();
  const int32_t* flags2 = second.flaggedBefore.data();
  double best = -10.0;
  for (int a = 1 - l1; a <= l2 - 1; ++a) {
    const int k0 = std::max(0, -a);
    const int k1 = std::min(l1, l2 - a);
    const int u = flags1[k1] - flags1[k0];
    const int v = flags2[a + k1] - flags2[a + k0];
    double value = 0.0;
    if (u >= kInformativeColumns && v >= kInformativeColumns) {
      double sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
      for (int k = k0; k < k1; ++k) {
        const double* x = xs + 4 * k;
        const double* y = ys + 4 * (a + k);
        for (int b = 0; b < 4; ++b) {
          sx += x[b];
          sy += y[b];
          sxy += x[b] * y[b];
          sxx += x[b] * x[b];
          syy += y[b] * y[b];
        }
      }
      value = correlation(sx, sy, sxy, sxx, syy, k1 - k0);
    }
    if (value > best) best = value;
  }
  return best;
}

namespace {

constexpr int kLanes = 8;  // alignments summed side by side

// Four (AVX2) or two (SSE2) alignments, one per lane: GCC and clang vector
// extensions, each lane operation the IEEE operation of the scalar code.
using Lanes4 = double __attribute__((vector_size(4 * sizeof(double))));
using Lanes2 = double __attribute__((vector_size(2 * sizeof(double))));
// Lanes4 read from any address of a double.
using Lanes4At =
    double __attribute__((vector_size(4 * sizeof(double)), aligned(alignof(double)), may_alias));

// Every lane of `lanes` set to `value` (through a reference: a vector of
// four doubles returned by value would need AVX in every caller).
template <typename V>
[[gnu::always_inline]] inline void broadcast(V& lanes, double value) {
  if constexpr (sizeof(V) == 4 * sizeof(double)) {
    lanes = V{value, value, value, value};
  } else {
    lanes = V{value, value};
  }
}

// Correlations of eight alignments that share the first motif's window `x`
// (d columns; its mean and variance term computed once), lane l facing the
// window ys[l] of a second motif. Every lane adds its terms in the plain
// order (column by column, T C G A) and forms the quotient as correlation()
// does, so its value has the plain bits. Each product is its own statement so
// that nothing can be fused into a multiply-add.
template <typename V>
[[gnu::always_inline]] inline void laneCorrelationsIn(const double* x, const double* const* ys,
                                                      int d, double mx, double xVariance,
                                                      double* out) {
  constexpr int kWidth = sizeof(V) / sizeof(double);
  constexpr int kVectors = kLanes / kWidth;
  V sy[kVectors] = {};
  V syy[kVectors] = {};
  V sxy[kVectors] = {};
  const auto add = [&](int v, const V& y, double xValue) {
    V xi;
    broadcast(xi, xValue);
    sy[v] += y;
    const V square = y * y;
    syy[v] += square;
    const V product = xi * y;
    sxy[v] += product;
  };
  for (int c = 0; c < 4 * d; c += 4) {
    for (int v = 0; v < kVectors; ++v) {
      const double* const* lane = ys + v * kWidth;
      if constexpr (kWidth == 4) {
        // One column of four windows, turned so that a vector holds one base.
        const V r0 = *reinterpret_cast<const Lanes4At*>(lane[0] + c);
        const V r1 = *reinterpret_cast<const Lanes4At*>(lane[1] + c);
        const V r2 = *reinterpret_cast<const Lanes4At*>(lane[2] + c);
        const V r3 = *reinterpret_cast<const Lanes4At*>(lane[3] + c);
        const V even01 = __builtin_shufflevector(r0, r1, 0, 4, 2, 6);
        const V odd01 = __builtin_shufflevector(r0, r1, 1, 5, 3, 7);
        const V even23 = __builtin_shufflevector(r2, r3, 0, 4, 2, 6);
        const V odd23 = __builtin_shufflevector(r2, r3, 1, 5, 3, 7);
        add(v, __builtin_shufflevector(even01, even23, 0, 1, 4, 5), x[c]);
        add(v, __builtin_shufflevector(odd01, odd23, 0, 1, 4, 5), x[c + 1]);
        add(v, __builtin_shufflevector(even01, even23, 2, 3, 6, 7), x[c + 2]);
        add(v, __builtin_shufflevector(odd01, odd23, 2, 3, 6, 7), x[c + 3]);
      } else {
        for (int b = 0; b < 4; ++b) add(v, V{lane[0][c + b], lane[1][c + b]}, x[c + b]);
      }
    }
  }
  V n, xMean, xTerm;
  broadcast(n, 4.0 * d);
  broadcast(xMean, mx);
  broadcast(xTerm, xVariance);
  for (int v = 0; v < kVectors; ++v) {
    const V my = sy[v] / n;
    const V meanProduct = xMean * my;
    const V numerator = sxy[v] / n - meanProduct;
    const V meanSquare = my * my;
    const V yVariance = syy[v] / n - meanSquare;
    const V product = xTerm * yVariance;
    // Correctly rounded roots, as std::sqrt's (SSE2 is in every x86-64 build).
    V root;
    if constexpr (kWidth == 4) {
      const __m128d low = _mm_sqrt_pd(__builtin_shufflevector(product, product, 0, 1));
      const __m128d high = _mm_sqrt_pd(__builtin_shufflevector(product, product, 2, 3));
      root = __builtin_shufflevector(low, high, 0, 1, 2, 3);
    } else {
      const __m128d both = _mm_sqrt_pd(product);
      root = __builtin_shufflevector(both, both, 0, 1);
    }
    const V r = numerator / root;
    for (int l = 0; l < kWidth; ++l) {
      out[v * kWidth + l] = std::isfinite(r[l]) ? r[l] : std::numeric_limits<double>::quiet_NaN();
    }
  }
}

// Without AVX a vector of four doubles lives in memory: such processors get
// lanes of two.
__attribute__((target("avx2"))) void laneCorrelationsAvx2(const double* x, const double* const* ys,
                                                          int d, double mx, double xVariance,
                                                          double* out) {
  laneCorrelationsIn<Lanes4>(x, ys, d, mx, xVariance, out);
}

void laneCorrelationsSse2(const double* x, const double* const* ys, int d, double mx,
                          double xVariance, double* out) {
  laneCorrelationsIn<Lanes2>(x, ys, d, mx, xVariance, out);
}

void laneCorrelations(const double* x, const double* const* ys, int d, double mx, double xVariance,
                      double* out) {
  if (cpuHasAvx2()) {
    laneCorrelationsAvx2(x, ys, d, mx, xVariance, out);
  } else {
    laneCorrelationsSse2(x, ys, d, mx, xVariance, out);
  }
}

// A window of the first motif (columns k0 .. k0 + columns - 1) with the terms
// of correlation() that depend on it alone, summed as the plain loop sums them.
struct Window {
  int32_t k0;
  int32_t columns;
  double mean;
  double variance;
};

// An offset whose window of the first motif holds enough flagged columns.
struct Candidate {
  int32_t a;
  int32_t k0;
  int32_t k1;
  int32_t window;
};

// The candidates facing a second motif of one width, in offset order.
struct Candidates {
  bool listed = false;
  std::vector<Candidate> list;
};

// What a first motif needs for every second motif: the offsets worth summing
// depend on its flags and the second motif's width only, so they are listed
// once per width, each with its window of the first motif (windows shared
// between widths unless the motif is wider than a matrix can be).
class FirstPlan {
 public:
  FirstPlan(const PreparedMotif& first, int widest)
      : l1_(first.columns),
        usable_(l1_ > 0 && first.values.size() == 4 * static_cast<size_t>(l1_)),
        xs_(first.values.data()),
        flags_(first.flaggedBefore.data()),
        windowOf_(usable_ && l1_ <= kMatrixColumns ? static_cast<size_t>(l1_) * l1_ : 0, -1),
        byWidth_(static_cast<size_t>(widest) + 1) {}

  bool usable() const { return usable_; }
  const double* values() const { return xs_; }
  const std::vector<Window>& windows() const { return windows_; }

  const Candidates& candidatesFor(int l2) {
    Candidates& candidates = byWidth_[l2];
    if (candidates.listed) return candidates;
    candidates.listed = true;
    for (int a = 1 - l1_; a <= l2 - 1; ++a) {
      const int k0 = std::max(0, -a);
      const int k1 = std::min(l1_, l2 - a);
      if (flags_[k1] - flags_[k0] < kInformativeColumns) continue;
      candidates.list.push_back({a, k0, k1, windowFor(k0, k1)});
    }
    return candidates;
  }

 private:
  int32_t windowFor(int k0, int k1) {
    const bool shared = !windowOf_.empty();
    const size_t key = shared ? static_cast<size_t>(k0) * l1_ + (k1 - k0 - 1) : 0;
    if (shared && windowOf_[key] >= 0) return windowOf_[key];
    double sx = 0, sxx = 0;
    for (int i = 4 * k0; i < 4 * k1; ++i) {
      sx += xs_[i];
      const double square = xs_[i] * xs_[i];
      sxx += square;
    }
    const double n = 4.0 * (k1 - k0);
    const double mean = sx / n;
    const double meanSquare = mean * mean;
    const int32_t window = static_cast<int32_t>(windows_.size());
    windows_.push_back({k0, k1 - k0, mean, sxx / n - meanSquare});
    if (shared) windowOf_[key] = window;
    return window;
  }

  int l1_;
  bool usable_;
  const double* xs_;
  const int32_t* flags_;
  std::vector<Window> windows_;
  std::vector<int32_t> windowOf_;
  std::vector<Candidates> byWidth_;
};

// Admissible alignments waiting for a full set of lanes: all share one window
// of the first motif; `pairs` says which second motif each belongs to.
struct LaneGroup {
  int count = 0;
  const double* ys[kLanes];
  int32_t pairs[kLanes];
};

// Second motifs scored together, sized so that their values stay in a core's
// cache while every first motif of a call is scored against them.
constexpr int kBlock = 512;

// Sums a group (`best` holds the best value of every motif of the block).
void flush(const FirstPlan& plan, const Window& window, LaneGroup& group, double* best) {
  if (group.count == 0) return;
  // A short group repeats its last alignment in the spare lanes.
  for (int l = group.count; l < kLanes; ++l) group.ys[l] = group.ys[group.count - 1];
  double values[kLanes];
  laneCorrelations(plan.values() + 4 * window.k0, group.ys, window.columns, window.mean,
                   window.variance, values);
  for (int l = 0; l < group.count; ++l) {
    double& pair = best[group.pairs[l]];
    pair = values[l] > pair ? values[l] : pair;  // the plain loop's `if (value > best)`
  }
  group.count = 0;
}

// preparedCorrelation(first, entry j) into out[j - start] for the entries
// [start, end) of the collection. The plain loop starts at the offset where
// one column faces one column: too few flags, value +0. From there its best
// is +0 raised by every greater value (NaN and -0 never are): a maximum that
// no order of evaluation changes. So the admissible alignments of all motifs
// are gathered by window of the first motif and summed eight at a time, each
// value raising its motif's best.
void scoreBlock(FirstPlan& plan, const PreparedCollection& seconds, int start, int end,
                std::vector<LaneGroup>& groups, double* out) {
  std::fill(out, out + (end - start), 0.0);
  const std::vector<PreparedCollection::Entry>& entries = seconds.entries;
  int run = start;
  while (plan.usable() && run < end) {
    // Entries of one width (an unusable one scores 0).
    if (!entries[run].usable) {
      ++run;
      continue;
    }
    const int l2 = entries[run].columns;
    int runEnd = run + 1;
    while (runEnd < end && entries[runEnd].usable && entries[runEnd].columns == l2) ++runEnd;
    const Candidates& candidates = plan.candidatesFor(l2);
    groups.resize(std::max(groups.size(), plan.windows().size()));
    // The run's motifs lie side by side in the collection's arrays.
    const double* runValues = seconds.values.data() + entries[run].values;
    const int32_t* runFlags = seconds.flaggedBefore.data() + entries[run].flags;
    for (const Candidate& c : candidates.list) {
      LaneGroup& group = groups[c.window];
      const int lo = c.a + c.k0;
      const int hi = c.a + c.k1;
      int count = group.count;
      for (int i = 0; i < runEnd - run; ++i) {
        const int32_t* flags2 = runFlags + static_cast<size_t>(i) * (l2 + 1);
        // Written always, kept when admissible: no branch to mispredict.
        group.ys[count] = runValues + 4 * (static_cast<size_t>(i) * l2 + lo);
        group.pairs[count] = run - start + i;
        count += flags2[hi] - flags2[lo] >= kInformativeColumns ? 1 : 0;
        if (count == kLanes) {
          group.count = count;
          flush(plan, plan.windows()[c.window], group, out);
          count = 0;
        }
      }
      group.count = count;
    }
    run = runEnd;
  }
  for (size_t w = 0; w < plan.windows().size(); ++w) flush(plan, plan.windows()[w], groups[w], out);
}

}  // namespace

void prepareCollection(const PreparedMotif* motifs, int count, PreparedCollection& out) {
  out = PreparedCollection{};
  out.entries.resize(static_cast<size_t>(std::max(count, 0)));
  for (int j = 0; j < count; ++j) {
    const PreparedMotif& motif = motifs[j];
    PreparedCollection::Entry& entry = out.entries[j];
    const size_t columns = static_cast<size_t>(std::max(motif.columns, 0));
    entry.index = j;
    entry.columns = motif.columns;
    entry.usable = columns > 0 && motif.values.size() == 4 * columns &&
                   motif.flaggedBefore.size() == columns + 1;
  }
  // Each block of kBlock motifs (in the order given) stays together, its
  // unusable entries first, then by width: equal widths side by side share
  // their offsets, and a block's scores land close together.
  const auto key = [](const PreparedCollection::Entry& e) {
    return std::make_pair(e.index / kBlock, e.usable ? e.columns : 0);
  };
  std::stable_sort(out.entries.begin(), out.entries.end(),
                   [&](const PreparedCollection::Entry& a, const PreparedCollection::Entry& b) {
                     return key(a) < key(b);
                   });
  for (PreparedCollection::Entry& entry : out.entries) {
    if (!entry.usable) continue;
    const PreparedMotif& motif = motifs[entry.index];
    entry.values = out.values.size();
    entry.flags = out.flaggedBefore.size();
    out.values.insert(out.values.end(), motif.values.begin(), motif.values.end());
    out.flaggedBefore.insert(out.flaggedBefore.end(), motif.flaggedBefore.begin(),
                             motif.flaggedBefore.end());
    out.widest = std::max(out.widest, motif.columns);
  }
}

void preparedCorrelations(const PreparedMotif* firsts, int firstCount,
                          const PreparedCollection& seconds, double* out) {
  const int count = static_cast<int>(seconds.entries.size());
  std::vector<FirstPlan> plans;
  for (int i = 0; i < firstCount; ++i) plans.emplace_back(firsts[i], seconds.widest);
  std::vector<LaneGroup> groups;
  double values[kBlock];
  for (int start = 0; start < count; start += kBlock) {
    const int end = std::min(count, start + kBlock);
    for (int i = 0; i < firstCount; ++i) {
      scoreBlock(plans[i], seconds, start, end, groups, values);
      double* row = out + static_cast<size_t>(i) * count;
      for (int j = start; j < end; ++j) row[seconds.entries[j].index] = values[j - start];
    }
  }
}

double simvaleScore(const PreparedMotif& first, const PreparedMotif* firstReverse,
                    const PreparedMotif& second) {
  if (!scorable(first.columns) || !scorable(second.columns)) return 0.0;
  const double forward = preparedCorrelation(first, second);
  if (firstReverse == nullptr) return forward;
  const double reverse = preparedCorrelation(*firstReverse, second);
  return reverse > forward ? reverse : forward;
}

void simvaleScores(const PreparedMotif* firsts, const PreparedMotif* firstReverses, int firstCount,
                   const PreparedCollection& seconds, double* out) {
  const int count = static_cast<int>(seconds.entries.size());
  std::vector<FirstPlan> plans;
  for (int i = 0; i < firstCount; ++i) {
    plans.emplace_back(firsts[i], seconds.widest);
    if (firstReverses != nullptr) plans.emplace_back(firstReverses[i], seconds.widest);
  }
  const int strands = firstReverses != nullptr ? 2 : 1;
  std::vector<LaneGroup> groups;
  double forward[kBlock];
  double reverse[kBlock];
  for (int start = 0; start < count; start += kBlock) {
    const int end = std::min(count, start + kBlock);
    for (int i = 0; i < firstCount; ++i) {
      double* row = out + static_cast<size_t>(i) * count;
      if (!scorable(firsts[i].columns)) {
        for (int j = start; j < end; ++j) row[seconds.entries[j].index] = 0.0;
        continue;
      }
      scoreBlock(plans[strands * i], seconds, start, end, groups, forward);
      if (strands == 2) {
        scoreBlock(plans[2 * i + 1], seconds, start, end, groups, reverse);
        for (int j = 0; j < end - start; ++j) {
          if (reverse[j] > forward[j]) forward[j] = reverse[j];
        }
      }
      for (int j = start; j < end; ++j) {
        const PreparedCollection::Entry& entry = seconds.entries[j];
        row[entry.index] = scorable(entry.columns) ? forward[j - start] : 0.0;
      }
    }
  }
}

}  // namespace tav
