// Fuzz target: the SE file reader. The input's first line names the genes;
// the rest is the SE file, read once without and once with a method filter.
// Checks the element table against the genes' element sets and that the
// filter only ever removes elements.
#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "fuzz_support.h"
#include "interactions.h"
#include "random.h"
#include "se_file.h"

namespace {

using tav::GeneRecord;

struct Reading {
  int result = 0;
  std::vector<GeneRecord> genes;
  std::vector<std::string> elements;
};

Reading readWith(const tav::fuzz::NamesAndFile& parts, const std::string& method) {
  Reading r;
  r.genes.resize(parts.names.size());
  for (size_t i = 0; i < r.genes.size(); ++i) r.genes[i].name = parts.names[i];
  std::istringstream in(parts.file);
  r.result = tav::readSeFile(in, r.genes, static_cast<int>(r.genes.size()), r.elements, method);
  FUZZ_CHECK(r.result >= 0 || r.result == tav::kSeTooManyElements ||
             r.result == tav::kSeFieldTooLong);
  FUZZ_CHECK(tav::seReadErrorMessage(r.result, "f").empty() == (r.result >= 0));
  if (r.result < 0) return r;

  FUZZ_CHECK(r.result == static_cast<int>(r.elements.size()) && r.result <= tav::kMaxElements);
  std::vector<int> carriers(r.elements.size(), 0);
  for (size_t g = 0; g < r.genes.size(); ++g) {
    const auto& set = r.genes[g].elements;
    FUZZ_CHECK(std::is_sorted(set.begin(), set.end()));
    FUZZ_CHECK(std::adjacent_find(set.begin(), set.end()) == set.end());
    // Only the first of equal gene names takes associations.
    if (!set.empty())
      FUZZ_CHECK(tav::findGene(r.genes[g].name, r.genes, static_cast<int>(g) + 1) ==
                 static_cast<int>(g));
    for (int32_t e : set) {
      FUZZ_CHECK(e >= 0 && e < r.result);
      ++carriers[static_cast<size_t>(e)];
    }
  }
  std::set<std::string> distinct;
  for (size_t e = 0; e < r.elements.size(); ++e) {
    const std::string& name = r.elements[e];
    FUZZ_CHECK(carriers[e] > 0);
    FUZZ_CHECK(!name.empty() && name.size() <= static_cast<size_t>(tav::kMaxWord));
    FUZZ_CHECK(name.find_first_of(" \t\n\r\f\v") == std::string::npos);
    FUZZ_CHECK(distinct.insert(name).second);
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = tav::fuzz::splitNamesLine(tav::fuzz::asText(data, size));
  Reading all = readWith(parts, "");
  const Reading filtered = readWith(parts, "TavrinSE_N");

  if (all.result >= 0 && filtered.result >= 0) {
    FUZZ_CHECK(filtered.result <= all.result);
    for (size_t g = 0; g < all.genes.size(); ++g) {
      for (int32_t e : filtered.genes[g].elements) {
        const int inAll =
            tav::findElement(filtered.elements[static_cast<size_t>(e)], all.elements, all.result);
        FUZZ_CHECK(inAll < all.result);
        FUZZ_CHECK(all.genes[g].hasElement(inAll));
      }
    }
  }
  // A field too long is found whatever the filter.
  if (all.result != tav::kSeTooManyElements && filtered.result != tav::kSeTooManyElements)
    FUZZ_CHECK((all.result == tav::kSeFieldTooLong) == (filtered.result == tav::kSeFieldTooLong));

  // The association shuffle moves whole element sets between genes.
  if (all.result > 0) {
    std::multiset<std::vector<int32_t>> before;
    for (const auto& g : all.genes) before.insert(g.elements);
    tav::seedRandom(static_cast<uint32_t>(size));
    tav::shuffleElementAssociations(all.genes, static_cast<int>(all.genes.size()));
    std::multiset<std::vector<int32_t>> after;
    for (const auto& g : all.genes) after.insert(g.elements);
    FUZZ_CHECK(before == after);
  }
  return 0;
}
