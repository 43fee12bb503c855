#include "optimisation.h"

#include <algorithm>
#include <sstream>
#include <string>

#include "console.h"

namespace tav {

ClimbTables::ClimbTables(const std::vector<SequenceRecord>& sequenceRecords,
                         const std::vector<InteractionPair>& list, int count,
                         MotifFinderVariant climbVariant)
    : records(sequenceRecords), variant(climbVariant), index(sequenceRecords) {
  buildObservations(static_cast<int32_t>(records.size()), list, count, observations);
}

namespace {

constexpr LetterCode kAllNucleotides = 15;

struct Change {
  bool second = false;
  int position = -1;
  LetterCode set = 0;
};

// The climb step's view of the current pair: what a scan of each motif found
// and, for the motif that stays fixed, its observations and the partners it
// faces.
struct Side {
  PositionCodes scan;
  int64_t weight = 0;           // observations whose first side holds the motif
  std::vector<int64_t> facing;  // per record: observations facing a holder
};

void describe(const ClimbTables& tables, const MaskMotif& motif, Side& side) {
  tables.index.scan(motif, side.scan);
  const Observations& obs = tables.observations;
  const size_t n = tables.records.size();
  side.weight = 0;
  side.facing.assign(n, 0);
  for (size_t v = 0; v < n; ++v) {
    if (side.scan.present[v] == 0) continue;
    side.weight += obs.degree(static_cast<int32_t>(v));
    for (uint32_t q = obs.offsets[v]; q < obs.offsets[v + 1]; ++q)
      ++side.facing[static_cast<size_t>(obs.partners[q])];
  }
}

// Every candidate (position i, set s) of one motif against the fixed other
// motif; `second` says which motif of the pair is changing, so that the table
// keeps its orientation.
// `groupOf` has 2^16 entries, all -1 between calls.
void scanAgainst(const ClimbTables& tables, const MaskMotif& motif, const Side& changing,
                 const Side& fixed, bool second, double& best, Change& change,
                 std::vector<int32_t>& groupOf) {
  const Observations& obs = tables.observations;
  const int64_t total = obs.total();
  const size_t n = tables.records.size();
  const auto m = static_cast<size_t>(motif.length());
  struct CodesGroup {
    uint16_t codes;
    int64_t weight;
    int64_t both;
  };
  std::vector<CodesGroup> groups;
  for (size_t i = 0; i < m; ++i) {
    // Records with the same codes found at i count alike for every set, so
    // their sums are taken once per distinct codes value (integer sums: the
    // order of adding changes nothing).
    groups.clear();
    for (size_t r = 0; r < n; ++r) {
      const uint16_t codes = changing.scan.codes[r * m + i];
      int32_t& at = groupOf[codes];
      if (at < 0) {
        at = static_cast<int32_t>(groups.size());
        groups.push_back(CodesGroup{codes, 0, 0});
      }
      groups[static_cast<size_t>(at)].weight += obs.degree(static_cast<int32_t>(r));
      groups[static_cast<size_t>(at)].both += fixed.facing[r];
    }
    for (const CodesGroup& group : groups) groupOf[group.codes] = -1;
    for (LetterCode s = 1; s <= kAllNucleotides; ++s) {
      int64_t weight = 0;
      int64_t both = 0;
      for (const CodesGroup& group : groups) {
        if (!codesAllow(group.codes, s)) continue;
        weight += group.weight;
        both += group.both;
      }
      const double x =
          second ? mutualInformation(countsFromMargins(total, fixed.weight, weight, both))
                 : mutualInformation(countsFromMargins(total, weight, fixed.weight, both));
      if (x > best) {
        best = x;
        change = Change{second, static_cast<int>(i), s};
      }
    }
  }
}

// Tavrin-N.HV: the candidate stands on both sides of every interaction.
void scanHomoValue(const ClimbTables& tables, const MaskMotif& motif, double& best, Change& change,
                   std::vector<uint8_t>& present) {
  const Observations& obs = tables.observations;
  const int64_t total = obs.total();
  const size_t n = tables.records.size();
  const auto m = static_cast<size_t>(motif.length());
  PositionCodes scan;
  tables.index.scan(motif, scan);
  present.assign(n, 0);
  for (size_t i = 0; i < m; ++i) {
    for (LetterCode s = 1; s <= kAllNucleotides; ++s) {
      for (size_t r = 0; r < n; ++r) present[r] = codesAllow(scan.codes[r * m + i], s) ? 1 : 0;
      int64_t weight = 0;
      int64_t both = 0;
      for (size_t v = 0; v < n; ++v) {
        if (present[v] == 0) continue;
        weight += obs.degree(static_cast<int32_t>(v));
        for (uint32_t q = obs.offsets[v]; q < obs.offsets[v + 1]; ++q)
          both += present[static_cast<size_t>(obs.partners[q])];
      }
      const double x = mutualInformation(countsFromMargins(total, weight, weight, both));
      if (x > best) {
        best = x;
        change = Change{false, static_cast<int>(i), s};
      }
    }
  }
}

void addPosition(MaskMotif& motif, MotifEnd end) {
  if (end == MotifEnd::Front) {
    motif.sets.insert(motif.sets.begin(), kAllNucleotides);
  } else {
    motif.sets.push_back(kAllNucleotides);
  }
}

}  // namespace

void refinePair(ClimbTables& tables, std::vector<MaskMotif>& store, MotifPair& pair,
                std::ostream& out) {
  MaskMotif& first = store[static_cast<size_t>(pair.first)];
  MaskMotif& second = store[static_cast<size_t>(pair.second)];
  Side firstSide;
  Side secondSide;
  std::vector<uint8_t> present;
  std::vector<int32_t> groupOf;
  for (;;) {
    double best = -1.0;
    Change change;
    if (tables.variant == MotifFinderVariant::HomoValue) {
      scanHomoValue(tables, first, best, change, present);
    } else {
      // Each motif is scored against the other as it stands.
      describe(tables, first, firstSide);
      describe(tables, second, secondSide);
      if (groupOf.empty()) groupOf.assign(size_t{1} << 16, -1);
      scanAgainst(tables, first, firstSide, secondSide, false, best, change, groupOf);
      scanAgainst(tables, second, secondSide, firstSide, true, best, change, groupOf);
    }
    if (pair.mutualInformation >= best) return;
    const auto at = static_cast<size_t>(change.position);
    if (tables.variant == MotifFinderVariant::HomoValue) {
      first.sets[at] = change.set;
      second.sets[at] = change.set;
    } else if (change.second) {
      second.sets[at] = change.set;
    } else {
      first.sets[at] = change.set;
    }
    pair.mutualInformation = best;
    line(out, motifText(first), " <--> ", motifText(second), " , MI = ", best);
  }
}

bool extendMotif(ClimbTables& tables, std::vector<MaskMotif>& store, MotifPair& pair, bool second,
                 MotifEnd end, std::vector<MaskMotif>& backups, std::ostream& out) {
  backups.resize(2);
  MaskMotif& first = store[static_cast<size_t>(pair.first)];
  MaskMotif& other = store[static_cast<size_t>(pair.second)];
  backups[0].sets.assign(first.sets.begin(), first.sets.end());
  backups[1].sets.assign(other.sets.begin(), other.sets.end());
  const double old = pair.mutualInformation;
  if (tables.variant == MotifFinderVariant::HomoValue) {
    addPosition(first, end);
    addPosition(other, end);
  } else {
    addPosition(second ? other : first, end);
  }
  pair.mutualInformation = 0.0;
  refinePair(tables, store, pair, out);
  if (pair.mutualInformation > old) return true;
  first.sets.assign(backups[0].sets.begin(), backups[0].sets.end());
  other.sets.assign(backups[1].sets.begin(), backups[1].sets.end());
  pair.mutualInformation = old;
  return false;
}

namespace {

void optimizePair(ClimbTables& tables, std::vector<MaskMotif>& store, MotifPair& pair, int k,
                  int maxLength, std::vector<MaskMotif>& backups, std::ostream& out) {
  line(out, "Optimizing motif pair no. ", k + 1);
  line(out);
  refinePair(tables, store, pair, out);
  auto shortEnough = [&](int32_t motif) {
    return store[static_cast<size_t>(motif)].length() < maxLength;
  };
  bool grown = true;
  while (grown) {
    grown = false;
    if (tables.variant == MotifFinderVariant::HomoValue) {
      for (MotifEnd end : {MotifEnd::Front, MotifEnd::Back}) {
        if (shortEnough(pair.first))
          grown = extendMotif(tables, store, pair, false, end, backups, out) || grown;
      }
      continue;
    }
    struct Attempt {
      bool second;
      MotifEnd end;
    };
    for (Attempt attempt : {Attempt{false, MotifEnd::Front}, Attempt{true, MotifEnd::Front},
                            Attempt{false, MotifEnd::Back}, Attempt{true, MotifEnd::Back}}) {
      if (shortEnough(attempt.second ? pair.second : pair.first)) {
        grown =
            extendMotif(tables, store, pair, attempt.second, attempt.end, backups, out) || grown;
      }
    }
  }
  line(out, "Optimized MI = ", pair.mutualInformation);
  line(out);
}

}  // namespace

int optimizeMotifPairs(ClimbTables& tables, std::vector<MaskMotif>& store,
                       std::vector<MotifPair>& queue, int n, int maxLength, std::ostream& out) {
  n = std::clamp(n, 0, static_cast<int>(queue.size()));
  // Each pair owns its two motifs of the store, so pairs climb on all threads
  // (each thread with its own copy of the tables' scan scratch). A pair's
  // lines are printed, in queue order, by whichever thread completes the
  // next pair due: no thread waits for another's pair to finish.
  std::vector<std::string> texts(static_cast<size_t>(n));
  std::vector<uint8_t> finished(static_cast<size_t>(n), 0);
  int printed = 0;
#pragma omp parallel if (n > 1)
  {
    ClimbTables local = tables;
    std::vector<MaskMotif> backups(2);
    std::ostringstream text;
#pragma omp for schedule(dynamic, 1) nowait
    for (int k = 0; k < n; ++k) {
      text.str("");
      optimizePair(local, store, queue[static_cast<size_t>(k)], k, maxLength, backups, text);
#pragma omp critical(optimisationLines)
      {
        texts[static_cast<size_t>(k)] = text.str();
        finished[static_cast<size_t>(k)] = 1;
        for (; printed < n && finished[static_cast<size_t>(printed)] != 0; ++printed) {
          write(out, texts[static_cast<size_t>(printed)]);
          texts[static_cast<size_t>(printed)].clear();
        }
      }
    }
  }
  return n;
}

void rankPairs(std::vector<MotifPair>& queue, int n) {
  n = std::clamp(n, 0, static_cast<int>(queue.size()));
  std::stable_sort(queue.begin(), queue.begin() + n, [](const MotifPair& a, const MotifPair& b) {
    return a.mutualInformation > b.mutualInformation;
  });
}

std::vector<SeOutputPair> collectOutputPairs(const std::vector<SequenceRecord>& records,
                                             const std::vector<MaskMotif>& store,
                                             const std::vector<MotifPair>& queue, int n) {
  n = std::clamp(n, 0, static_cast<int>(queue.size()));
  std::vector<SeOutputPair> pairs;
  pairs.reserve(static_cast<size_t>(n));
  auto presenceOf = [&records](const MaskMotif& motif) {
    std::vector<uint8_t> present(records.size(), 0);
    for (size_t r = 0; r < records.size(); ++r) {
      present[r] =
          static_cast<uint8_t>(motifOccurs(motif.sets.data(), motif.length(), records[r]) != 0);
    }
    return present;
  };
  for (int k = 0; k < n; ++k) {
    const MotifPair& pair = queue[static_cast<size_t>(k)];
    const MaskMotif& first = store[static_cast<size_t>(pair.first)];
    const MaskMotif& second = store[static_cast<size_t>(pair.second)];
    SeOutputPair output;
    output.first = motifText(first);
    output.second = motifText(second);
    output.mutualInformation = pair.mutualInformation;
    output.firstPresent = presenceOf(first);
    output.secondPresent = presenceOf(second);
    pairs.push_back(std::move(output));
  }
  return pairs;
}

}  // namespace tav
