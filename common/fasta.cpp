#include "fasta.h"

#include <algorithm>
#include <bit>
#include <string>

#include "capacities.h"
#include "console.h"
#include "line_reader.h"

namespace tav {

LetterCode symbolMask(char c) {
  switch (c) {
    case 'T': case 't': case 'U': case 'u': return 1;
    case 'C': case 'c': return 2;
    case 'G': case 'g': return 4;
    case 'A': case 'a': return 8;
    case 'N': case '.': return kAnyNucleotide;
    default: return 0;
  }
}

LetterCode fastaSymbolMask(char c) { return c == '.' ? 0 : symbolMask(c); }

LetterCode proteinSymbolMask(char c) {
  static constexpr char kLetters[] = "ARNDCQEGHILKMFPSTWYV";
  for (int i = 0; i < 20; ++i) {
    if (c == kLetters[i]) return LetterCode{1} << i;
  }
  switch (c) {
    case 'B': return 12;
    case 'Z': return 96;
    case 'X': case '.': return kAnyProtein;
    default: return 0;
  }
}

SequenceLetter proteinLetter(char c) {
  static constexpr char kLetters[] = "ARNDCQEGHILKMFPSTWYVBZX";
  if (c == '.') return kAnyProteinLetter;
  for (int i = 0; i < 23; ++i) {
    if (c == kLetters[i]) return static_cast<SequenceLetter>(kFirstProteinLetter + i);
  }
  return 0;
}

LetterCode complementCode(LetterCode code) {
  return ((code & 1u) << 3) | ((code & 2u) << 1) | ((code & 4u) >> 1) | ((code & 8u) >> 3);
}

namespace {

// The entry name: the header text after '>' up to the first blank, ',', ';'
// or '|'. Tabs stay in the name.
std::string headerName(const std::string& line) {
  size_t end = line.find_first_of(" ,;|", 1);
  if (end == std::string::npos) end = line.size();
  return line.substr(1, end - 1);
}

void tooManyWarning(std::ostream& out) {
  line(out, "WARNING: More than ", kMaxRecords, " sequences were found. The rest of the file will be ignored.");
}

// Stores the collected letters in an array of exactly their number.
void finishRecord(SequenceRecord& record, const std::vector<SequenceLetter>& buffer) {
  record.codes.assign(buffer.begin(), buffer.end());
  record.length = static_cast<int32_t>(buffer.size());
}

}  // namespace

int readFasta(std::istream& in, std::vector<GeneRecord>& genes, bool /*withRows*/, std::ostream& out) {
  genes.clear();
  std::string piece;
  while (readLinePiece(in, piece, kFastaLinePiece)) {
    if (piece.empty() || piece[0] != '>') continue;
    if (static_cast<int>(genes.size()) >= kMaxRecords) {
      tooManyWarning(out);
      break;
    }
    GeneRecord gene;
    gene.name = headerName(piece);
    genes.push_back(std::move(gene));
  }
  return static_cast<int>(genes.size());
}

int readFasta(std::istream& in, std::vector<SequenceRecord>& records, SequenceAlphabet alphabet,
              int lengthLimit, std::ostream& out) {
  records.clear();
  const size_t limit = static_cast<size_t>(std::max(lengthLimit, 0));
  // Nucleotide letters are stored as their codes.
  const bool protein = alphabet == SequenceAlphabet::Protein;
  LetterCode (*nucleotideCode)(char) =
      alphabet == SequenceAlphabet::Nucleotide ? symbolMask : fastaSymbolMask;
  const SequenceLetter anyLetterByte =
      protein ? kAnyProteinLetter : static_cast<SequenceLetter>(kAnyNucleotide);
  const char* anyLetter = protein ? "X." : "N.";

  std::vector<SequenceLetter> buffer;  // letters of the current entry; grows with the entry
  std::string piece;
  while (readLinePiece(in, piece, kFastaLinePiece)) {
    if (!piece.empty() && piece[0] == '>') {
      if (!records.empty()) finishRecord(records.back(), buffer);
      if (static_cast<int>(records.size()) >= kMaxRecords) {
        tooManyWarning(out);
        buffer.clear();  // the last record is already complete
        return static_cast<int>(records.size());
      }
      SequenceRecord record;
      record.name = headerName(piece);
      records.push_back(std::move(record));
      buffer.clear();
      continue;
    }
    if (records.empty() || piece.empty()) continue;
    const std::string& name = records.back().name;
    for (char c : piece) {
      if (buffer.size() >= limit) {
        line(out, "WARNING: ", name, " is too long. ", "Sequence will be shortened to ", limit, " characters.");
        break;
      }
      SequenceLetter letter =
          protein ? proteinLetter(c) : static_cast<SequenceLetter>(nucleotideCode(c));
      if (letter == 0) {
        line(out, "WARNING: ", name, " contains illegal characters. ", "Illegal characters will be treated as ",
             anyLetter);
        letter = anyLetterByte;
      }
      buffer.push_back(letter);
    }
  }
  if (!records.empty()) finishRecord(records.back(), buffer);
  return static_cast<int>(records.size());
}

void buildReverseComplements(std::vector<SequenceRecord>& records) {
  for (SequenceRecord& record : records) {
    const size_t n = record.codes.size();
    record.reverseCodes.resize(n);
    for (size_t i = 0; i < n; ++i) {
      record.reverseCodes[i] = static_cast<SequenceLetter>(complementCode(record.codes[n - 1 - i]));
    }
    record.hasReverse = true;
  }
}

namespace {

// Number of codes that may be read: the record's length, never more than the
// array holds.
int32_t usableLength(const SequenceRecord& record) {
  int64_t n = std::min<int64_t>(record.length, static_cast<int64_t>(record.codes.size()));
  if (record.hasReverse) n = std::min<int64_t>(n, static_cast<int64_t>(record.reverseCodes.size()));
  return static_cast<int32_t>(std::max<int64_t>(n, 0));
}

bool windowMatches(const LetterCode* motif, int length, const SequenceLetter* codes) {
  for (int i = 0; i < length; ++i) {
    if ((letterCode(codes[i]) & ~motif[i]) != 0) return false;
  }
  return true;
}

}  // namespace

int motifOccursReference(const LetterCode* motif, int length, const SequenceRecord& record) {
  if (length <= 0) return 1;
  const int32_t n = usableLength(record);
  for (int32_t s = 0; s + length <= n; ++s) {
    if (windowMatches(motif, length, record.codes.data() + s)) return 1;
    if (record.hasReverse && windowMatches(motif, length, record.reverseCodes.data() + s)) return 1;
  }
  return 0;
}

namespace {

constexpr size_t kMaxClasses = 32;  // class sets are 32-bit masks
constexpr uint32_t kInvertFlag = uint32_t{1} << 31;  // in StrandIndex::smallMatch

// Groups the positions of one strand by code value; false when the strand
// holds more distinct values than a class mask can name.
bool buildStrandIndex(const SequenceLetter* codes, int32_t n, int32_t words, StrandIndex& strand) {
  strand.classCodes.clear();
  std::vector<uint8_t> classOf(static_cast<size_t>(n));
  size_t last = 0;
  for (int32_t p = 0; p < n; ++p) {
    const LetterCode code = letterCode(codes[p]);
    size_t j = last;
    if (j >= strand.classCodes.size() || strand.classCodes[j] != code) {
      j = std::find(strand.classCodes.begin(), strand.classCodes.end(), code) - strand.classCodes.begin();
      if (j == strand.classCodes.size()) {
        if (j == kMaxClasses) return false;
        strand.classCodes.push_back(code);
      }
      last = j;
    }
    classOf[static_cast<size_t>(p)] = static_cast<uint8_t>(j);
  }
  // Word-major with one zero row past the end, so a window that straddles
  // two words can always read the second one.
  const size_t classes = strand.classCodes.size();
  strand.bits.assign((static_cast<size_t>(words) + 1) * classes, 0);
  for (int32_t p = 0; p < n; ++p) {
    strand.bits[static_cast<size_t>(p >> 6) * classes + classOf[static_cast<size_t>(p)]] |= uint64_t{1} << (p & 63);
  }
  strand.smallMatch.clear();
  if (std::all_of(strand.classCodes.begin(), strand.classCodes.end(), [](LetterCode c) { return c <= 15; })) {
    strand.smallMatch.assign(16, 0);
    for (LetterCode allowed = 0; allowed < 16; ++allowed) {
      uint32_t match = 0;
      for (size_t j = 0; j < classes; ++j) {
        if ((strand.classCodes[j] & ~allowed) == 0) match |= uint32_t{1} << j;
      }
      // At most 16 classes here, so bit 31 is free to say "fewer fail than match".
      if (2 * static_cast<size_t>(std::popcount(match)) > classes) match |= kInvertFlag;
      strand.smallMatch[allowed] = match;
    }
  }
  return true;
}

}  // namespace

void indexSequence(SequenceRecord& record, SequenceAlphabet /*alphabet*/) {
  record.index = OccurrenceIndex{};
  const int32_t n = record.length;
  if (n < 0 || record.codes.size() != static_cast<size_t>(n)) return;
  if (record.hasReverse && record.reverseCodes.size() != static_cast<size_t>(n)) return;
  OccurrenceIndex index;
  index.words = (n + 63) / 64;
  if (!buildStrandIndex(record.codes.data(), n, index.words, index.forward)) return;
  if (record.hasReverse && !buildStrandIndex(record.reverseCodes.data(), n, index.words, index.reverse)) return;
  index.length = n;
  index.withReverse = record.hasReverse;
  index.forwardData = reinterpret_cast<uintptr_t>(record.codes.data());
  index.reverseData = reinterpret_cast<uintptr_t>(record.reverseCodes.data());
  record.index = std::move(index);
}

void indexSequences(std::vector<SequenceRecord>& records, SequenceAlphabet alphabet) {
  for (SequenceRecord& record : records) indexSequence(record, alphabet);
}

namespace {
size_t strandBytes(const StrandIndex& strand) {
  return strand.classCodes.capacity() * sizeof(LetterCode) +
         strand.bits.capacity() * sizeof(uint64_t) +
         strand.smallMatch.capacity() * sizeof(uint32_t);
}
}  // namespace

size_t indexSequencesWithin(std::vector<SequenceRecord>& records, SequenceAlphabet alphabet,
                            size_t maxBytes) {
  size_t used = 0;
  for (SequenceRecord& record : records) {
    indexSequence(record, alphabet);
    const size_t bytes = strandBytes(record.index.forward) + strandBytes(record.index.reverse);
    if (bytes > maxBytes - used) {
      record.index = OccurrenceIndex{};
      continue;
    }
    used += bytes;
  }
  return used;
}

bool hasCurrentIndex(const SequenceRecord& record) {
  const OccurrenceIndex& index = record.index;
  return index.length >= 0 && index.length == record.length && index.withReverse == record.hasReverse &&
         index.forwardData == reinterpret_cast<uintptr_t>(record.codes.data()) &&
         index.reverseData == reinterpret_cast<uintptr_t>(record.reverseCodes.data());
}

namespace {

// How one motif position reads on one strand: which classes to OR together
// for a word of matching positions, and whether to invert the result (when
// fewer classes fail than match).
// Left uninitialised in the scan's cache: only computed plans are read.
struct PositionPlan {
  uint32_t classes;
  enum Kind : uint8_t { Or, InvertedOr, Always, Never } kind;
};

// Shift-and over one strand: bit t of a block word stands for start base + t;
// it survives motif position i when position base + t + i matches it.
class StrandScan {
 public:
  StrandScan(const StrandIndex& strand, const LetterCode* motif) : strand_(strand), motif_(motif) {
    classes_ = static_cast<uint32_t>(strand.classCodes.size());
    all_ = classes_ == 32 ? ~uint32_t{0} : (uint32_t{1} << classes_) - 1;
  }

