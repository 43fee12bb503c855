#include "pair_list.h"

#include <algorithm>
#include <sstream>

#include "capacities.h"
#include "console.h"
#include "pair_counting.h"

namespace tav {

namespace {

// Q's score conditioned on whether an interaction supports P, weighted by
// the interactions on each side, against the factor times Q's score. No
// interaction at all leaves it undefined: redundant.
int conditionalRedundant(double m1, double m2, const PairRecord& p, const PairCandidate& q,
                         double factor) {
  const int32_t r = p.restCount;
  const int32_t s = p.supportingCount;
  if (r + s == 0) return 1;
  const double conditional = (m1 * r + m2 * s) / (r + s);
  return conditional < factor * q.score ? 1 : 0;
}

// The records' interaction lists, written out in network order.
void materialize(const std::vector<InteractionPair>& network, const PairRecord& p,
                 std::vector<InteractionPair>& rest, std::vector<InteractionPair>& supporting) {
  rest.clear();
  supporting.clear();
  for (size_t i = 0; i < network.size(); ++i) {
    (p.supports(i) ? supporting : rest).push_back(network[i]);
  }
}

// Gene marks of the two elements of a pair, set from the carriers and
// cleared again when the scope ends.
class PairMarks {
 public:
  PairMarks(PairList& list, int32_t first, int32_t second)
      : list_(list), first_(first), second_(second) {
    set(1);
  }
  ~PairMarks() { set(0); }
  PairMarks(const PairMarks&) = delete;
  PairMarks& operator=(const PairMarks&) = delete;

  const uint8_t* first() const { return list_.carriesFirst.data(); }
  const uint8_t* second() const { return list_.carriesSecond.data(); }

 private:
  void set(uint8_t value) {
    for (int32_t g : carriersOf(first_)) list_.carriesFirst[static_cast<size_t>(g)] = value;
    for (int32_t g : carriersOf(second_)) list_.carriesSecond[static_cast<size_t>(g)] = value;
  }
  const std::vector<int32_t>& carriersOf(int32_t element) const {
    static const std::vector<int32_t> none;
    if (element < 0 || element >= static_cast<int32_t>(list_.carriers.size())) return none;
    return list_.carriers[static_cast<size_t>(element)];
  }

