// The SE ("sequence element") file: gene to element associations. The motif
// pair finders write it, the pair finder reads it.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "records.h"

namespace tav {

// Result codes of readSeFile beyond a plain element count.
inline constexpr int kSeTooManyElements = -1;  // a 30001st distinct element
inline constexpr int kSeFieldTooLong = -2;     // a field longer than 999 characters

// Reads associations into the element names (`seTable`, in order of first
// accepted association) and the genes' element sets. Lines whose first field
// begins with '$' or '#' and lines of unknown genes are skipped; with a
// non-empty `methodFilter` only that method is read; only status 'T' counts.
// Returns the number of distinct elements, or one of the negative codes above.
int readSeFile(std::istream& in, std::vector<GeneRecord>& genes, int n,
               std::vector<std::string>& seTable, const std::string& methodFilter);

// The one "ERROR: ..." line (without line break) a driver prints for a
// negative readSeFile code, naming the file; empty for any other value.
std::string seReadErrorMessage(int code, std::string_view fileName);

// One discovered motif pair as the writer needs it: both motif texts (no type
// mark), the mutual information and, per sequence record in table order,
// whether each motif occurs there.
struct SeOutputPair {
  std::string first;
  std::string second;
  double mutualInformation = 0.0;
  std::vector<uint8_t> firstPresent;
  std::vector<uint8_t> secondPresent;
};

// Header, pair lines, second header, association lines ("@" mark in strand
// mode, "%" otherwise; method "TavrinSE_N").
void writeSeFile(std::ostream& out, const std::vector<SeOutputPair>& pairs,
                 const std::vector<SequenceRecord>& records, bool strandMode);

}  // namespace tav