  bool dead() const { return dead_; }

  // Starts among `valid` (bits of the block at `base`) where the whole motif
  // matches.
  uint64_t block(int32_t base, int length, uint64_t valid) {
    uint64_t acc = valid;
    for (int i = 0; i < length && acc != 0; ++i) {
      const PositionPlan plan = planAt(i);
      switch (plan.kind) {
        case PositionPlan::Always: break;
        case PositionPlan::Never: dead_ = true; return 0;
        case PositionPlan::Or: acc &= word(plan.classes, base + i); break;
        case PositionPlan::InvertedOr: acc &= ~word(plan.classes, base + i); break;
      }
    }
    return acc;
  }

 private:
  static constexpr int kCached = 64;

  PositionPlan planAt(int i) {
    const LetterCode allowed = motif_[i];
    if (!strand_.smallMatch.empty()) {
      // Four-bit class codes: the table answers (bits above the four cannot
      // reject such a class).
      const uint32_t entry = strand_.smallMatch[allowed & 15u];
      const uint32_t match = entry & ~kInvertFlag;
      if (match == all_) return PositionPlan{0, PositionPlan::Always};
      if (match == 0) return PositionPlan{0, PositionPlan::Never};
      if ((entry & kInvertFlag) != 0) return PositionPlan{all_ & ~match, PositionPlan::InvertedOr};
      return PositionPlan{match, PositionPlan::Or};
    }
    if (i < kCached && (cached_ >> i & 1) != 0) return cache_[i];
    uint32_t match = 0;
    for (uint32_t j = 0; j < classes_; ++j) {
      if ((strand_.classCodes[j] & ~allowed) == 0) match |= uint32_t{1} << j;
    }
    const PositionPlan plan = planFor(match);
    if (i < kCached) {
      cache_[i] = plan;
      cached_ |= uint64_t{1} << i;
    }
    return plan;
  }

