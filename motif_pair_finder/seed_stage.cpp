#include "seed_stage.h"

#include <algorithm>
#include <array>
#include <bit>

#include "console.h"
#include "capacities.h"
#include "random.h"

namespace tav {

namespace {

// Seed digits that a sequence code matches: the code may have no bit outside
// the digit's set.
struct CodeOptions {
  int count = 0;
  std::array<uint8_t, 5> digit{};
};

CodeOptions optionsFor(LetterCode code, int digits) {
  CodeOptions options;
  for (int d = 0; d < digits; ++d) {
    if ((code & ~seedDigitCode(d)) == 0) options.digit[static_cast<size_t>(options.count++)] = static_cast<uint8_t>(d);
  }
  return options;
}

// Options of every code 0..15 for both alphabets; codes above 15 match no seed.
struct OptionTables {
  std::array<CodeOptions, 16> exact;
  std::array<CodeOptions, 16> wildcard;
  OptionTables() {
    for (LetterCode c = 0; c < 16; ++c) {
      exact[c] = optionsFor(c, 4);
      wildcard[c] = optionsFor(c, 5);
    }
  }
};

const CodeOptions& codeOptions(LetterCode code, int digits) {
  static const OptionTables tables;
  static const CodeOptions none;
  if (code >= 16) return none;
  return digits == 5 ? tables.wildcard[code] : tables.exact[code];
}

// Calls visit(value) for every seed number over the first `positions`
// positions that the window matches (digit k weighs digits^k).
template <typename Visit>
void forEachMatchingSeed(const SequenceLetter* window, int positions, int digits, Visit&& visit) {
  std::array<const CodeOptions*, 64> options{};
  std::array<int, 64> choice{};
  std::array<uint64_t, 64> weight{};
  uint64_t value = 0;
  uint64_t w = 1;
  for (int k = 0; k < positions; ++k) {
    options[static_cast<size_t>(k)] = &codeOptions(window[k], digits);
    if (options[static_cast<size_t>(k)]->count == 0) return;
    weight[static_cast<size_t>(k)] = w;
    value += options[static_cast<size_t>(k)]->digit[0] * w;
    w *= static_cast<uint64_t>(digits);
  }
  for (;;) {
    visit(value);
    int k = 0;
    for (; k < positions; ++k) {
      const auto ku = static_cast<size_t>(k);
      const CodeOptions& o = *options[ku];
      if (choice[ku] + 1 < o.count) {
        value += (o.digit[static_cast<size_t>(choice[ku] + 1)] - o.digit[static_cast<size_t>(choice[ku])]) * weight[ku];
        ++choice[ku];
        break;
      }
      value -= (o.digit[static_cast<size_t>(choice[ku])] - o.digit[0]) * weight[ku];
      choice[ku] = 0;
    }
    if (k == positions) return;
  }
}

int complementDigit(int digit) { return digit < 4 ? 3 - digit : 4; }

// Both strands of a record as the occurrence rule reads them.
template <typename Visit>
void forEachStrand(const SequenceRecord& record, Visit&& visit) {
  const int32_t n = scannedLength(record);
  visit(record.codes.data(), n);
  if (record.hasReverse) visit(record.reverseCodes.data(), n);
}

void printProgress(std::ostream& out, int64_t examined, MotifFinderVariant variant) {
  if (variant == MotifFinderVariant::HomoValue) {
    line(out, examined, " motifs have been examined so far...");
  } else {
    line(out, examined, " motif pairs have been examined so far...");
  }
}

int64_t seedExactPairs(const std::vector<SequenceRecord>& records,
                       const std::vector<InteractionPair>& list, int count, int length,
                       int capacity, bool strandMode, std::vector<MotifPair>& queue,
                       std::vector<MaskMotif>& store, std::ostream& out) {
  const auto n = static_cast<int32_t>(records.size());
  SeedOccurrences occurrences;
  buildSeedOccurrences(records, length, strandMode, occurrences);
  Observations observations;
  buildObservations(n, list, count, observations);
  const int64_t total = observations.total();

  // Observations that see each occurring seed on their first side.
  std::vector<int64_t> weight(occurrences.seeds.size(), 0);
  for (size_t s = 0; s < occurrences.seeds.size(); ++s) {
    for (uint32_t i = occurrences.offsets[s]; i < occurrences.offsets[s + 1]; ++i) {
      weight[s] += observations.degree(occurrences.records[i]);
    }
  }

  std::vector<uint32_t> canonical;
  std::vector<int32_t> occurrenceOf;
  const uint64_t space = seedSpaceSize(length, 4);
  for (uint64_t v = 0, j = 0; v < space; ++v) {
    if (strandMode && !isCanonicalSeed(v, length, 4)) continue;
    canonical.push_back(static_cast<uint32_t>(v));
    while (j < occurrences.seeds.size() && occurrences.seeds[j] < v) ++j;
    occurrenceOf.push_back(j < occurrences.seeds.size() && occurrences.seeds[j] == v ? static_cast<int32_t>(j) : -1);
  }

  // facing[w]: observations whose first side holds seed A and second side is w.
  std::vector<int64_t> facing(static_cast<size_t>(n), 0);
  int64_t examined = 0;
  for (size_t a = 0; a < canonical.size(); ++a) {
    const int32_t oa = occurrenceOf[a];
    const int64_t nA = oa >= 0 ? weight[static_cast<size_t>(oa)] : 0;
    if (oa >= 0) {
      for (uint32_t i = occurrences.offsets[static_cast<size_t>(oa)]; i < occurrences.offsets[static_cast<size_t>(oa) + 1]; ++i) {
        const auto v = static_cast<size_t>(occurrences.records[i]);
        for (uint32_t p = observations.offsets[v]; p < observations.offsets[v + 1]; ++p) {
          ++facing[static_cast<size_t>(observations.partners[p])];
        }
      }
    }
    // Every seed that occurs nowhere scores the same against A.
    const double againstAbsent = mutualInformation(countsFromMargins(total, nA, 0, 0));
    for (size_t b = a; b < canonical.size(); ++b) {
      const int32_t ob = occurrenceOf[b];
      double x = againstAbsent;
      if (ob >= 0) {
        int64_t both = 0;
        if (oa >= 0) {
          for (uint32_t i = occurrences.offsets[static_cast<size_t>(ob)]; i < occurrences.offsets[static_cast<size_t>(ob) + 1]; ++i) {
            both += facing[static_cast<size_t>(occurrences.records[i])];
          }
        }
        x = mutualInformation(countsFromMargins(total, nA, weight[static_cast<size_t>(ob)], both));
      }
      if (queueAccepts(queue, capacity, x)) {
        insertMotifPair(queue, store, capacity, seedMotif(canonical[a], length, 4),
                        seedMotif(canonical[b], length, 4), x);
      }
      ++examined;
      if (examined % 1000 == 0) printProgress(out, examined, MotifFinderVariant::Pairs);
    }
    if (oa >= 0) std::fill(facing.begin(), facing.end(), 0);
  }
  return examined;
}

// Tavrin-N.HV: seeds are processed in blocks of consecutive numbers that share
// their last positions, so the presence bitsets of one block stay small.
int64_t seedHomoValueMotifs(const std::vector<SequenceRecord>& records,
                            const std::vector<InteractionPair>& list, int count, int length,
                            int capacity, bool strandMode, std::vector<MotifPair>& queue,
                            std::vector<MaskMotif>& store, std::ostream& out, size_t blockBytes) {
  const auto n = static_cast<int32_t>(records.size());
  Observations observations;
  buildObservations(n, list, count, observations);
  const int64_t total = observations.total();
  const auto words = static_cast<size_t>((n + 63) / 64);

  int prefix = 1;
  while (prefix < length && seedSpaceSize(prefix + 1, 5) * words * 8 <= blockBytes) ++prefix;
  const uint64_t blockSize = seedSpaceSize(prefix, 5);
  const uint64_t blocks = seedSpaceSize(length - prefix, 5);
  std::vector<uint64_t> bits;

  int64_t examined = 0;
  for (uint64_t block = 0; block < blocks; ++block) {
    const uint64_t base = block * blockSize;
    bool anyCanonical = !strandMode;
    for (uint64_t p = 0; p < blockSize && !anyCanonical; ++p) anyCanonical = isCanonicalSeed(base + p, length, 5);
    if (!anyCanonical) continue;

    std::array<LetterCode, 64> suffix{};
    uint64_t rest = block;
    for (int k = prefix; k < length; ++k) {
      suffix[static_cast<size_t>(k)] = seedDigitCode(static_cast<int>(rest % 5));
      rest /= 5;
    }
    bits.assign(blockSize * words, 0);
    for (int32_t r = 0; r < n; ++r) {
      const uint64_t bit = uint64_t{1} << (r & 63);
      const size_t word = static_cast<size_t>(r >> 6);
      forEachStrand(records[static_cast<size_t>(r)], [&](const SequenceLetter* codes, int32_t len) {
        for (int32_t s = 0; s + length <= len; ++s) {
          bool matches = true;
          for (int k = prefix; k < length && matches; ++k) {
            matches = (codes[s + k] & ~suffix[static_cast<size_t>(k)]) == 0;
          }
          if (!matches) continue;
          forEachMatchingSeed(codes + s, prefix, 5, [&](uint64_t p) { bits[p * words + word] |= bit; });
        }
      });
    }

    for (uint64_t p = 0; p < blockSize; ++p) {
      const uint64_t value = base + p;
      if (strandMode && !isCanonicalSeed(value, length, 5)) continue;
      const uint64_t* row = bits.data() + p * words;
      int64_t present = 0;
      int64_t both = 0;
      for (size_t wi = 0; wi < words; ++wi) {
        for (uint64_t word = row[wi]; word != 0; word &= word - 1) {
          const size_t v = wi * 64 + static_cast<size_t>(std::countr_zero(word));
          present += observations.degree(static_cast<int32_t>(v));
          for (uint32_t q = observations.offsets[v]; q < observations.offsets[v + 1]; ++q) {
            const auto w = static_cast<uint32_t>(observations.partners[q]);
            both += static_cast<int64_t>((row[w >> 6] >> (w & 63)) & 1);
          }
        }
      }
      const double x = mutualInformation(countsFromMargins(total, present, present, both));
      if (queueAccepts(queue, capacity, x)) {
        const MaskMotif motif = seedMotif(value, length, 5);
        insertMotifPair(queue, store, capacity, motif, motif, x);
      }
      ++examined;
      if (examined % 1000 == 0) printProgress(out, examined, MotifFinderVariant::HomoValue);
    }
  }
  return examined;
}

}  // namespace

int seedDigits(MotifFinderVariant variant) { return variant == MotifFinderVariant::HomoValue ? 5 : 4; }

uint64_t seedSpaceSize(int length, int digits) {
  uint64_t size = 1;
  for (int k = 0; k < length; ++k) size *= static_cast<uint64_t>(digits);
  return size;
}

LetterCode seedDigitCode(int digit) {
  static constexpr LetterCode kCodes[5] = {1, 2, 4, 8, 15};
  return digit >= 0 && digit < 5 ? kCodes[digit] : 0;
}

MaskMotif seedMotif(uint64_t value, int length, int digits) {
  MaskMotif motif;
  motif.sets.reserve(static_cast<size_t>(std::max(length, 0)));
  for (int k = 0; k < length; ++k) {
    motif.sets.push_back(seedDigitCode(static_cast<int>(value % static_cast<uint64_t>(digits))));
    value /= static_cast<uint64_t>(digits);
  }
  return motif;
}

bool isCanonicalSeed(uint64_t value, int length, int digits) {
  std::array<int, 64> digit{};
  if (length > 64) return true;
  for (int k = 0; k < length; ++k) {
    digit[static_cast<size_t>(k)] = static_cast<int>(value % static_cast<uint64_t>(digits));
    value /= static_cast<uint64_t>(digits);
  }
  for (int k = length - 1; k >= 0; --k) {
    const int mirrored = complementDigit(digit[static_cast<size_t>(length - 1 - k)]);
    if (mirrored < digit[static_cast<size_t>(k)]) return false;
    if (mirrored > digit[static_cast<size_t>(k)]) return true;
  }
  return true;
}

void shuffleSequences(std::vector<SequenceRecord>& records) {
  for (SequenceRecord& record : records) {
    const int32_t length = std::min<int32_t>(record.length, static_cast<int32_t>(record.codes.size()));
    for (int32_t i = 0; i + 1 < length; ++i) {
      const int32_t j = i + drawRandom() % (length - i);
      std::swap(record.codes[static_cast<size_t>(i)], record.codes[static_cast<size_t>(j)]);
    }
  }
}

void buildSeedOccurrences(const std::vector<SequenceRecord>& records, int length, bool strandMode,
                          SeedOccurrences& occurrences) {
  occurrences = SeedOccurrences{};
  occurrences.length = length;
  // The distinct canonical seeds of each record, record by record.
  std::vector<uint32_t> values;
  std::vector<size_t> recordStart(records.size() + 1, 0);
  std::vector<uint32_t> scratch;
  for (size_t r = 0; r < records.size(); ++r) {
    scratch.clear();
    forEachStrand(records[r], [&](const SequenceLetter* codes, int32_t len) {
      for (int32_t s = 0; s + length <= len; ++s) {
        forEachMatchingSeed(codes + s, length, 4, [&](uint64_t v) { scratch.push_back(static_cast<uint32_t>(v)); });
      }
    });
    std::sort(scratch.begin(), scratch.end());
    scratch.erase(std::unique(scratch.begin(), scratch.end()), scratch.end());
    for (uint32_t v : scratch) {
      if (!strandMode || isCanonicalSeed(v, length, 4)) values.push_back(v);
    }
    recordStart[r + 1] = values.size();
  }
  occurrences.seeds = values;
  std::sort(occurrences.seeds.begin(), occurrences.seeds.end());
  occurrences.seeds.erase(std::unique(occurrences.seeds.begin(), occurrences.seeds.end()), occurrences.seeds.end());
  const size_t seeds = occurrences.seeds.size();
  occurrences.offsets.assign(seeds + 1, 0);
  std::vector<uint32_t> slot(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const auto at = std::lower_bound(occurrences.seeds.begin(), occurrences.seeds.end(), values[i]);
    slot[i] = static_cast<uint32_t>(at - occurrences.seeds.begin());
    ++occurrences.offsets[slot[i] + 1];
  }
  for (size_t s = 0; s < seeds; ++s) occurrences.offsets[s + 1] += occurrences.offsets[s];
  occurrences.records.assign(values.size(), 0);
  std::vector<uint32_t> cursor(occurrences.offsets.begin(), occurrences.offsets.end() - 1);
  for (size_t r = 0; r < records.size(); ++r) {
    for (size_t i = recordStart[r]; i < recordStart[r + 1]; ++i) {
      occurrences.records[cursor[slot[i]]++] = static_cast<int32_t>(r);
    }
  }
}

int64_t seedMotifPairs(const std::vector<SequenceRecord>& records,
                       const std::vector<InteractionPair>& list, int count, int seedLength,
                       int queueSize, bool strandMode, MotifFinderVariant variant,
                       std::vector<MotifPair>& queue, std::vector<MaskMotif>& store,
                       std::ostream& out, size_t blockBytes) {
  const int capacity = std::clamp(queueSize, 1, kSeedQueueCapacity);
  queue.clear();
  store.clear();
  seedLength = std::clamp(seedLength, 1, kMaxSeedLength);
  if (variant == MotifFinderVariant::HomoValue) {
    return seedHomoValueMotifs(records, list, count, seedLength, capacity, strandMode, queue, store, out,
                               blockBytes);
  }
  return seedExactPairs(records, list, count, seedLength, capacity, strandMode, queue, store, out);
}

}  // namespace tav
