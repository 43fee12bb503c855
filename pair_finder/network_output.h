// The result network: kept pairs as edges (.sif), their elements with a type
// (.1.noa) and three edge attributes: score (.1.eda), robust count (.2.eda)
// and z-score (.3.eda). A pair is kept when its removed flag is clear.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "pair_record.h"

namespace tav {

// The stored name without its type mark ('%', '@' or '~'), else the whole name.
void writeName(std::ostream& out, std::string_view storedName);

// True when the element is the first or second element of a kept pair.
bool elementInKeptPair(const std::vector<PairRecord>& pairs, int element);

// Each writer returns the number of data lines it wrote (headers not counted).
int writeNetwork(std::ostream& out, const std::vector<std::string>& seTable,
                 const std::vector<PairRecord>& pairs);
int writeElementTypes(std::ostream& out, const std::vector<std::string>& seTable, int elementCount,
                      const std::vector<PairRecord>& pairs);
int writeScores(std::ostream& out, const std::vector<std::string>& seTable,
                const std::vector<PairRecord>& pairs);
int writeRobustness(std::ostream& out, const std::vector<std::string>& seTable,
                    const std::vector<PairRecord>& pairs, int trials);
// The z-score of slot 0; inf, -inf or nan when the permuted scores had no
// usable variance.
int writeZScores(std::ostream& out, const std::vector<std::string>& seTable,
                 const std::vector<PairRecord>& pairs);

}  // namespace tav
