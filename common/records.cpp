#include "records.h"

#include <algorithm>

namespace tav {

namespace {
bool sortedContains(const std::vector<int32_t>& v, int32_t x) {
  return std::binary_search(v.begin(), v.end(), x);
}
void sortedInsert(std::vector<int32_t>& v, int32_t x) {
  auto it = std::lower_bound(v.begin(), v.end(), x);
  if (it == v.end() || *it != x) v.insert(it, x);
}
}  // namespace

bool NetworkNode::connectedTo(int32_t other) const { return sortedContains(neighbors, other); }
void NetworkNode::connect(int32_t other) { sortedInsert(neighbors, other); }

bool GeneRecord::hasElement(int32_t element) const { return sortedContains(elements, element); }
void GeneRecord::setElement(int32_t element) { sortedInsert(elements, element); }

}  // namespace tav
