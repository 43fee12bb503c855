// Small hand-built gene tables and random networks for the pair finder tests.
#pragma once

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "interactions.h"
#include "pair_list.h"
#include "records.h"

namespace tav::testing {

struct Network {
  std::vector<GeneRecord> genes;
  std::vector<InteractionPair> training;
  int elementCount = 0;
  int n() const { return static_cast<int>(genes.size()); }
};

// Genes with the given element sets; edges connect gene indices. The
// training set is built from the rows like the driver does.
inline Network makeNetwork(const std::vector<std::vector<int32_t>>& elements, int elementCount,
                           const std::vector<std::pair<int, int>>& edges) {
  Network net;
  net.elementCount = elementCount;
  for (size_t i = 0; i < elements.size(); ++i) {
    GeneRecord g;
    g.name = std::string(1, 'G');
    g.name += std::to_string(i + 1);
    for (int32_t e : elements[i]) g.setElement(e);
    net.genes.push_back(std::move(g));
  }
  for (auto [a, b] : edges) {
    net.genes[static_cast<size_t>(a)].connect(b);
    net.genes[static_cast<size_t>(b)].connect(a);
  }
  std::ostringstream ignored;
  buildTrainingSet(net.genes, net.n(), net.training, ignored);
  return net;
}

// A random network: `genes` genes, about `edges` distinct edges, each gene
// carrying each of `elementCount` elements with probability `density`.
inline Network randomNetwork(std::mt19937& rng, int genes, int edges, int elementCount,
                             double density) {
  std::vector<std::vector<int32_t>> elements(static_cast<size_t>(genes));
  std::bernoulli_distribution carries(density);
  for (auto& set : elements) {
    for (int e = 0; e < elementCount; ++e) {
      if (carries(rng)) set.push_back(e);
    }
  }
  std::uniform_int_distribution<int> pick(0, genes - 1);
  std::vector<std::pair<int, int>> list;
  for (int i = 0; i < edges; ++i) {
    const int a = pick(rng);
    const int b = pick(rng);
    if (a != b) list.emplace_back(a, b);
  }
  return makeNetwork(elements, elementCount, list);
}

// Genes G1 {b, d}, G2 {d}, G3 {b, d}, G4 {}, G5 {a, b, d} with the elements
// numbered as given; interactions G3-G4, G1-G2, G3-G5, G1-G5, G2-G3, G2-G4.
inline Network fiveGenes(int a, int b, int d) {
  return makeNetwork({{b, d}, {d}, {b, d}, {}, {a, b, d}}, 3,
                     {{2, 3}, {0, 1}, {2, 4}, {0, 4}, {1, 2}, {1, 3}});
}

// Builds the pair list of a whole network; returns the pairs examined.
inline int64_t build(Network& net, PairList& list, int queue, std::ostream& out,
                     ScoringPath path = ScoringPath::Fast) {
  return buildPairList(net.genes, net.n(), net.elementCount, list, queue, net.training,
                       static_cast<int>(net.training.size()), out, path);
}

inline PairList listFor(Network& net, int queue = 500) {
  PairList list;
  std::ostringstream ignored;
  build(net, list, queue, ignored);
  return list;
}

}  // namespace tav::testing
