// Fuzz target: the climb index's bit-parallel scan (positions grouped by
// code) against the window-by-window scan. The input gives the records'
// codes (any value, so codes from 16 on and code 0 occur), the strands and
// the motif's position sets.
#include <vector>

#include "climb_index.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t motifLength = data[0] % 12;
  const int records = data[1] % 6 + 1;
  size_t at = 2;
  auto next = [&]() -> int { return at < size ? data[at++] : 0; };
  tav::MaskMotif motif;
  for (size_t k = 0; k < motifLength; ++k)
    motif.sets.push_back(static_cast<tav::LetterCode>(next() % 17));
  std::vector<tav::SequenceRecord> table(static_cast<size_t>(records));
  for (tav::SequenceRecord& record : table) {
    const int shape = next();
    const int length = shape % 150;
    record.hasReverse = (shape & 128) != 0;
    for (int p = 0; p < length; ++p) {
      // Mostly single letters, sometimes any code.
      const int v = next();
      record.codes.push_back(v < 200 ? tav::LetterCode{1} << (v % 4)
                                     : static_cast<tav::LetterCode>(v % 20));
      if (record.hasReverse) record.reverseCodes.push_back(tav::LetterCode{1} << ((v / 4) % 4));
    }
    record.length = length;
  }
  const tav::ClimbIndex index(table);
  tav::PositionCodes fast;
  tav::PositionCodes plain;
  index.scan(motif, fast);
  tav::scanPlain(table, motif, plain);
  FUZZ_CHECK(fast.length == plain.length);
  FUZZ_CHECK(fast.codes == plain.codes);
  FUZZ_CHECK(fast.present == plain.present);
  return 0;
}
