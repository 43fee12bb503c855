#include "conservation_score.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "capacities.h"
#include "console.h"
#include "line_reader.h"
#include "motif.h"
#include "noa_reader.h"
#include "random.h"
#include "word_index.h"

namespace tav {

namespace {
// Letters of decoys drawn ahead of their scoring (16 MB of codes).
constexpr int kDecoyBatchLetters = 1 << 22;
// The decoys a motif needs for an index to pay for its building.
constexpr int kWordIndexDecoys = 20;
// Motifs per thread from which whole motifs are the threads' units (fewer
// share each motif's decoys among the threads instead).
constexpr int kMotifsPerThread = 4;
}  // namespace

int readMotifRecords(std::istream& in, std::vector<MotifRecord>& motifs, std::string_view type) {
  motifs.clear();
  std::string text;
  if (!readLinePiece(in, text, kTableLinePiece)) return 0;  // the header
  std::string name;
  std::string value;
  const size_t longest = static_cast<size_t>(kMaxWord);
  while (readLinePiece(in, text, kTableLinePiece)) {
    stripBlanks(text);
    if (!splitName(text, name)) continue;
    const bool hasValue = splitValue(text, value);
    if (name.size() > longest || (hasValue && value.size() > longest)) return kNoaFieldTooLong;
    if (!hasValue || value != type) continue;
    if (static_cast<int>(motifs.size()) == kMaxMotifs) return kTooManyMotifs;
    motifs.push_back(MotifRecord{name, 0.0, 1.0});
  }
  return static_cast<int>(motifs.size());
}

std::string_view motifText(std::string_view name) {
  if (!name.empty() && (name[0] == '@' || name[0] == '%' || name[0] == '~')) {
    return name.substr(1);
  }
  return name;
}

double contingencyScore(const ContingencyTable& table) {
  const int32_t total = table.n[0][0] + table.n[0][1] + table.n[1][0] + table.n[1][1];
  if (total <= 0) return 0.0;
  const double N = total;
  const int32_t r[2] = {table.n[0][0] + table.n[0][1], table.n[1][0] + table.n[1][1]};
  const int32_t c[2] = {table.n[0][0] + table.n[1][0], table.n[0][1] + table.n[1][1]};
  double sum = 0.0;
  for (int a = 0; a < 2; ++a) {
    for (int b = 0; b < 2; ++b) {
      if (table.n[a][b] <= 0) continue;
      sum += (table.n[a][b] / N) * std::log10((table.n[a][b] / N) / ((r[a] / N) * (c[b] / N)));
    }
  }
  if (table.n[1][1] / N < (r[1] / N) * (c[1] / N)) return -sum;
  return sum;
}

ContingencyTable countContingency(const LetterCode* motif, int length,
                                  const std::vector<OrthologPair>& pairs, int count) {
  ContingencyTable table;
  count = std::clamp(count, 0, static_cast<int>(pairs.size()));
  for (int p = 0; p < count; ++p) {
    const OrthologPair& pair = pairs[static_cast<size_t>(p)];
    const int a = motifOccurs(motif, length, *pair.first);
    const int b = motifOccurs(motif, length, *pair.second);
    ++table.n[a][b];
  }
  return table;
}

PairMembers collectMembers(const std::vector<OrthologPair>& pairs, int count) {
  PairMembers members;
  count = std::clamp(count, 0, static_cast<int>(pairs.size()));
  std::unordered_map<const SequenceRecord*, int32_t> slotOf;
  auto slot = [&](const SequenceRecord* record) {
    auto [it, added] = slotOf.emplace(record, static_cast<int32_t>(members.records.size()));
    if (added) members.records.push_back(record);
    return it->second;
  };
  members.firstSlot.reserve(static_cast<size_t>(count));
  members.secondSlot.reserve(static_cast<size_t>(count));
  for (int p = 0; p < count; ++p) {
    members.firstSlot.push_back(slot(pairs[static_cast<size_t>(p)].first));
    members.secondSlot.push_back(slot(pairs[static_cast<size_t>(p)].second));
  }
  members.presence.assign(members.records.size(), 0);
  return members;
}

namespace {

// The table from a filled presence buffer, pairs in order.
ContingencyTable tallyPairs(const PairMembers& members, const std::vector<uint8_t>& presence) {
  ContingencyTable table;
  for (size_t p = 0; p < members.firstSlot.size(); ++p) {
    ++table.n[presence[static_cast<size_t>(members.firstSlot[p])]]
             [presence[static_cast<size_t>(members.secondSlot[p])]];
  }
  return table;
}

// One thread's table: presence goes to the caller's buffer, so several
// motifs can be counted at once over the same members.
ContingencyTable countWithBuffer(const StrandedMotif& motif, const PairMembers& members,
                                 const WordIndex* words, std::vector<uint8_t>& presence) {
  if (words != nullptr && words->fill(motif, presence)) return tallyPairs(members, presence);
  presence.resize(members.records.size());
  for (size_t i = 0; i < members.records.size(); ++i) {
    presence[i] = static_cast<uint8_t>(strandedOccurs(motif, *members.records[i]));
  }
  return tallyPairs(members, presence);
}

// The motif and, when both strands count, its reverse complement in
// `reverse`.
StrandedMotif stranded(const LetterCode* motif, int length, bool bothStrands,
                       std::vector<LetterCode>& reverse) {
  if (!bothStrands) return StrandedMotif{motif, nullptr, length};
  reverseComplementMotif(motif, length, reverse);
  return StrandedMotif{motif, reverse.data(), length};
}

}  // namespace

ContingencyTable countMembers(const StrandedMotif& motif, PairMembers& members) {
  // Records are independent: test them on all threads, each into its own slot.
  const auto records = static_cast<int64_t>(members.records.size());
#pragma omp parallel for schedule(dynamic, 16)
  for (int64_t i = 0; i < records; ++i) {
    members.presence[static_cast<size_t>(i)] =
        static_cast<uint8_t>(strandedOccurs(motif, *members.records[static_cast<size_t>(i)]));
  }
  return tallyPairs(members, members.presence);
}

namespace {

// makeDecoy with its draws from `draw`.
template <typename Draw>
void shuffleLetterBits(LetterCode* motif, int length, int alphabetSize, Draw&& draw) {
  for (int i = 0; i < length; ++i) {
    LetterCode code = motif[i];
    for (int j = 0; j < alphabetSize - 1; ++j) {
      const int k = draw() % (alphabetSize - j);
      if (k == 0) continue;
      const LetterCode low = (code >> j) & 1u;
      const LetterCode high = (code >> (j + k)) & 1u;
      if (low != high) code ^= (LetterCode{1} << j) | (LetterCode{1} << (j + k));
    }
    motif[i] = code;
  }
}

}  // namespace

void makeDecoy(LetterCode* motif, int length, int alphabetSize) {
  shuffleLetterBits(motif, length, alphabetSize, [] { return drawRandom(); });
}

void makeDecoy(LetterCode* motif, int length, int alphabetSize, RandomStream& stream) {
  shuffleLetterBits(motif, length, alphabetSize, [&stream] { return stream.draw(); });
}

uint64_t decoyDraws(int length, int alphabetSize) {
  return static_cast<uint64_t>(std::max(length, 0)) *
         static_cast<uint64_t>(std::max(alphabetSize - 1, 0));
}

namespace {

// What scoring one motif needs besides the motif: the members, the word
// index of its length (or null) and the run's parameters.
struct MotifScoring {
  PairMembers& members;
  const WordIndex* words;
  const ScoringParams& params;
  int letters;
};

// Scores one motif and its decoys on the calling thread, the decoys drawn
// from `stream` (positioned at the motif's first decoy draw).
void scoreOneMotif(MotifRecord& motif, const std::vector<LetterCode>& masks, RandomStream& stream,
                   const MotifScoring& with, std::vector<uint8_t>& presence,
                   std::vector<LetterCode>& reverse, std::vector<LetterCode>& decoy) {
  const int length = static_cast<int>(masks.size());
  const bool both = with.params.bothStrands;
  const StrandedMotif real = stranded(masks.data(), length, both, reverse);
  motif.score = contingencyScore(countWithBuffer(real, with.members, with.words, presence));
  motif.pValue = 0.0;
  decoy = masks;
  const int ndecoy = with.params.ndecoy;
  for (int d = 0; d < ndecoy; ++d) {
    makeDecoy(decoy.data(), length, with.letters, stream);
    const StrandedMotif searched = stranded(decoy.data(), length, both, reverse);
    const double decoyScore =
        contingencyScore(countWithBuffer(searched, with.members, with.words, presence));
    if (decoyScore >= motif.score) motif.pValue += 1.0 / ndecoy;
  }
}

// Scores one motif with its work on all threads: the real motif over the
// records, then batches of decoys drawn ahead on this thread from `stream`.
// For few long motifs, where motifs alone would leave threads idle.
void scoreMotifOnAllThreads(MotifRecord& motif, const std::vector<LetterCode>& masks,
                            RandomStream& stream, const MotifScoring& with) {
  const int length = static_cast<int>(masks.size());
  const int ndecoy = with.params.ndecoy;
  const bool both = with.params.bothStrands;
  std::vector<LetterCode> reverse;
  std::vector<uint8_t> presence;
  const StrandedMotif real = stranded(masks.data(), length, both, reverse);
  motif.score = contingencyScore(with.words != nullptr && with.words->fill(real, presence)
                                     ? tallyPairs(with.members, presence)
                                     : countMembers(real, with.members));
  motif.pValue = 0.0;
  const int batch = std::max(1, std::min(ndecoy, kDecoyBatchLetters / std::max(length, 1)));
  std::vector<LetterCode> decoy = masks;
  std::vector<LetterCode> decoys;  // a batch of decoys, one after another
  std::vector<uint8_t> atLeast;    // per decoy of the batch: scored >= the real motif
  for (int first = 0; first < ndecoy; first += batch) {
    const int size = std::min(batch, ndecoy - first);
    decoys.resize(static_cast<size_t>(size) * static_cast<size_t>(length));
    for (int d = 0; d < size; ++d) {
      makeDecoy(decoy.data(), length, with.letters, stream);
      std::copy(decoy.begin(), decoy.end(), decoys.begin() + static_cast<ptrdiff_t>(d) * length);
    }
    atLeast.assign(static_cast<size_t>(size), 0);
#pragma omp parallel
    {
      std::vector<uint8_t> own;
      std::vector<LetterCode> ownReverse;
#pragma omp for schedule(dynamic, 1)
      for (int d = 0; d < size; ++d) {
        const LetterCode* codes = decoys.data() + static_cast<ptrdiff_t>(d) * length;
        const StrandedMotif searched = stranded(codes, length, both, ownReverse);
        const double decoyScore =
            contingencyScore(countWithBuffer(searched, with.members, with.words, own));
        atLeast[static_cast<size_t>(d)] = decoyScore >= motif.score ? 1 : 0;
      }
    }
    for (int d = 0; d < size; ++d) {
      if (atLeast[static_cast<size_t>(d)] != 0) motif.pValue += 1.0 / ndecoy;
    }
  }
}

}  // namespace

int scoreAllMotifs(std::vector<MotifRecord>& motifs, int count,
                   const std::vector<OrthologPair>& pairs, int pairCount,
                   const ScoringParams& params, std::ostream& out) {
  count = std::clamp(count, 0, static_cast<int>(motifs.size()));
  const int ndecoy = params.ndecoy;
  PairMembers members = collectMembers(pairs, pairCount);
  const MaskFunction maskOf = alphabetMask(params.alphabet);
  const int letters = alphabetSize(params.alphabet);

  // Every motif is read first; the scoring stops before the first one the
  // parser refuses. Each motif's decoys draw length * (letters - 1) values a
  // decoy, so where a motif's draws start is known before any is scored, and
  // motifs are scored in any order and on any thread with the draws of one
  // thread in motif order.
  std::vector<std::vector<LetterCode>> masks;
  std::vector<uint64_t> drawStart = {0};
  MotifStatus refused = MotifStatus::Ok;
  int scored = 0;
  for (; scored < count; ++scored) {
    std::vector<LetterCode> parsed;
    refused = parseMotifMasks(motifText(motifs[static_cast<size_t>(scored)].name),
                              kLongMotifCapacity, maskOf, parsed);
    if (refused != MotifStatus::Ok) break;
    const int length = static_cast<int>(parsed.size());
    drawStart.push_back(drawStart.back() + static_cast<uint64_t>(std::max(ndecoy, 0)) *
                                               decoyDraws(length, letters));
    masks.push_back(std::move(parsed));
  }

  // A dot per motif, in motif order, as soon as the motifs before it are done.
  std::vector<uint8_t> done(static_cast<size_t>(scored), 0);
  int dots = 0;
  auto finished = [&](int m) {
#pragma omp critical(conservationDots)
    {
      done[static_cast<size_t>(m)] = 1;
      for (; dots < scored && done[static_cast<size_t>(dots)] != 0; ++dots) write(out, ".");
    }
  };

  // Motifs of one length share a word index, built once: the lengths in
  // order of first appearance.
  std::vector<int> lengths;
  for (const std::vector<LetterCode>& m : masks) {
    const int length = static_cast<int>(m.size());
    if (std::find(lengths.begin(), lengths.end(), length) == lengths.end()) lengths.push_back(length);
  }
  WordIndex index;
  for (int length : lengths) {
    std::vector<int> group;
    for (int m = 0; m < scored; ++m) {
      if (static_cast<int>(masks[static_cast<size_t>(m)].size()) == length) group.push_back(m);
    }
    const WordIndex* words =
        ndecoy >= kWordIndexDecoys && index.build(members.records, length, letters) ? &index
                                                                                     : nullptr;
    const MotifScoring with{members, words, params, letters};
    const auto units = static_cast<int>(group.size());
    if (units >= kMotifsPerThread * omp_get_max_threads()) {
      // Whole motifs on every thread: one parallel region for the group.
#pragma omp parallel
      {
        std::vector<uint8_t> presence;
        std::vector<LetterCode> reverse;
        std::vector<LetterCode> decoy;
#pragma omp for schedule(dynamic, 1)
        for (int u = 0; u < units; ++u) {
          const int m = group[static_cast<size_t>(u)];
          RandomStream stream(drawStart[static_cast<size_t>(m)]);
          scoreOneMotif(motifs[static_cast<size_t>(m)], masks[static_cast<size_t>(m)], stream, with,
                        presence, reverse, decoy);
          finished(m);
        }
      }
    } else {
      for (int m : group) {
        RandomStream stream(drawStart[static_cast<size_t>(m)]);
        scoreMotifOnAllThreads(motifs[static_cast<size_t>(m)], masks[static_cast<size_t>(m)],
                               stream, with);
        finished(m);
      }
    }
  }
  skipRandom(drawStart.back());
  if (scored < count) {
    write(out, ".");
    printMotifError(out, refused, motifText(motifs[static_cast<size_t>(scored)].name));
    return scored;
  }
  line(out);
  line(out);
  return count;
}

}  // namespace tav
