// Small builders shared by the conservation tests: coded sequence records
// without going through a FASTA file.
#pragma once

#include <string>
#include <vector>

#include "fasta.h"
#include "records.h"

namespace tav::testing {

inline SequenceRecord nucleotideRecord(const std::string& name, const std::string& letters) {
  SequenceRecord record;
  record.name = name;
  for (char c : letters) record.codes.push_back(symbolMask(c));
  record.length = static_cast<int32_t>(record.codes.size());
  return record;
}

}  // namespace tav::testing
