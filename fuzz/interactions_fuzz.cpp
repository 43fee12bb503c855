// Fuzz target: the interaction reader and the network built from it. The
// input's first line names the records (repeats allowed); the rest is the
// interaction file. Checks that rows stay symmetric and sorted, that the
// second reading after loner removal accepts exactly what the first did,
// and that the training set, the shuffle and the rebuild keep their promises.
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "fuzz_support.h"
#include "interactions.h"
#include "random.h"

namespace {

using tav::GeneRecord;

// Rows sorted, without repeats, inside the table, symmetric; returns the
// number of edges (a self edge counts once).
int checkRows(const std::vector<GeneRecord>& genes) {
  const int n = static_cast<int>(genes.size());
  int ends = 0;
  int selfEdges = 0;
  for (int i = 0; i < n; ++i) {
    const auto& row = genes[static_cast<size_t>(i)].neighbors;
    FUZZ_CHECK(std::is_sorted(row.begin(), row.end()));
    FUZZ_CHECK(std::adjacent_find(row.begin(), row.end()) == row.end());
    for (int32_t k : row) {
      FUZZ_CHECK(k >= 0 && k < n);
      FUZZ_CHECK(genes[static_cast<size_t>(k)].connectedTo(i));
      if (k == i) ++selfEdges;
    }
    ends += static_cast<int>(row.size());
  }
  return (ends - selfEdges) / 2 + selfEdges;
}

int readOnce(const std::string& file, std::vector<GeneRecord>& genes) {
  std::istringstream in(file);
  std::ostringstream console;
  const int accepted =
      tav::readInteractions(in, genes, static_cast<int>(genes.size()), "protein", console);
  // Exactly the one warning line, whatever the input.
  const std::string text = console.str();
  FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') == 1);
  tav::fuzz::checkMessageLines(text, "WARNING: ");
  return accepted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = tav::fuzz::splitNamesLine(tav::fuzz::asText(data, size));
  std::vector<GeneRecord> genes(parts.names.size());
  for (size_t i = 0; i < genes.size(); ++i) genes[i].name = parts.names[i];

  const int first = readOnce(parts.file, genes);
  FUZZ_CHECK(first >= 0);
  FUZZ_CHECK(checkRows(genes) == first);
  for (const auto& g : genes) {
    FUZZ_CHECK(g.interactionCount == static_cast<int32_t>(g.neighbors.size()));
    FUZZ_CHECK(!g.connectedTo(static_cast<int32_t>(&g - genes.data())));
  }

  std::vector<std::string> keptNames;
  for (const auto& g : genes) {
    if (g.interactionCount > 0) keptNames.push_back(g.name);
  }
  const int n = tav::removeLoners(genes, static_cast<int>(genes.size()));
  FUZZ_CHECK(n == static_cast<int>(genes.size()) && n == static_cast<int>(keptNames.size()));
  for (int i = 0; i < n; ++i)
    FUZZ_CHECK(genes[static_cast<size_t>(i)].name == keptNames[static_cast<size_t>(i)]);

  // Names resolve to the same records after the loners are gone.
  const int second = readOnce(parts.file, genes);
  FUZZ_CHECK(second == first);
  FUZZ_CHECK(checkRows(genes) == second);

  std::vector<tav::InteractionPair> list;
  std::ostringstream console;
  int count = tav::buildTrainingSet(genes, n, list, console);
  FUZZ_CHECK(count == std::min(second, tav::kMaxTrainingPairs));
  FUZZ_CHECK(count == static_cast<int>(list.size()));
  for (int p = 0; p < count; ++p) {
    const auto& e = list[static_cast<size_t>(p)];
    FUZZ_CHECK(e.first >= 0 && e.first <= e.second && e.second < n);
    if (p > 0) {
      const auto& d = list[static_cast<size_t>(p - 1)];
      FUZZ_CHECK(d.first < e.first || (d.first == e.first && d.second < e.second));
    }
  }

  // The shuffle keeps each node's number of first and second places.
  tav::seedRandom(static_cast<uint32_t>(size));
  std::map<int32_t, int> firsts;
  std::map<int32_t, int> seconds;
  for (const auto& e : list) {
    ++firsts[e.first];
    ++seconds[e.second];
  }
  tav::shuffleInteractions(list, count);
  std::map<int32_t, int> firstsAfter;
  std::map<int32_t, int> secondsAfter;
  for (const auto& e : list) {
    ++firstsAfter[e.first];
    ++secondsAfter[e.second];
  }
  FUZZ_CHECK(firsts == firstsAfter && seconds == secondsAfter);
  tav::rebuildInteractionRows(genes, n, list, count);
  const int edges = checkRows(genes);
  FUZZ_CHECK(edges <= count);

  // Excluded records take no part in the next training set.
  for (int i = 0; i < n; i += 2) genes[static_cast<size_t>(i)].excluded = true;
  count = tav::buildTrainingSet(genes, n, list, console);
  FUZZ_CHECK(count <= edges);
  for (const auto& e : list) {
    FUZZ_CHECK(!genes[static_cast<size_t>(e.first)].excluded &&
               !genes[static_cast<size_t>(e.second)].excluded);
  }
  return 0;
}
