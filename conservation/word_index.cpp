#include "word_index.h"

#include <algorithm>
#include <bit>

#include "fasta.h"

namespace tav {

namespace {

constexpr int kRecordBits = 16;
constexpr int kKeyBits = 64 - kRecordBits;
constexpr size_t kMaxEntries = size_t{4} << 20;  // 32 MB of entries
constexpr uint64_t kMaxWords = 4096;             // per motif look-up

// Letters a search may use: the same bound as motifOccursReference.
int32_t searchLength(const SequenceRecord& record) {
  int64_t n = std::min<int64_t>(record.length, static_cast<int64_t>(record.codes.size()));
  if (record.hasReverse) n = std::min<int64_t>(n, static_cast<int64_t>(record.reverseCodes.size()));
  return static_cast<int32_t>(std::max<int64_t>(n, 0));
}

bool singleLetters(const SequenceLetter* codes, int32_t n, LetterCode alphabet) {
  for (int32_t p = 0; p < n; ++p) {
    const LetterCode code = letterCode(codes[p]);
    if ((code & ~alphabet) != 0 || !std::has_single_bit(code)) return false;
  }
  return true;
}

}  // namespace

bool WordIndex::build(const std::vector<const SequenceRecord*>& records, int length, int letters) {
  *this = WordIndex{};
  const int bits = std::bit_width(static_cast<unsigned>(std::max(letters, 1) - 1));
  if (length <= 0 || letters < 1 || letters > 32 || length * bits > kKeyBits ||
      records.size() >= (size_t{1} << kRecordBits)) {
    return false;
  }
  alphabet_ = letters == 32 ? ~LetterCode{0} : (LetterCode{1} << letters) - 1;
  size_t windows = 0;
  for (const SequenceRecord* record : records) {
    const int32_t n = searchLength(*record);
    if (n >= length) windows += static_cast<size_t>(n - length + 1) * (record->hasReverse ? 2 : 1);
  }
  if (windows > kMaxEntries) return false;
  entries_.reserve(windows);
  const uint64_t keyMask =
      length * bits == 64 ? ~uint64_t{0} : (uint64_t{1} << (length * bits)) - 1;
  for (size_t r = 0; r < records.size(); ++r) {
    const SequenceRecord& record = *records[r];
    const int32_t n = searchLength(record);
    if (n < length) continue;  // no window: never present
    if (!singleLetters(record.codes.data(), n, alphabet_) ||
        (record.hasReverse && !singleLetters(record.reverseCodes.data(), n, alphabet_))) {
      plainRecords_.push_back(static_cast<int32_t>(r));
      continue;
    }
    for (const std::vector<SequenceLetter>* strand : {&record.codes, &record.reverseCodes}) {
      if (strand == &record.reverseCodes && !record.hasReverse) break;
      uint64_t key = 0;
      for (int32_t p = 0; p < n; ++p) {
        key = ((key << bits) | static_cast<uint64_t>(std::countr_zero(
                                   letterCode((*strand)[static_cast<size_t>(p)])))) &
              keyMask;
        if (p + 1 >= length) entries_.push_back(key << kRecordBits | r);
      }
    }
  }
  std::sort(entries_.begin(), entries_.end());
  entries_.erase(std::unique(entries_.begin(), entries_.end()), entries_.end());
  records_ = &records;
  length_ = length;
  bits_ = bits;
  return true;
}

bool WordIndex::fill(const StrandedMotif& motif, std::vector<uint8_t>& presence) const {
  const int length = motif.length;
  if (length != length_ || records_ == nullptr) return false;
  uint64_t words = 1;
  for (int i = 0; i < length; ++i) {
    // A reverse complement allows as many words as its motif.
    words *= static_cast<uint64_t>(std::popcount(motif.forward[i] & alphabet_));
    if (words > kMaxWords) return false;
  }
  presence.assign(records_->size(), 0);
  for (int32_t r : plainRecords_) {
    presence[static_cast<size_t>(r)] =
        static_cast<uint8_t>(strandedOccurs(motif, *(*records_)[static_cast<size_t>(r)]));
  }
  if (words == 0) return true;
  mark(motif.forward, presence);
  if (motif.reverse != nullptr) mark(motif.reverse, presence);
  return true;
}

void WordIndex::mark(const LetterCode* motif, std::vector<uint8_t>& presence) const {
  const int length = length_;
  // Every allowed word in turn, the last position turning fastest.
  std::vector<LetterCode> rest(static_cast<size_t>(length));
  for (int i = 0; i < length; ++i) rest[static_cast<size_t>(i)] = motif[i] & alphabet_;
  for (;;) {
    uint64_t key = 0;
    for (int i = 0; i < length; ++i) {
      key = (key << bits_) | static_cast<uint64_t>(std::countr_zero(rest[static_cast<size_t>(i)]));
    }
    for (auto e = std::lower_bound(entries_.begin(), entries_.end(), key << kRecordBits);
         e != entries_.end() && (*e >> kRecordBits) == key; ++e) {
      presence[static_cast<size_t>(*e & ((uint64_t{1} << kRecordBits) - 1))] = 1;
    }
    int i = length - 1;
    for (; i >= 0; --i) {
      LetterCode& left = rest[static_cast<size_t>(i)];
      left &= left - 1;  // drop the letter just used
      if (left != 0) break;
      left = motif[i] & alphabet_;  // start this position over
    }
    if (i < 0) return;
  }
}

}  // namespace tav
