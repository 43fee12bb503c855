#include "climb_index.h"

#include <algorithm>
#include <array>
#include <bit>

namespace tav {

namespace {

constexpr int kSets = 15;

// For each code 0..15, the position sets 1..15 that allow it (bit s - 1).
const std::array<uint16_t, 16>& setsAllowing() {
  static const std::array<uint16_t, 16> table = [] {
    std::array<uint16_t, 16> t{};
    for (LetterCode code = 0; code < 16; ++code) {
      for (LetterCode s = 1; s <= kSets; ++s) {
        if ((code & ~s) == 0) t[code] = static_cast<uint16_t>(t[code] | (1u << (s - 1)));
      }
    }
    return t;
  }();
  return table;
}

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

}  // namespace

bool codesAllow(uint16_t codes, LetterCode set) {
  // Codes above 15 never reach the mask; a set's bits above 15 allow nothing more.
  return (codes & codesAllowedBy()[set & 15u]) != 0;
}

ClimbIndex::ClimbIndex(const std::vector<SequenceRecord>& records) : records_(records) {
  firstStrand_.push_back(0);
  auto addStrand = [this](const LetterCode* codes, int32_t length) {
    Strand strand;
    strand.letters.resize(static_cast<size_t>(std::max(length, 0)));
    for (int32_t p = 0; p < length; ++p)
      strand.letters[static_cast<size_t>(p)] = static_cast<uint8_t>(std::min<LetterCode>(codes[p], 16));
    strand.length = length;
    strand.words = (length + 63) / 64;
    strand.masks.assign(static_cast<size_t>(kSets) * static_cast<size_t>(strand.words), 0);
    for (int32_t p = 0; p < length; ++p) {
      if (codes[p] >= 16) continue;
      const uint64_t bit = uint64_t{1} << (p & 63);
      const auto word = static_cast<size_t>(p >> 6);
      for (uint32_t sets = setsAllowing()[codes[p]]; sets != 0; sets &= sets - 1) {
        const auto s = static_cast<size_t>(std::countr_zero(sets));
        strand.masks[s * static_cast<size_t>(strand.words) + word] |= bit;
      }
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
  shifted_.assign(mu * words, 0);
  prefix_.assign((mu + 1) * words, 0);
  suffix_.assign((mu + 1) * words, ~uint64_t{0});

  // shifted_k bit p: position p + k allows the motif's set at k.
  for (size_t k = 0; k < mu; ++k) {
    const LetterCode set = motif.sets[k] & 15u;
    if (set == 0) continue;
    const uint64_t* source = strand.masks.data() + static_cast<size_t>(set - 1) * words;
    const size_t skip = k / 64;
    const unsigned bits = static_cast<unsigned>(k % 64);
    uint64_t* target = shifted_.data() + k * words;
    for (size_t w = 0; w + skip < words; ++w) {
      const uint64_t low = source[w + skip];
      const uint64_t high = w + skip + 1 < words ? source[w + skip + 1] : 0;
      target[w] = bits == 0 ? low : (low >> bits) | (high << (64 - bits));
    }
  }
  // Window starts 0 .. n - m.
  const int32_t starts = n - m + 1;
  for (size_t w = 0; w < words; ++w) {
    const int64_t left = static_cast<int64_t>(starts) - static_cast<int64_t>(w) * 64;
    prefix_[w] = left >= 64 ? ~uint64_t{0} : left <= 0 ? 0 : (uint64_t{1} << left) - 1;
  }
  for (size_t k = 0; k < mu; ++k) {
    for (size_t w = 0; w < words; ++w) prefix_[(k + 1) * words + w] = prefix_[k * words + w] & shifted_[k * words + w];
  }
  for (size_t k = mu; k-- > 0;) {
    for (size_t w = 0; w < words; ++w) suffix_[k * words + w] = suffix_[(k + 1) * words + w] & shifted_[k * words + w];
  }
  for (size_t i = 0; i < mu; ++i) {
    uint16_t found = codes[i];
    for (size_t w = 0; w < words; ++w) {
      for (uint64_t x = prefix_[i * words + w] & suffix_[(i + 1) * words + w]; x != 0; x &= x - 1) {
        const size_t p = w * 64 + static_cast<size_t>(std::countr_zero(x));
        const uint8_t code = strand.letters[p + i];
        if (code < 16) found = static_cast<uint16_t>(found | (1u << code));
      }
    }
    codes[i] = found;
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
    for (size_t s = firstStrand_[r]; s < firstStrand_[r + 1]; ++s) scanStrand(strands_[s], motif, codes);
    // A window matching every position but the first, with a fitting code there, is a match.
    result.present[r] = codesAllow(codes[0], motif.sets[0]) ? 1 : 0;
  }
}

}  // namespace tav
