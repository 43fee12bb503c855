// Small builders and renderers shared by the common library's tests: tables
// of named records, letter codes from text, and a compact text form of the
// rows and element sets a reader filled in.
#pragma once

#include <string>
#include <vector>

#include "fasta.h"
#include "records.h"

namespace tav::test {

using Texts = std::vector<std::string>;
using Codes = std::vector<LetterCode>;
using Letters = std::vector<SequenceLetter>;

// Records with the given names and nothing else set.
template <typename Record = GeneRecord>
std::vector<Record> named(const Texts& names) {
  std::vector<Record> table(names.size());
  for (size_t i = 0; i < names.size(); ++i) table[i].name = names[i];
  return table;
}

// Nucleotide codes of `letters` as symbolMask gives them.
inline Codes codesOf(const std::string& letters) {
  Codes codes;
  for (char c : letters) codes.push_back(symbolMask(c));
  return codes;
}

// Stored nucleotide letters of `letters` (each its own code).
inline Letters lettersOf(const std::string& letters) {
  Letters stored;
  for (char c : letters) stored.push_back(static_cast<SequenceLetter>(symbolMask(c)));
  return stored;
}

inline std::string joined(const std::vector<int32_t>& values) {
  std::string s;
  for (size_t i = 0; i < values.size(); ++i)
    s.append(i ? "," : "").append(std::to_string(values[i]));
  return s;
}

// "a|b|c": one comma-separated index list per record, e.g. "1,3|0||0".
template <typename Record, typename Field>
std::string rows(const std::vector<Record>& table, Field field) {
  std::string s;
  for (size_t i = 0; i < table.size(); ++i) s.append(i ? "|" : "").append(joined(table[i].*field));
  return s;
}

}  // namespace tav::test
