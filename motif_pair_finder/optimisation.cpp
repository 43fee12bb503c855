#include "optimisation.h"

#include <algorithm>

#include "console.h"

namespace tav {

namespace {

constexpr LetterCode kAllNucleotides = 15;

struct Change {
  bool second = false;
  int position = -1;
  LetterCode set = 0;
};

double scorePresence(const ClimbTables& tables) {
  return pairMutualInformation(tables.records, tables.list, tables.count);
}

void copyAToB(std::vector<SequenceRecord>& records) {
  for (SequenceRecord& record : records) record.presenceB = record.presenceA;
}

// One climb step over every position of `motif`, scoring with the presence
// of `motif` in `slot`; remembers strict improvements over `best`.
void scanMotif(ClimbTables& tables, MaskMotif& motif, PresenceSlot slot, bool second, double& best,
               Change& change) {
  for (int i = 0; i < motif.length(); ++i) {
    const LetterCode own = motif.sets[static_cast<size_t>(i)];
    for (LetterCode s = 1; s <= kAllNucleotides; ++s) {
      motif.sets[static_cast<size_t>(i)] = s;
      markPresence(motif, tables.records, slot);
      if (tables.variant == MotifFinderVariant::HomoValue) copyAToB(tables.records);
      const double x = scorePresence(tables);
      if (x > best) {
        best = x;
        change = Change{second, i, s};
      }
    }
    motif.sets[static_cast<size_t>(i)] = own;
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
  for (;;) {
    double best = -1.0;
    Change change;
    MaskMotif working1 = first;
    if (tables.variant == MotifFinderVariant::HomoValue) {
      scanMotif(tables, working1, PresenceSlot::A, false, best, change);
    } else {
      MaskMotif working2 = second;
      markPresence(working2, tables.records, PresenceSlot::B);
      scanMotif(tables, working1, PresenceSlot::A, false, best, change);
      markPresence(working1, tables.records, PresenceSlot::A);
      scanMotif(tables, working2, PresenceSlot::B, true, best, change);
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

int optimizeMotifPairs(ClimbTables& tables, std::vector<MaskMotif>& store,
                       std::vector<MotifPair>& queue, int n, int maxLength, std::ostream& out) {
  n = std::clamp(n, 0, static_cast<int>(queue.size()));
  std::vector<MaskMotif> backups(2);
  for (int k = 0; k < n; ++k) {
    MotifPair& pair = queue[static_cast<size_t>(k)];
    line(out, "Optimizing motif pair no. ", k + 1);
    line(out);
    refinePair(tables, store, pair, out);
    auto shortEnough = [&](int32_t motif) { return store[static_cast<size_t>(motif)].length() < maxLength; };
    bool grown = true;
    while (grown) {
      grown = false;
      if (tables.variant == MotifFinderVariant::HomoValue) {
        for (MotifEnd end : {MotifEnd::Front, MotifEnd::Back}) {
          if (shortEnough(pair.first)) grown = extendMotif(tables, store, pair, false, end, backups, out) || grown;
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
          grown = extendMotif(tables, store, pair, attempt.second, attempt.end, backups, out) || grown;
        }
      }
    }
    line(out, "Optimized MI = ", pair.mutualInformation);
    line(out);
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
      present[r] = static_cast<uint8_t>(motifOccurs(motif.sets.data(), motif.length(), records[r]) != 0);
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
