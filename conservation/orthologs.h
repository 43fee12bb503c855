// Ortholog table reader: pairs of gene names, one from each organism, resolved
// to the sequence records that the conservation score runs over.
#pragma once

#include <istream>
#include <vector>

#include "records.h"

namespace tav {

// One ortholog pair. The pointers refer to records of the driver's two
// sequence tables (never owned here); they stay valid because the tables are
// not changed once the pairs are made.
struct OrthologPair {
  const SequenceRecord* first = nullptr;
  const SequenceRecord* second = nullptr;
};

// Results of readOrthologs beyond a plain pair count.
inline constexpr int kOrthologNameTooLong = -1;   // a name longer than 99 characters
inline constexpr int kTooManyOrthologPairs = -2;  // a 30001st resolved pair

// Skips the header line, then takes the whitespace-separated names two at a
// time; each name resolves to the first record of organism 1 with exactly that
// name, else to the first of organism 2. Pairs with an unresolved name are
// dropped silently. `pairs` is refilled from index 0 in file order. Returns the
// number of pairs, or one of the negative codes above.
int readOrthologs(std::istream& in, std::vector<OrthologPair>& pairs,
                  const std::vector<SequenceRecord>& organism1, int n1,
                  const std::vector<SequenceRecord>& organism2, int n2);

}  // namespace tav
