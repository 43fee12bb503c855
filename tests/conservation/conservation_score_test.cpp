#include "conservation_score.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "conservation_test_util.h"
#include "motif.h"
#include "random.h"

namespace tav {
namespace {

using testing::nucleotideRecord;

ContingencyTable table(int n00, int n01, int n10, int n11) {
  ContingencyTable t;
  t.n[0][0] = n00;
  t.n[0][1] = n01;
  t.n[1][0] = n10;
  t.n[1][1] = n11;
  return t;
}

TEST(ContingencyScore, MutualInformationWithTheSignOfTheAssociation) {
  EXPECT_DOUBLE_EQ(contingencyScore(table(5, 0, 0, 5)), std::log10(2.0));
  EXPECT_DOUBLE_EQ(contingencyScore(table(0, 5, 5, 0)), -std::log10(2.0));
  // Present everywhere, nowhere, or only on one side: no information.
  EXPECT_EQ(contingencyScore(table(0, 0, 0, 7)), 0.0);
  EXPECT_EQ(contingencyScore(table(7, 0, 0, 0)), 0.0);
  EXPECT_EQ(contingencyScore(table(3, 4, 0, 0)), 0.0);
  EXPECT_EQ(contingencyScore(table(0, 0, 0, 0)), 0.0);

  // Found together less often than by chance: negative.
  EXPECT_LT(contingencyScore(table(3, 9, 6, 2)), 0);
}

TEST(MakeDecoy, PermutesEachPositionAndDrawsPerLetter) {
  for (int letters : {4, 20}) {
    const LetterCode all = (LetterCode{1} << letters) - 1;
    std::vector<LetterCode> motif = {all, 0};
    for (int i = 0; i < 200; ++i) motif.push_back(static_cast<LetterCode>(i * 2654435761u) & all);
    std::vector<LetterCode> decoy = motif;
    seedRandom(11);
    makeDecoy(decoy.data(), static_cast<int>(decoy.size()), letters);
    // K-1 draws per position, no more.
    const int next = drawRandom();
    seedRandom(11);
    for (size_t i = 0; i < (letters - 1) * decoy.size(); ++i) drawRandom();
    EXPECT_EQ(drawRandom(), next);
    int changed = 0;
    for (size_t i = 0; i < motif.size(); ++i) {
      EXPECT_EQ(std::popcount(decoy[i]), std::popcount(motif[i] & all)) << i;
      EXPECT_EQ(decoy[i] & ~all, 0u);
      changed += decoy[i] != motif[i];
    }
    EXPECT_GT(changed, 100);
  }
}

// Random sequences over few letters so that short motifs hit some and miss
// others; some records are shared by several pairs. The scorer's records keep
// one strand and are indexed within a small budget (so some are searched the
// plain way); the same pairs over copies that store the reverse strand are
// what the plain twin counts.
struct RandomSet {
  std::vector<SequenceRecord> one;
  std::vector<SequenceRecord> two;
  std::vector<SequenceRecord> plainOne;
  std::vector<SequenceRecord> plainTwo;
  std::vector<OrthologPair> pairs;
  std::vector<OrthologPair> plainPairs;
};

RandomSet randomSet(std::mt19937& rng, bool reverse) {
  RandomSet s;
  const std::string bases = "ACGTN";
  auto sequence = [&](int length) {
    std::string letters;
    for (int i = 0; i < length; ++i) letters += bases[rng() % (rng() % 7 == 0 ? 5 : 4)];
    return letters;
  };
  for (int i = 0; i < 40; ++i) s.one.push_back(nucleotideRecord("a", sequence(rng() % 90)));
  for (int i = 0; i < 30; ++i) s.two.push_back(nucleotideRecord("b", sequence(rng() % 90)));
  s.plainOne = s.one;
  s.plainTwo = s.two;
  if (reverse) {
    buildReverseComplements(s.plainOne);
    buildReverseComplements(s.plainTwo);
  }
  const size_t budget = rng() % 6000;
  const size_t used = indexSequencesWithin(s.one, SequenceAlphabet::Nucleotide, budget);
  EXPECT_LE(used, budget);
  indexSequencesWithin(s.two, SequenceAlphabet::Nucleotide, budget - used);
  for (int p = 0; p < 60; ++p) {
    const size_t a = rng() % s.one.size();
    const size_t b = rng() % s.two.size();
    s.pairs.push_back(OrthologPair{&s.one[a], &s.two[b]});
    s.plainPairs.push_back(OrthologPair{&s.plainOne[a], &s.plainTwo[b]});
  }
  return s;
}

TEST(ConservationScoreEquivalence, OneStrandWithReverseMotifsCountsLikeThePlainTwin) {
  std::mt19937 rng(5);
  int present = 0;
  for (int trial = 0; trial < 40; ++trial) {
    const bool bothStrands = trial % 2 == 0;
    RandomSet s = randomSet(rng, bothStrands);
    PairMembers members = collectMembers(s.pairs, static_cast<int>(s.pairs.size()));
    EXPECT_LE(members.records.size(), 70u);
    for (int m = 0; m < 20; ++m) {
      std::vector<LetterCode> motif;
      const int length = static_cast<int>(rng() % 6);
      for (int i = 0; i < length; ++i) motif.push_back(1 + rng() % 15);
      std::vector<LetterCode> reverse;
      reverseComplementMotif(motif.data(), length, reverse);
      const StrandedMotif searched{motif.data(), bothStrands ? reverse.data() : nullptr, length};
      const ContingencyTable fast = countMembers(searched, members);
      const ContingencyTable plain = countContingency(motif.data(), length, s.plainPairs,
                                                      static_cast<int>(s.plainPairs.size()));
      for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) ASSERT_EQ(fast.n[a][b], plain.n[a][b]) << trial << " " << m;
      present += plain.n[1][1];
    }
  }
  EXPECT_GT(present, 1000);  // the motifs are found often enough to mean something
}

// Scoring every motif with its decoys drawn ahead from the generator, whole
// motifs on the threads (many motifs) or each motif's decoys on the threads
// (few), gives the records, console and generator of scoring them one after
// another with the plain counts: lengths mixed, with and without the word
// index (ndecoy 25 and 5), a refused motif ending the run.
TEST(ScoreAllMotifs, DrawnAheadOnThreadsMatchesOneAfterAnother) {
  std::mt19937 rng(17);
  struct Case {
    int motifs;
    int ndecoy;
    bool bothStrands;
    int refusedAt;  // -1: none
  };
  int hits = 0;
  for (const Case c : {Case{40, 25, true, -1}, Case{40, 5, false, 31}, Case{3, 25, false, -1},
                       Case{2, 30, true, 1}, Case{0, 10, true, -1}}) {
    RandomSet set = randomSet(rng, c.bothStrands);
    std::vector<MotifRecord> motifs;
    for (int m = 0; m < c.motifs; ++m) {
      std::string text;
      for (int i = 1 + static_cast<int>(rng() % 3 + m % 2); i > 0; --i)
        text += rng() % 5 == 0 ? std::string("[AG]") : std::string(1, "ACGT"[rng() % 4]);
      motifs.push_back(MotifRecord{m == c.refusedAt ? "A[CZ" : "@" + text});
    }
    std::vector<MotifRecord> plain = motifs;
    const auto pairCount = static_cast<int>(set.pairs.size());

    seedRandom(29);
    std::ostringstream plainOut;
    int plainScored = 0;
    for (; plainScored < c.motifs; ++plainScored) {
      MotifRecord& motif = plain[static_cast<size_t>(plainScored)];
      plainOut << '.';
      std::vector<LetterCode> masks;
      const MotifStatus status = parseMotifMasks(motifText(motif.name), kLongMotifCapacity,
                                                 alphabetMask(ConservationAlphabet::Nucleotide), masks);
      if (status != MotifStatus::Ok) {
        printMotifError(plainOut, status, motifText(motif.name));
        break;
      }
      const int length = static_cast<int>(masks.size());
      motif.score = contingencyScore(countContingency(masks.data(), length, set.plainPairs, pairCount));
      motif.pValue = 0.0;
      for (int d = 0; d < c.ndecoy; ++d) {
        makeDecoy(masks.data(), length, 4);
        if (contingencyScore(countContingency(masks.data(), length, set.plainPairs, pairCount)) >=
            motif.score)
          motif.pValue += 1.0 / c.ndecoy;
      }
    }
    if (plainScored == c.motifs) plainOut << "\n\n";
    const int plainNext = drawRandom();

    seedRandom(29);
    std::ostringstream out;
    ScoringParams params;
    params.ndecoy = c.ndecoy;
    params.bothStrands = c.bothStrands;
    EXPECT_EQ(scoreAllMotifs(motifs, c.motifs, set.pairs, pairCount, params, out), plainScored);
    EXPECT_EQ(out.str(), plainOut.str());
    EXPECT_EQ(drawRandom(), plainNext);
    for (int m = 0; m < plainScored; ++m) {
      EXPECT_EQ(motifs[static_cast<size_t>(m)].score, plain[static_cast<size_t>(m)].score) << m;
      EXPECT_EQ(motifs[static_cast<size_t>(m)].pValue, plain[static_cast<size_t>(m)].pValue) << m;
      hits += plain[static_cast<size_t>(m)].pValue < 1.0 ? 1 : 0;
    }
  }
  EXPECT_GT(hits, 10);  // decoys that score below their motif happen
}

// Decoys drawn from a copy of the generator positioned ahead are those the
// generator gives after that many draws; the generator itself is untouched.
TEST(MakeDecoy, FromAStreamAheadAsFromTheGenerator) {
  const std::vector<LetterCode> motif = {15, 3, 8, 12, 7, 1, 9};
  const int length = static_cast<int>(motif.size());
  for (int letters : {4, 20}) {
    seedRandom(3);
    const int first = drawRandom();
    seedRandom(3);
    RandomStream stream(2 * decoyDraws(length, letters));
    std::vector<LetterCode> ahead = motif;
    for (int d = 0; d < 3; ++d) makeDecoy(ahead.data(), length, letters, stream);
    EXPECT_EQ(drawRandom(), first);

    seedRandom(3);
    skipRandom(2 * decoyDraws(length, letters));
    std::vector<LetterCode> plain = motif;
    for (int d = 0; d < 3; ++d) makeDecoy(plain.data(), length, letters);
    EXPECT_EQ(ahead, plain) << letters;
    EXPECT_NE(plain, motif);
  }
}

TEST(ReadMotifRecords, RefusesOverLongFieldsAfterRemovingSpaces) {
  std::vector<MotifRecord> motifs;
  for (auto [text, expected] :
       {std::pair{"h\nA = " + std::string(1000, 'T') + "\n", kNoaFieldTooLong},
        {"h\n" + std::string(2000, ' ') + std::string(999, 'A') + " = 5'MOTIF\n", 1}}) {
    std::istringstream in(text);
    EXPECT_EQ(readMotifRecords(in, motifs, "5'MOTIF"), expected);
  }
}

}  // namespace
}  // namespace tav