  PositionPlan planFor(uint32_t match) const {
    PositionPlan plan{0, PositionPlan::Or};
    if (match == all_) {
      plan.kind = PositionPlan::Always;
    } else if (match == 0) {
      plan.kind = PositionPlan::Never;
    } else if (2 * static_cast<uint32_t>(std::popcount(match)) > classes_) {
      plan.kind = PositionPlan::InvertedOr;
      plan.classes = all_ & ~match;
    } else {
      plan.classes = match;
    }
    return plan;
  }

  // 64 bits of the union of `classes`, starting at position `offset`.
  // Bits past the sequence end are meaningless but never reach a valid start.
  uint64_t word(uint32_t classes, int32_t offset) const {
    const size_t k = static_cast<size_t>(offset >> 6);
    const int r = offset & 63;
    const uint64_t* row = strand_.bits.data() + k * classes_;
    uint64_t lo = 0;
    if (r == 0) {
      for (uint32_t c = classes; c != 0; c &= c - 1) lo |= row[std::countr_zero(c)];
      return lo;
    }
    const uint64_t* next = row + classes_;
    uint64_t hi = 0;
    for (uint32_t c = classes; c != 0; c &= c - 1) {
      const int j = std::countr_zero(c);
      lo |= row[j];
      hi |= next[j];
    }
    return (lo >> r) | (hi << (64 - r));
  }

