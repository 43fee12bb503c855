#include "pair_list.h"

#include <algorithm>
#include <bit>
#include <sstream>

#include "capacities.h"
#include "console.h"
#include "pair_counting.h"

namespace tav {

namespace {

bool bitSet(const std::vector<uint64_t>& bits, size_t i) { return (bits[i >> 6] >> (i & 63)) & 1u; }

// The records' interaction lists, written out in network order.
void materialize(const std::vector<InteractionPair>& network, const PairRecord& p,
                 std::vector<InteractionPair>& rest, std::vector<InteractionPair>& supporting) {
  rest.clear();
  supporting.clear();
  for (size_t i = 0; i < network.size(); ++i) {
    (bitSet(p.supporting, i) ? supporting : rest).push_back(network[i]);
  }
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
  for (int g = 0; g < n; ++g) genes[static_cast<size_t>(g)].presenceA = genes[static_cast<size_t>(g)].hasElement(element) ? 1 : 0;
}

void setPresenceB(std::vector<GeneRecord>& genes, int n, int32_t element) {
  for (int g = 0; g < n; ++g) genes[static_cast<size_t>(g)].presenceB = genes[static_cast<size_t>(g)].hasElement(element) ? 1 : 0;
}

void startPairList(const std::vector<GeneRecord>& genes, int n, int queue, PairList& list) {
  list.pairs.clear();
  list.capacity = std::min(queue, kMaxPairList);
  std::ostringstream message;
  buildTrainingSet(genes, n, list.network, message);
  list.networkMessage = message.str();
  if (!list.networkMessage.empty() && list.networkMessage.back() == '\n') {
    list.networkMessage.pop_back();
  }
}

bool supportsPair(const std::vector<GeneRecord>& genes, const InteractionPair& interaction,
                  int32_t a, int32_t b) {
  const GeneRecord& g = genes[static_cast<size_t>(interaction.first)];
  const GeneRecord& h = genes[static_cast<size_t>(interaction.second)];
  return (g.hasElement(a) && h.hasElement(b)) || (h.hasElement(a) && g.hasElement(b));
}

int splitSupporting(std::vector<InteractionPair>& rest, int restLength,
                    std::vector<InteractionPair>& supporting, int supportingLength,
                    const std::vector<GeneRecord>& genes, const PairCandidate& pair) {
  supporting.resize(static_cast<size_t>(supportingLength));
  int kept = 0;
  for (int i = 0; i < restLength; ++i) {
    const InteractionPair interaction = rest[static_cast<size_t>(i)];
    if (supportsPair(genes, interaction, pair.first, pair.second)) {
      supporting.push_back(interaction);
    } else {
      rest[static_cast<size_t>(kept++)] = interaction;
    }
  }
  rest.resize(static_cast<size_t>(kept));
  return kept;
}

void markSupporting(const std::vector<GeneRecord>& genes, const std::vector<InteractionPair>& network,
                    PairRecord& pair) {
  pair.supporting.assign((network.size() + 63) / 64, 0);
  int32_t count = 0;
  for (size_t i = 0; i < network.size(); ++i) {
    if (supportsPair(genes, network[i], pair.first, pair.second)) {
      pair.supporting[i >> 6] |= uint64_t{1} << (i & 63);
      ++count;
    }
  }
  pair.supportingCount = count;
  pair.restCount = static_cast<int32_t>(network.size()) - count;
}

int isRedundant(std::vector<GeneRecord>& genes, int n, const PairCandidate& q, const PairRecord& p,
                double factor, const std::vector<InteractionPair>& network, ScoringPath path) {
  const int32_t r = p.restCount;
  const int32_t s = p.supportingCount;
  double m1 = 0.0;
  double m2 = 0.0;
  if (path == ScoringPath::Plain) {
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
    m1 = pairScore(genes, n, rest, r);
    m2 = pairScore(genes, n, supporting, s);
    for (int g = 0; g < n; ++g) {
      GeneRecord& gene = genes[static_cast<size_t>(g)];
      gene.presenceA = gene.savedA;
      gene.presenceB = gene.savedB;
    }
  } else {
    // The supporting interactions are usually few: count q over them and
    // take the rest as q's counts over the whole network minus those.
    PairCounts support;
    for (size_t w = 0; w < p.supporting.size(); ++w) {
      for (uint64_t bits = p.supporting[w]; bits != 0; bits &= bits - 1) {
        const size_t i = w * 64 + static_cast<size_t>(std::countr_zero(bits));
        const GeneRecord& g = genes[static_cast<size_t>(network[i].first)];
        const GeneRecord& h = genes[static_cast<size_t>(network[i].second)];
        if (g.excluded || h.excluded) continue;
        const int ag = g.hasElement(q.first) ? 1 : 0;
        const int ah = h.hasElement(q.first) ? 1 : 0;
        const int bg = g.hasElement(q.second) ? 1 : 0;
        const int bh = h.hasElement(q.second) ? 1 : 0;
        support.both += ag * bh + ah * bg;
        support.rowPresent += ag + ah;
        support.columnPresent += bh + bg;
        support.observations += 2;
      }
    }
    PairCounts rest;
    rest.both = q.baseCounts.both - support.both;
    rest.rowPresent = q.baseCounts.rowPresent - support.rowPresent;
    rest.columnPresent = q.baseCounts.columnPresent - support.columnPresent;
    rest.observations = q.baseCounts.observations - support.observations;
    m1 = mutualInformation(rest);
    m2 = mutualInformation(support);
  }
  // No interaction at all leaves the conditional score undefined: redundant.
  if (r + s == 0) return 1;
  const double conditional = (m1 * r + m2 * s) / (r + s);
  return conditional < factor * q.score ? 1 : 0;
}

int insertPair(std::vector<GeneRecord>& genes, int n, const PairCandidate& candidate,
               PairList& list, std::ostream& out, ScoringPath path) {
  const double x = candidate.score;
  const int length = list.length();
  int c = 0;
  while (c < length && !(x > list.pairs[static_cast<size_t>(c)].score)) {
    if (isRedundant(genes, n, candidate, list.pairs[static_cast<size_t>(c)], kRedundancyFactor,
                    list.network, path)) {
      return -1;
    }
    ++c;
  }
  if (length >= list.capacity) {
    // A full list takes a candidate only in place of a lower pair.
    if (c >= list.capacity) return -1;
    list.pairs.pop_back();
  }
  PairRecord record;
  record.first = candidate.first;
  record.second = candidate.second;
  record.score = candidate.score;
  record.baseCounts = candidate.baseCounts;
  // Building the new pair's interaction list repeats the truncation message.
  if (!list.networkMessage.empty()) line(out, list.networkMessage);
  markSupporting(genes, list.network, record);
  list.pairs.insert(list.pairs.begin() + c, std::move(record));

  for (size_t q = static_cast<size_t>(c) + 1; q < list.pairs.size();) {
    if (isRedundant(genes, n, list.pairs[q], list.pairs[static_cast<size_t>(c)], kRedundancyFactor,
                    list.network, path)) {
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
  startPairList(genes, n, queue, list);
  const int S = std::max(elementCount, 0);
  int64_t examined = 0;
  auto offer = [&](const PairCandidate& candidate) {
    if (list.length() < list.capacity ||
        (list.length() > 0 && candidate.score > list.pairs.back().score)) {
      insertPair(genes, n, candidate, list, out, path);
    }
    ++examined;
    if (examined % 1000 == 0) line(out, examined, " Sequence Element pairs have been examined so far...");
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
        candidate.baseCounts = countPair(genes, list.network, networkLength, a, b);
        offer(candidate);
      }
    }
    return examined;
  }

  const auto carriers = elementCarriers(genes, n, S);
  EdgeIndex trainingIndex;
  trainingIndex.build(genes, n, training, trainingCount);
  std::vector<int64_t> trainingDegree(static_cast<size_t>(S));
  for (int e = 0; e < S; ++e) trainingDegree[static_cast<size_t>(e)] = elementDegree(trainingIndex, carriers[static_cast<size_t>(e)]);

  // With a randomised training set the rows hold the rebuilt network, which
  // the split uses; otherwise both lists are the same.
  const bool sameNetwork =
      trainingCount == static_cast<int>(list.network.size()) &&
      std::equal(list.network.begin(), list.network.end(), training.begin(),
                 [](const InteractionPair& u, const InteractionPair& v) {
                   return u.first == v.first && u.second == v.second;
                 });
  EdgeIndex networkIndex;
  std::vector<int64_t> networkDegree;
  if (!sameNetwork) {
    networkIndex.build(genes, n, list.network, static_cast<int>(list.network.size()));
    networkDegree.resize(static_cast<size_t>(S));
    for (int e = 0; e < S; ++e) networkDegree[static_cast<size_t>(e)] = elementDegree(networkIndex, carriers[static_cast<size_t>(e)]);
  }
  std::vector<uint8_t> mark(static_cast<size_t>(n), 0);

  // For one element a, the crossings with every element b >= a in one walk
  // over a's carriers and their partners.
  std::vector<int64_t> crossings(static_cast<size_t>(S), 0);
  std::vector<int32_t> touched;
  for (int a = 0; a < S; ++a) {
    for (int32_t g : carriers[static_cast<size_t>(a)]) {
      for (const int32_t* h = trainingIndex.partnersBegin(g); h != trainingIndex.partnersEnd(g); ++h) {
        const std::vector<int32_t>& elements = genes[static_cast<size_t>(*h)].elements;
        for (auto e = std::lower_bound(elements.begin(), elements.end(), a); e != elements.end() && *e < S; ++e) {
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
        candidate.baseCounts =
            sameNetwork ? counts
                        : indexCounts(networkIndex, carriers[static_cast<size_t>(a)], networkDegree[static_cast<size_t>(a)],
                                      carriers[static_cast<size_t>(b)], networkDegree[static_cast<size_t>(b)], mark);
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
