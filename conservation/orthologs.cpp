#include "orthologs.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "capacities.h"
#include "line_reader.h"

namespace tav {

namespace {

// Name -> index of its first record, so that a lookup answers like a scan in
// file order (tables reach 30000 records and 30000 pairs).
using NameIndex = std::unordered_map<std::string_view, int>;

NameIndex firstIndexByName(const std::vector<SequenceRecord>& table, int n) {
  n = std::clamp(n, 0, static_cast<int>(table.size()));
  NameIndex index;
  index.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) index.emplace(table[static_cast<size_t>(i)].name, i);
  return index;
}

}  // namespace

int readOrthologs(std::istream& in, std::vector<OrthologPair>& pairs,
                  const std::vector<SequenceRecord>& organism1, int n1,
                  const std::vector<SequenceRecord>& organism2, int n2) {
  pairs.clear();
  const NameIndex index1 = firstIndexByName(organism1, n1);
  const NameIndex index2 = firstIndexByName(organism2, n2);
  auto resolve = [&](const std::string& name) -> const SequenceRecord* {
    if (auto it = index1.find(name); it != index1.end()) {
      return &organism1[static_cast<size_t>(it->second)];
    }
    if (auto it = index2.find(name); it != index2.end()) {
      return &organism2[static_cast<size_t>(it->second)];
    }
    return nullptr;
  };

  std::string header;
  if (!readLinePiece(in, header, kTableLinePiece)) return 0;

  std::string first;
  std::string second;
  const size_t longest = static_cast<size_t>(kMaxOrthologName);
  while (readWord(in, first, longest) && readWord(in, second, longest)) {
    if (first.size() > longest || second.size() > longest) return kOrthologNameTooLong;
    const SequenceRecord* a = resolve(first);
    const SequenceRecord* b = resolve(second);
    if (a == nullptr || b == nullptr) continue;
    if (static_cast<int>(pairs.size()) == kMaxOrthologPairs) return kTooManyOrthologPairs;
    pairs.push_back(OrthologPair{a, b});
  }
  // A lone last name has no partner; an over-long one is still refused.
  if (first.size() > longest) return kOrthologNameTooLong;
  return static_cast<int>(pairs.size());
}

}  // namespace tav
