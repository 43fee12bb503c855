// Bit-parallel view of the sequences for the hill climb. A climb step tries
// all 15 position sets at every position of a motif; rather than searching
// each candidate on its own, one pass per record finds, for every position
// i, the codes that stand at i in the windows matching all other positions.
// A candidate with set s at i then occurs exactly when one of those codes
// has no bit outside s.
#pragma once

#include <cstdint>
#include <vector>

#include "motif_model.h"
#include "records.h"

namespace tav {

// Result of one scan: for record r and motif position i, bit c of
// codes[r * length + i] is set when code c (0..15) stands at position i of a
// window (on either strand) that matches every other position of the motif.
struct PositionCodes {
  int length = 0;
  std::vector<uint16_t> codes;
  std::vector<uint8_t> present;  // per record: the motif itself occurs
};

// True when one of the codes in the 16-bit mask has no bit outside `set`.
bool codesAllow(uint16_t codes, LetterCode set);

// What ClimbIndex::scan finds, window by window: the plain form, for tests.
void scanPlain(const std::vector<SequenceRecord>& records, const MaskMotif& motif,
               PositionCodes& result);

class ClimbIndex {
 public:
  // Keeps a reference to the records, which must outlive the index and keep
  // their codes unchanged.
  explicit ClimbIndex(const std::vector<SequenceRecord>& records);

  void scan(const MaskMotif& motif, PositionCodes& result) const;

 private:
  // One strand of a record, its positions grouped by code ("classes": the
  // distinct codes below 16 on the strand, a handful; codes from 16 on are
  // allowed by no set and belong to none): bit p of class c's bitset, at
  // classBits[c * words], is set when position p holds classCodes[c]. A set's
  // positions are the union of the classes it allows, and the codes a scan
  // finds at a motif position come from which classes meet its windows, so a
  // scan reads a few bitsets a strand and never the letters themselves.
  struct Strand {
    int32_t length = 0;
    int32_t words = 0;
    std::vector<uint8_t> classCodes;
    std::vector<uint64_t> classBits;
  };

  void scanStrand(const Strand& strand, const MaskMotif& motif, uint16_t* codes) const;

  const std::vector<SequenceRecord>& records_;
  std::vector<Strand> strands_;
  std::vector<size_t> firstStrand_;  // records + 1 entries into strands_
  // Scratch of a scan: the union of the classes a set allows, the shifted
  // position masks, prefix and suffix products.
  mutable std::vector<uint64_t> union_;
  mutable std::vector<uint64_t> shifted_;
  mutable std::vector<uint64_t> prefix_;
  mutable std::vector<uint64_t> suffix_;
};

}  // namespace tav