  const StrandIndex& strand_;
  const LetterCode* motif_;
  uint32_t classes_ = 0;
  uint32_t all_ = 0;
  bool dead_ = false;
  uint64_t cached_ = 0;
  PositionPlan cache_[kCached];
};

}  // namespace

int motifOccurs(const LetterCode* motif, int length, const SequenceRecord& record) {
  if (length <= 0) return 1;
  if (!hasCurrentIndex(record)) return motifOccursReference(motif, length, record);
  const int32_t n = record.index.length;
  if (length > n) return 0;
  const int32_t starts = n - length + 1;
  StrandScan forward(record.index.forward, motif);
  if (!record.index.withReverse) {
    for (int32_t base = 0; base < starts && !forward.dead(); base += 64) {
      const int32_t left = starts - base;
      const uint64_t valid = left >= 64 ? ~uint64_t{0} : (uint64_t{1} << left) - 1;
      if (forward.block(base, length, valid) != 0) return 1;
    }
    return 0;
  }
  StrandScan reverse(record.index.reverse, motif);
  for (int32_t base = 0; base < starts && !(forward.dead() && reverse.dead()); base += 64) {
    const int32_t left = starts - base;
    const uint64_t valid = left >= 64 ? ~uint64_t{0} : (uint64_t{1} << left) - 1;
    if (!forward.dead() && forward.block(base, length, valid) != 0) return 1;
    if (!reverse.dead() && reverse.block(base, length, valid) != 0) return 1;
  }
  return 0;
}

void motifStarts(const LetterCode* motif, int length, const SequenceRecord& record, bool reverse,
                 std::vector<uint64_t>& starts) {
  const std::vector<SequenceLetter>& codes = reverse ? record.reverseCodes : record.codes;
  int32_t n = std::min<int32_t>(record.length, static_cast<int32_t>(codes.size()));
  if (reverse && !record.hasReverse) n = 0;
  const int32_t count = length <= 0 ? 0 : std::max(n - length + 1, 0);
  starts.assign(static_cast<size_t>((count + 63) / 64), 0);
  if (count == 0) return;
  if (!hasCurrentIndex(record) || record.index.length != n) {
    for (int32_t s = 0; s < count; ++s) {
      if (windowMatches(motif, length, codes.data() + s)) {
        starts[static_cast<size_t>(s >> 6)] |= uint64_t{1} << (s & 63);
      }
    }
    return;
  }
  StrandScan scan(reverse ? record.index.reverse : record.index.forward, motif);
  for (int32_t base = 0; base < count && !scan.dead(); base += 64) {
    const int32_t left = count - base;
    const uint64_t valid = left >= 64 ? ~uint64_t{0} : (uint64_t{1} << left) - 1;
    starts[static_cast<size_t>(base >> 6)] = scan.block(base, length, valid);
  }
}

}  // namespace tav
