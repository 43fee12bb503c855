#include "climb_index.h"

#include <algorithm>
#include <array>
#include <bit>

namespace tav {

namespace {

// For each set 1..15, the code values 0..15 it allows, as a 16-bit mask.
const std::array<uint16_t, 16>& codesAllowedBy() {
  static const std::array<uint16_t, 16> table = [] {
    std::array<uint16_t, 16> t{};
    for (LetterCode s = 0; s < 16; ++s) {
      for (LetterCode code = 0; code < 16; ++code) {
        if ((code & ~s) == 0) t[s] = static_cast<uint16_t>(t[s] | (1u << code));
      }
    }
    return t;
  }();
  return table;
}

// Word w of a bitset of `words` words moved down by `by` bits (bit p of the
// result is bit p + by of the bitset).
inline uint64_t shiftedWord(const uint64_t* bits, size_t words, size_t w, size_t by) {
  const size_t from = w + by / 64;
  if (from >= words) return 0;
  const unsigned shift = static_cast<unsigned>(by % 64);
  if (shift == 0) return bits[from];
  const uint64_t high = from + 1 < words ? bits[from + 1] : 0;
  return (bits[from] >> shift) | (high << (64 - shift));
}

}  // namespace

bool codesAllow(uint16_t codes, LetterCode set) {
  // Codes above 15 never reach the mask; a set's bits above 15 allow nothing more.
  return (codes & codesAllowedBy()[set & 15u]) != 0;
}

ClimbIndex::ClimbIndex(const std::vector<SequenceRecord>& records) : records_(records) {
  firstStrand_.push_back(0);
  auto addStrand = [this](const SequenceLetter* codes, int32_t length) {
    Strand strand;
    strand.length = length;
    strand.words = (length + 63) / 64;
    const auto words = static_cast<size_t>(strand.words);
    std::array<int, 16> classOf;
    classOf.fill(-1);
    for (int32_t p = 0; p < length; ++p) {
      if (codes[p] >= 16) continue;
      int& c = classOf[codes[p]];
      if (c < 0) {
        c = static_cast<int>(strand.classCodes.size());
        strand.classCodes.push_back(static_cast<uint8_t>(codes[p]));
        strand.classBits.resize(strand.classBits.size() + words, 0);
      }
      strand.classBits[static_cast<size_t>(c) * words + static_cast<size_t>(p >> 6)] |= uint64_t{1}
                                                                                        << (p & 63);
    }
    strands_.push_back(std::move(strand));
  };
  for (const SequenceRecord& record : records) {
    const int32_t length = scannedLength(record);
    addStrand(record.codes.data(), length);
    if (record.hasReverse) addStrand(record.reverseCodes.data(), length);
    firstStrand_.push_back(strands_.size());
  }
}

void ClimbIndex::scanStrand(const Strand& strand, const MaskMotif& motif, uint16_t* codes) const {
  const int m = motif.length();
  const int32_t n = strand.length;
  if (n < m) return;
  const auto words = static_cast<size_t>(strand.words);
  const auto mu = static_cast<size_t>(m);
  const size_t classes = strand.classCodes.size();
  union_.resize(words);
  shifted_.assign(mu * words, 0);
  prefix_.resize((mu + 1) * words);
  suffix_.resize((mu + 1) * words);

  // shifted_ k bit p: position p + k allows the motif's set at k, that is
  // holds a code with no bit outside the set: the union of the classes the
  // set allows, moved down by k.
  for (size_t k = 0; k < mu; ++k) {
    const LetterCode set = motif.sets[k] & 15u;
    if (set == 0) continue;
    std::fill(union_.begin(), union_.end(), 0);
    for (size_t c = 0; c < classes; ++c) {
      if ((strand.classCodes[c] & ~set) != 0) continue;
      const uint64_t* source = strand.classBits.data() + c * words;
      for (size_t w = 0; w < words; ++w) union_[w] |= source[w];
    }
    uint64_t* target = shifted_.data() + k * words;
    for (size_t w = 0; w < words; ++w) target[w] = shiftedWord(union_.data(), words, w, k);
  }
  // Window starts 0 .. n - m.
  const int32_t starts = n - m + 1;
  for (size_t w = 0; w < words; ++w) {
    const int64_t left = static_cast<int64_t>(starts) - static_cast<int64_t>(w) * 64;
    prefix_[w] = left >= 64 ? ~uint64_t{0} : left <= 0 ? 0 : (uint64_t{1} << left) - 1;
    suffix_[mu * words + w] = ~uint64_t{0};
  }
  for (size_t k = 0; k < mu; ++k) {
    for (size_t w = 0; w < words; ++w)
      prefix_[(k + 1) * words + w] = prefix_[k * words + w] & shifted_[k * words + w];
  }
  for (size_t k = mu; k-- > 0;) {
    for (size_t w = 0; w < words; ++w)
      suffix_[k * words + w] = suffix_[(k + 1) * words + w] & shifted_[k * words + w];
  }
  // The windows matching every position but i (few) meet class c at i when
  // its bits moved down by i share a window start.
  for (size_t i = 0; i < mu; ++i) {
    uint16_t found = codes[i];
    for (size_t w = 0; w < words; ++w) {
      const uint64_t x = prefix_[i * words + w] & suffix_[(i + 1) * words + w];
      if (x == 0) continue;
      for (size_t c = 0; c < classes; ++c) {
        if ((x & shiftedWord(strand.classBits.data() + c * words, words, w, i)) != 0)
          found = static_cast<uint16_t>(found | (1u << strand.classCodes[c]));
      }
    }
    codes[i] = found;
  }
}

void scanPlain(const std::vector<SequenceRecord>& records, const MaskMotif& motif,
               PositionCodes& result) {
  const size_t m = motif.sets.size();
  result.length = static_cast<int>(m);
  result.codes.assign(records.size() * m, 0);
  result.present.assign(records.size(), m == 0 ? 1 : 0);
  if (m == 0) return;
  auto allows = [&](size_t k, LetterCode code) {
    const LetterCode set = motif.sets[k] & 15u;
    return set != 0 && code < 16 && (code & ~set) == 0;
  };
  for (size_t r = 0; r < records.size(); ++r) {
    const SequenceRecord& record = records[r];
    const auto length = static_cast<size_t>(scannedLength(record));
    uint16_t* codes = result.codes.data() + r * m;
    for (const std::vector<SequenceLetter>* strand : {&record.codes, &record.reverseCodes}) {
      if (strand == &record.reverseCodes && !record.hasReverse) continue;
      for (size_t p = 0; p + m <= length; ++p) {
        for (size_t i = 0; i < m; ++i) {
          bool others = true;
          for (size_t k = 0; k < m && others; ++k) others = k == i || allows(k, (*strand)[p + k]);
          const LetterCode code = (*strand)[p + i];
          if (others && code < 16) codes[i] = static_cast<uint16_t>(codes[i] | (1u << code));
        }
      }
    }
    result.present[r] = codesAllow(codes[0], motif.sets[0]) ? 1 : 0;
  }
}

void ClimbIndex::scan(const MaskMotif& motif, PositionCodes& result) const {
  const size_t records = records_.size();
  const auto m = static_cast<size_t>(motif.length());
  result.length = motif.length();
  result.codes.assign(records * m, 0);
  result.present.assign(records, m == 0 ? 1 : 0);
  if (m == 0) return;
  for (size_t r = 0; r < records; ++r) {
    uint16_t* codes = result.codes.data() + r * m;
    for (size_t s = firstStrand_[r]; s < firstStrand_[r + 1]; ++s)
      scanStrand(strands_[s], motif, codes);
    // A window matching every position but the first, with a fitting code there, is a match.
    result.present[r] = codesAllow(codes[0], motif.sets[0]) ? 1 : 0;
  }
}

}  // namespace tav
