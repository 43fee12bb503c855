#include "fasta.h"

#include <algorithm>
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

// Stores the collected codes in an array of exactly their number.
void finishRecord(SequenceRecord& record, const std::vector<LetterCode>& buffer) {
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
  LetterCode (*codeOf)(char) = alphabet == SequenceAlphabet::Protein ? proteinSymbolMask
                               : alphabet == SequenceAlphabet::Nucleotide ? symbolMask
                                                                          : fastaSymbolMask;
  const LetterCode anyCode = alphabet == SequenceAlphabet::Protein ? kAnyProtein : kAnyNucleotide;
  const char* anyLetter = alphabet == SequenceAlphabet::Protein ? "X." : "N.";

  std::vector<LetterCode> buffer;  // codes of the current entry; grows with the entry
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
      LetterCode code = codeOf(c);
      if (code == 0) {
        line(out, "WARNING: ", name, " contains illegal characters. ", "Illegal characters will be treated as ",
             anyLetter);
        code = anyCode;
      }
      buffer.push_back(code);
    }
  }
  if (!records.empty()) finishRecord(records.back(), buffer);
  return static_cast<int>(records.size());
}

void buildReverseComplements(std::vector<SequenceRecord>& records) {
  for (SequenceRecord& record : records) {
    const size_t n = record.codes.size();
    record.reverseCodes.resize(n);
    for (size_t i = 0; i < n; ++i) record.reverseCodes[i] = complementCode(record.codes[n - 1 - i]);
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

bool windowMatches(const LetterCode* motif, int length, const LetterCode* codes) {
  for (int i = 0; i < length; ++i) {
    if ((codes[i] & ~motif[i]) != 0) return false;
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

void indexSequence(SequenceRecord& record, SequenceAlphabet /*alphabet*/) { record.index = OccurrenceIndex{}; }

void indexSequences(std::vector<SequenceRecord>& records, SequenceAlphabet alphabet) {
  for (SequenceRecord& record : records) indexSequence(record, alphabet);
}

bool hasCurrentIndex(const SequenceRecord& record) {
  const OccurrenceIndex& index = record.index;
  return index.length >= 0 && index.length == record.length && index.withReverse == record.hasReverse &&
         index.forwardData == reinterpret_cast<uintptr_t>(record.codes.data()) &&
         index.reverseData == reinterpret_cast<uintptr_t>(record.reverseCodes.data());
}

int motifOccurs(const LetterCode* motif, int length, const SequenceRecord& record) {
  return motifOccursReference(motif, length, record);
}

}  // namespace tav