  PairList& list_;
  int32_t first_;
  int32_t second_;
};

// The split of the network for the pair whose genes are marked.
void splitFromMarks(const std::vector<InteractionPair>& network, const uint8_t* a, const uint8_t* b,
                    PairRecord& pair) {
  std::vector<int32_t> positions;
  for (size_t i = 0; i < network.size(); ++i) {
    const auto g = static_cast<size_t>(network[i].first);
    const auto h = static_cast<size_t>(network[i].second);
    if ((a[g] && b[h]) || (a[h] && b[g])) positions.push_back(static_cast<int32_t>(i));
  }
  pair.setSupporting(std::move(positions), static_cast<int32_t>(network.size()));
}

// The fast redundancy test with q's genes marked: q is counted over p's
// supporting interactions (usually few), and its rest counts are its counts
// over the whole network minus those.
int redundantFromMarks(const std::vector<GeneRecord>& genes, const PairCandidate& q,
                       const PairRecord& p, double factor,
                       const std::vector<InteractionPair>& network, const uint8_t* a,
                       const uint8_t* b) {
  PairCounts support;
  p.forEachSupporting([&](size_t i) {
    const auto g = static_cast<size_t>(network[i].first);
    const auto h = static_cast<size_t>(network[i].second);
    if (genes[g].excluded || genes[h].excluded) return;
    support.both += a[g] * b[h] + a[h] * b[g];
    support.rowPresent += a[g] + a[h];
    support.columnPresent += b[h] + b[g];
    support.observations += 2;
  });
  PairCounts rest;
  rest.both = q.baseCounts.both - support.both;
  rest.rowPresent = q.baseCounts.rowPresent - support.rowPresent;
  rest.columnPresent = q.baseCounts.columnPresent - support.columnPresent;
  rest.observations = q.baseCounts.observations - support.observations;
  return conditionalRedundant(mutualInformation(rest), mutualInformation(support), p, q, factor);
}

}  // namespace

double pairScore(const std::vector<GeneRecord>& genes, int /*n*/,
                 const std::vector<InteractionPair>& list, int count) {
  PairCounts counts;
  for (int i = 0; i < count; ++i) {
    const GeneRecord& g = genes[static_cast<size_t>(list[static_cast<size_t>(i)].first)];
    const GeneRecord& h = genes[static_cast<size_t>(list[static_cast<size_t>(i)].second)];
    if (g.excluded || h.excluded) continue;
    const int ag = g.presenceA != 0 ? 1 : 0;
    const int ah = h.presenceA != 0 ? 1 : 0;
    const int bg = g.presenceB != 0 ? 1 : 0;
    const int bh = h.presenceB != 0 ? 1 : 0;
    counts.both += ag * bh + ah * bg;
    counts.rowPresent += ag + ah;
    counts.columnPresent += bh + bg;
    counts.observations += 2;
  }
  return mutualInformation(counts);
}

void setPresenceA(std::vector<GeneRecord>& genes, int n, int32_t element) {
  for (int g = 0; g < n; ++g)
    genes[static_cast<size_t>(g)].presenceA =
        genes[static_cast<size_t>(g)].hasElement(element) ? 1 : 0;
}

void setPresenceB(std::vector<GeneRecord>& genes, int n, int32_t element) {
  for (int g = 0; g < n; ++g)
    genes[static_cast<size_t>(g)].presenceB =
        genes[static_cast<size_t>(g)].hasElement(element) ? 1 : 0;
}

void startPairList(const std::vector<GeneRecord>& genes, int n, int elementCount, int queue,
                   PairList& list) {
  list.pairs.clear();
  list.capacity = std::min(queue, kMaxPairList);
  std::ostringstream message;
  buildTrainingSet(genes, n, list.network, message);
  list.networkMessage = message.str();
  if (!list.networkMessage.empty() && list.networkMessage.back() == '\n') {
    list.networkMessage.pop_back();
  }
  list.carriers = elementCarriers(genes, n, elementCount);
  list.carriesFirst.assign(static_cast<size_t>(n), 0);
  list.carriesSecond.assign(static_cast<size_t>(n), 0);
}

bool supportsPair(const std::vector<GeneRecord>& genes, const InteractionPair& interaction,
                  int32_t a, int32_t b) {
  const GeneRecord& g = genes[static_cast<size_t>(interaction.first)];
  const GeneRecord& h = genes[static_cast<size_t>(interaction.second)];
  return (g.hasElement(a) && h.hasElement(b)) || (h.hasElement(a) && g.hasElement(b));
}

void splitSupporting(const std::vector<GeneRecord>& genes,
                     const std::vector<InteractionPair>& network, PairRecord& pair) {
  std::vector<int32_t> positions;
  for (size_t i = 0; i < network.size(); ++i) {
    if (supportsPair(genes, network[i], pair.first, pair.second))
      positions.push_back(static_cast<int32_t>(i));
  }
  pair.setSupporting(std::move(positions), static_cast<int32_t>(network.size()));
}

int isRedundant(std::vector<GeneRecord>& genes, int n, const PairCandidate& q, const PairRecord& p,
                double factor, const std::vector<InteractionPair>& network, ScoringPath path) {
  if (path == ScoringPath::Fast) {
    std::vector<uint8_t> a(static_cast<size_t>(n));
    std::vector<uint8_t> b(static_cast<size_t>(n));
    for (int g = 0; g < n; ++g) {
      a[static_cast<size_t>(g)] = genes[static_cast<size_t>(g)].hasElement(q.first) ? 1 : 0;
      b[static_cast<size_t>(g)] = genes[static_cast<size_t>(g)].hasElement(q.second) ? 1 : 0;
    }
    return redundantFromMarks(genes, q, p, factor, network, a.data(), b.data());
  }
  for (int g = 0; g < n; ++g) {
    GeneRecord& gene = genes[static_cast<size_t>(g)];
    gene.savedA = gene.presenceA;
    gene.savedB = gene.presenceB;
  }
  setPresenceA(genes, n, q.first);
  setPresenceB(genes, n, q.second);
  std::vector<InteractionPair> rest;
  std::vector<InteractionPair> supporting;
  materialize(network, p, rest, supporting);
  const double m1 = pairScore(genes, n, rest, p.restCount);
  const double m2 = pairScore(genes, n, supporting, p.supportingCount);
  for (int g = 0; g < n; ++g) {
    GeneRecord& gene = genes[static_cast<size_t>(g)];
    gene.presenceA = gene.savedA;
    gene.presenceB = gene.savedB;
  }
  return conditionalRedundant(m1, m2, p, q, factor);
}

int insertPair(std::vector<GeneRecord>& genes, int n, const PairCandidate& candidate,
               PairList& list, std::ostream& out, ScoringPath path) {
  const bool fast = path == ScoringPath::Fast;
  const double x = candidate.score;
  const int length = list.length();
  PairRecord record;
  int c = 0;
  {
    PairMarks marks(list, fast ? candidate.first : -1, fast ? candidate.second : -1);
    auto explains = [&](const PairRecord& p) {
      return fast ? redundantFromMarks(genes, candidate, p, kRedundancyFactor, list.network,
                                       marks.first(), marks.second())
                  : isRedundant(genes, n, candidate, p, kRedundancyFactor, list.network, path);
    };
    while (c < length && !(x > list.pairs[static_cast<size_t>(c)].score)) {
      if (explains(list.pairs[static_cast<size_t>(c)])) return -1;
      ++c;
    }
    if (length >= list.capacity) {
      // A full list takes a candidate only in place of a lower pair.
      if (c >= list.capacity) return -1;
      list.pairs.pop_back();
    }
    record.first = candidate.first;
    record.second = candidate.second;
    record.score = candidate.score;
    record.baseCounts = candidate.baseCounts;
    // Building the new pair's interaction list repeats the truncation message.
    if (!list.networkMessage.empty()) line(out, list.networkMessage);
    if (fast) {
      splitFromMarks(list.network, marks.first(), marks.second(), record);
    } else {
      splitSupporting(genes, list.network, record);
    }
  }
  list.pairs.insert(list.pairs.begin() + c, std::move(record));

  const PairRecord& placed = list.pairs[static_cast<size_t>(c)];
  for (size_t q = static_cast<size_t>(c) + 1; q < list.pairs.size();) {
    const PairRecord& lower = list.pairs[q];
    bool redundant = false;
    if (fast) {
      PairMarks marks(list, lower.first, lower.second);
      redundant = redundantFromMarks(genes, lower, placed, kRedundancyFactor, list.network,
                                     marks.first(), marks.second());
    } else {
      redundant = isRedundant(genes, n, lower, placed, kRedundancyFactor, list.network, path);
    }
    if (redundant) {
      list.pairs.erase(list.pairs.begin() + static_cast<std::ptrdiff_t>(q));
    } else {
      ++q;
    }
  }
  return c;
}

int64_t buildPairList(std::vector<GeneRecord>& genes, int n, int elementCount, PairList& list,
                      int queue, const std::vector<InteractionPair>& training, int trainingCount,
                      std::ostream& out, ScoringPath path) {
  const int S = std::max(elementCount, 0);
  startPairList(genes, n, S, queue, list);
  int64_t examined = 0;
  auto offer = [&](const PairCandidate& candidate) {
    if (list.length() < list.capacity ||
        (list.length() > 0 && candidate.score > list.pairs.back().score)) {
      insertPair(genes, n, candidate, list, out, path);
    }
    ++examined;
    if (examined % 1000 == 0)
      line(out, examined, " Sequence Element pairs have been examined so far...");
  };

  if (path == ScoringPath::Plain) {
    const int networkLength = static_cast<int>(list.network.size());
    for (int a = 0; a < S; ++a) {
      setPresenceA(genes, n, a);
      for (int b = a; b < S; ++b) {
        setPresenceB(genes, n, b);
        PairCandidate candidate;
        candidate.first = a;
        candidate.second = b;
        candidate.score = pairScore(genes, n, training, trainingCount);
        if (list.length() < list.capacity ||
            (list.length() > 0 && candidate.score > list.pairs.back().score)) {
          candidate.baseCounts = countPair(genes, list.network, networkLength, a, b);
        }
        offer(candidate);
      }
    }
    return examined;
  }

  const auto& carriers = list.carriers;
  EdgeIndex trainingIndex;
  trainingIndex.build(genes, n, training, trainingCount);
  std::vector<int64_t> trainingDegree(static_cast<size_t>(S));
  for (int e = 0; e < S; ++e)
    trainingDegree[static_cast<size_t>(e)] =
        elementDegree(trainingIndex, carriers[static_cast<size_t>(e)]);

  // With a randomised training set the rows hold the rebuilt network, which
  // the split uses; otherwise both lists are the same.
  const bool sameNetwork = trainingCount == static_cast<int>(list.network.size()) &&
                           std::equal(list.network.begin(), list.network.end(), training.begin(),
                                      [](const InteractionPair& u, const InteractionPair& v) {
                                        return u.first == v.first && u.second == v.second;
                                      });
  EdgeIndex networkIndex;
  std::vector<int64_t> networkDegree;
  if (!sameNetwork) {
    networkIndex.build(genes, n, list.network, static_cast<int>(list.network.size()));
    networkDegree.resize(static_cast<size_t>(S));
    for (int e = 0; e < S; ++e)
      networkDegree[static_cast<size_t>(e)] =
          elementDegree(networkIndex, carriers[static_cast<size_t>(e)]);
  }
  std::vector<uint8_t> mark(static_cast<size_t>(n), 0);

  // For one element a, the crossings with every element b >= a in one walk
  // over a's carriers and their partners.
  std::vector<int64_t> crossings(static_cast<size_t>(S), 0);
  std::vector<int32_t> touched;
  for (int a = 0; a < S; ++a) {
    for (int32_t g : carriers[static_cast<size_t>(a)]) {
      for (const int32_t* h = trainingIndex.partnersBegin(g); h != trainingIndex.partnersEnd(g);
           ++h) {
        const std::vector<int32_t>& elements = genes[static_cast<size_t>(*h)].elements;
        for (auto e = std::lower_bound(elements.begin(), elements.end(), a);
             e != elements.end() && *e < S; ++e) {
          if (crossings[static_cast<size_t>(*e)]++ == 0) touched.push_back(*e);
        }
      }
    }
    for (int b = a; b < S; ++b) {
      PairCandidate candidate;
      candidate.first = a;
      candidate.second = b;
      PairCounts counts;
      counts.both = crossings[static_cast<size_t>(b)];
      counts.rowPresent = trainingDegree[static_cast<size_t>(a)];
      counts.columnPresent = trainingDegree[static_cast<size_t>(b)];
      counts.observations = trainingIndex.observations();
      candidate.score = mutualInformation(counts);
      if (list.length() < list.capacity ||
          (list.length() > 0 && candidate.score > list.pairs.back().score)) {
        candidate.baseCounts = sameNetwork
                                   ? counts
                                   : indexCounts(networkIndex, carriers[static_cast<size_t>(a)],
                                                 networkDegree[static_cast<size_t>(a)],
                                                 carriers[static_cast<size_t>(b)],
                                                 networkDegree[static_cast<size_t>(b)], mark);
      }
      offer(candidate);
    }
    for (int32_t e : touched) crossings[static_cast<size_t>(e)] = 0;
    touched.clear();
  }
  return examined;
}

void orderPairs(std::vector<PairRecord>& pairs) {
  std::stable_sort(pairs.begin(), pairs.end(), [](const PairRecord& u, const PairRecord& v) {
    const bool uSelf = u.first == u.second;
    const bool vSelf = v.first == v.second;
    if (uSelf != vSelf) return uSelf;
    return u.score > v.score;
  });
}

}  // namespace tav
