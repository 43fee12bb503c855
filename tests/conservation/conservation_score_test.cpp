#include "conservation_score.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "conservation_test_util.h"
#include "motif.h"
#include "random.h"

namespace tav {
namespace {

using testing::nucleotideRecord;
using testing::proteinRecord;

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

  // A general table against the formula written out by hand.
  const double N = 20;
  const int n[2][2] = {{9, 3}, {2, 6}};
  const double r[2] = {12, 8};
  const double c[2] = {11, 9};
  double expected = 0;
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 2; ++b)
      expected += (n[a][b] / N) * std::log10((n[a][b] / N) / ((r[a] / N) * (c[b] / N)));
  EXPECT_GT(expected, 0);
  EXPECT_EQ(contingencyScore(table(9, 3, 2, 6)), expected);
  // Found together less often than by chance: negative.
  EXPECT_LT(contingencyScore(table(3, 9, 6, 2)), 0);
}

TEST(MotifText, LeavesOutOneLeadingTypeMark) {
  EXPECT_EQ(motifText("@ACGT"), "ACGT");
  EXPECT_EQ(motifText("%AC[GT]"), "AC[GT]");
  EXPECT_EQ(motifText("~KLM"), "KLM");
  EXPECT_EQ(motifText("@@AC"), "@AC");
  EXPECT_EQ(motifText("A@C"), "A@C");
  EXPECT_EQ(motifText(""), "");
}

TEST(MakeDecoy, PermutesEachPositionAndDrawsPerLetter) {
  for (int letters : {4, 20}) {
    seedRandom(11);
    std::vector<LetterCode> motif;
    const LetterCode all = (LetterCode{1} << letters) - 1;
    for (int i = 0; i < 200; ++i) motif.push_back(static_cast<LetterCode>(i * 2654435761u) & all);
    motif.push_back(all);
    motif.push_back(0);
    std::vector<LetterCode> decoy = motif;
    makeDecoy(decoy.data(), static_cast<int>(decoy.size()), letters);
    // K-1 draws per position, no more.
    const int next = drawRandom();
    seedRandom(11);
    for (size_t i = 0; i < (letters - 1) * decoy.size(); ++i) drawRandom();
    EXPECT_EQ(drawRandom(), next);

    int changed = 0;
    for (size_t i = 0; i < motif.size(); ++i) {
      EXPECT_EQ(std::popcount(decoy[i]), std::popcount(motif[i])) << i;
      EXPECT_EQ(decoy[i] & ~all, 0u);
      changed += decoy[i] != motif[i];
    }
    EXPECT_EQ(decoy[200], all);
    EXPECT_EQ(decoy[201], 0u);
    EXPECT_GT(changed, 100);
  }
}

TEST(MakeDecoy, SingleLettersBecomeEveryLetterEvenly) {
  seedRandom(3);
  int seen[4] = {0, 0, 0, 0};
  LetterCode code = 8;  // A; each decoy shuffles the previous one
  for (int i = 0; i < 40000; ++i) {
    makeDecoy(&code, 1, 4);
    ASSERT_EQ(std::popcount(code), 1);
    ++seen[std::countr_zero(code)];
  }
  for (int s : seen) EXPECT_NEAR(s, 10000, 500);
}

// Random sequences over few letters so that short motifs hit some and miss
// others; some records are shared by several pairs.
struct RandomSet {
  std::vector<SequenceRecord> one;
  std::vector<SequenceRecord> two;
  std::vector<OrthologPair> pairs;
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
  if (reverse) {
    buildReverseComplements(s.one);
    buildReverseComplements(s.two);
  }
  indexSequences(s.one, SequenceAlphabet::Nucleotide);
  indexSequences(s.two, SequenceAlphabet::Nucleotide);
  for (int p = 0; p < 60; ++p) {
    s.pairs.push_back(OrthologPair{&s.one[rng() % s.one.size()], &s.two[rng() % s.two.size()]});
  }
  return s;
}

TEST(ConservationScore, SharedRecordsCountLikeThePlainPairLoop) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 40; ++trial) {
    RandomSet s = randomSet(rng, trial % 2 == 0);
    PairMembers members = collectMembers(s.pairs, static_cast<int>(s.pairs.size()));
    EXPECT_LE(members.records.size(), 70u);
    for (int m = 0; m < 20; ++m) {
      std::vector<LetterCode> motif;
      const int length = static_cast<int>(rng() % 6);
      for (int i = 0; i < length; ++i) motif.push_back(1 + rng() % 15);
      const ContingencyTable fast = countMembers(motif.data(), length, members);
      // Plain loop, plain occurrence rule.
      ContingencyTable plain;
      for (const OrthologPair& p : s.pairs) {
        ++plain.n[motifOccursReference(motif.data(), length, *p.first)]
                 [motifOccursReference(motif.data(), length, *p.second)];
      }
      for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) ASSERT_EQ(fast.n[a][b], plain.n[a][b]);
      EXPECT_EQ(contingencyScore(fast),
                conservationScore(motif.data(), length, s.pairs, static_cast<int>(s.pairs.size())));
    }
  }
}

TEST(ConservationScore, ReverseStrandCountsOnlyWhenBuilt) {
  // GGGAC occurs only as its reverse complement GTCCC in the second members.
  std::vector<SequenceRecord> one = {nucleotideRecord("a", "TTGGGACTT"),
                                     nucleotideRecord("b", "TTTTTTTTT")};
  std::vector<SequenceRecord> two = {nucleotideRecord("c", "AAGTCCCAA"),
                                     nucleotideRecord("d", "AAAAAAAAA")};
  std::vector<OrthologPair> pairs = {{&one[0], &two[0]}, {&one[1], &two[1]}};
  std::vector<LetterCode> motif;
  ASSERT_EQ(parseMotifMasks("GGGAC", 10000, &symbolMask, motif), MotifStatus::Ok);
  EXPECT_EQ(conservationScore(motif.data(), 5, pairs, 2), 0.0);
  buildReverseComplements(one);
  buildReverseComplements(two);
  EXPECT_DOUBLE_EQ(conservationScore(motif.data(), 5, pairs, 2), std::log10(2.0));
}

TEST(ReadMotifRecords, SelectsLinesOfTheTypeInFileOrder) {
  std::istringstream in(
      "A = 5'MOTIF\n"              // header, never a motif
      "AC GT = 5'MOTIF\n"
      "\tTTT\t=\t5'\tMOTIF \r\n"   // blanks anywhere, CRLF
      "GGG = 3'MOTIF\n"
      "CCC = 5'motif\n"
      "no equals sign\n"
      "\n"
      "EMPTY =\n"
      "= 5'MOTIF\n"               // empty motif name
      "@AAA = 5'MOTIF\n"
      "ACGT = 5'MOTIF\n"
      "ACGT = 5'MOTIF=x\n"        // value holds the rest
      "ACGT = 5'MOTIF");           // last line without a line break
  std::vector<MotifRecord> motifs;
  ASSERT_EQ(readMotifRecords(in, motifs, "5'MOTIF"), 6);
  const std::vector<std::string> names = {"ACGT", "TTT", "", "@AAA", "ACGT", "ACGT"};
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(motifs[i].name, names[i]);
    EXPECT_EQ(motifs[i].score, 0.0);
    EXPECT_EQ(motifs[i].pValue, 1.0);
  }
  std::istringstream empty("");
  EXPECT_EQ(readMotifRecords(empty, motifs, "5'MOTIF"), 0);
}

TEST(ReadMotifRecords, RefusesOverLongFieldsAndTooManyMotifs) {
  std::vector<MotifRecord> motifs;
  auto read = [&](const std::string& text, const std::string& type) {
    std::istringstream in(text);
    return readMotifRecords(in, motifs, type);
  };
  EXPECT_EQ(read("h\n" + std::string(999, 'A') + " = 5'MOTIF\n", "5'MOTIF"), 1);
  EXPECT_EQ(read("h\n" + std::string(1000, 'A') + " = 5'MOTIF\n", "5'MOTIF"), kNoaFieldTooLong);
  EXPECT_EQ(read("h\nA = " + std::string(1000, 'T') + "\n", "5'MOTIF"), kNoaFieldTooLong);
  // Spaces do not count: they are removed first.
  EXPECT_EQ(read("h\n" + std::string(2000, ' ') + "A = 5'MOTIF\n", "5'MOTIF"), 1);

  std::string many = "h\n";
  for (int i = 0; i < 10000; ++i) many += "ACG = PMOTIF\nT = OTHER\n";
  EXPECT_EQ(read(many, "PMOTIF"), 10000);
  EXPECT_EQ(read(many + "CC = PMOTIF\n", "PMOTIF"), kTooManyMotifs);
}

struct SmallRun {
  std::vector<SequenceRecord> one;
  std::vector<SequenceRecord> two;
  std::vector<OrthologPair> pairs;
};

SmallRun smallRun() {
  SmallRun r;
  r.one = {nucleotideRecord("a", "ACGTACGTTT"), nucleotideRecord("b", "GGGGCCCCAA"),
           nucleotideRecord("c", "TTTTACGTAA"), nucleotideRecord("d", "CACACACACA")};
  r.two = {nucleotideRecord("e", "TACGTAGGCA"), nucleotideRecord("f", "GGGCCCAAAT"),
           nucleotideRecord("g", "ATACGTATAT"), nucleotideRecord("h", "CACCTACACA")};
  indexSequences(r.one, SequenceAlphabet::Nucleotide);
  indexSequences(r.two, SequenceAlphabet::Nucleotide);
  for (size_t i = 0; i < 4; ++i) r.pairs.push_back({&r.one[i], &r.two[i]});
  return r;
}

std::vector<MotifRecord> motifsNamed(const std::vector<std::string>& names) {
  std::vector<MotifRecord> motifs;
  for (const auto& n : names) motifs.push_back(MotifRecord{n, 0.0, 1.0});
  return motifs;
}

TEST(ScoreAllMotifs, DotsScoresAndMarkedNames) {
  const SmallRun r = smallRun();
  auto motifs = motifsNamed({"ACGT", "@ACGT", "GGG[AC]", "NNN"});
  std::ostringstream out;
  seedRandom(9);
  ASSERT_EQ(scoreAllMotifs(motifs, 4, r.pairs, 4, 50, ConservationAlphabet::Nucleotide, out), 4);
  EXPECT_EQ(out.str(), "....\n\n");

  std::vector<LetterCode> masks;
  ASSERT_EQ(parseMotifMasks("ACGT", 10000, &symbolMask, masks), MotifStatus::Ok);
  EXPECT_EQ(motifs[0].score, conservationScore(masks.data(), 4, r.pairs, 4));
  EXPECT_GT(motifs[0].score, 0.0);
  // The mark is no position: the marked name scores like the bare motif.
  EXPECT_EQ(motifs[1].score, motifs[0].score);
  for (const auto& m : motifs) {
    EXPECT_GE(m.pValue, 0.0);
    EXPECT_LE(m.pValue, 1.0 + 1e-9);
  }
  // Every decoy of an all-N motif is the motif itself: each one counts, by
  // repeated addition of 1/50.
  double sum = 0.0;
  for (int i = 0; i < 50; ++i) sum += 1.0 / 50;
  EXPECT_EQ(motifs[3].pValue, sum);
}

TEST(ScoreAllMotifs, WithoutDecoysThePValueIsZero) {
  const SmallRun r = smallRun();
  for (int ndecoy : {0, -3}) {
    auto motifs = motifsNamed({"ACGT", "NNN"});
    std::ostringstream out;
    seedRandom(1);
    ASSERT_EQ(scoreAllMotifs(motifs, 2, r.pairs, 4, ndecoy, ConservationAlphabet::Nucleotide,
                             out), 2);
    EXPECT_EQ(motifs[0].pValue, 0.0);
    EXPECT_EQ(motifs[1].pValue, 0.0);
    EXPECT_EQ(drawRandom(), 41);  // the generator was not touched
  }
}

TEST(ScoreAllMotifs, SameSeedSameResultAndDecoysChainFromThePrevious) {
  const SmallRun r = smallRun();
  auto first = motifsNamed({"AC", "G[CT]A"});
  auto second = first;
  std::ostringstream out;
  seedRandom(77);
  scoreAllMotifs(first, 2, r.pairs, 4, 30, ConservationAlphabet::Nucleotide, out);
  seedRandom(77);
  scoreAllMotifs(second, 2, r.pairs, 4, 30, ConservationAlphabet::Nucleotide, out);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(first[i].score, second[i].score);
    EXPECT_EQ(first[i].pValue, second[i].pValue);
  }

  // Reproduce the first motif's p-value by hand: one decoy array shuffled on
  // and on, each compared with the real score.
  seedRandom(77);
  std::vector<LetterCode> decoy;
  ASSERT_EQ(parseMotifMasks("AC", 10000, &symbolMask, decoy), MotifStatus::Ok);
  const double real = conservationScore(decoy.data(), 2, r.pairs, 4);
  double p = 0.0;
  for (int d = 0; d < 30; ++d) {
    makeDecoy(decoy.data(), 2, 4);
    if (conservationScore(decoy.data(), 2, r.pairs, 4) >= real) p += 1.0 / 30;
  }
  EXPECT_EQ(first[0].pValue, p);
}

TEST(ScoreAllMotifs, MalformedMotifStopsAfterItsDot) {
  const SmallRun r = smallRun();
  auto motifs = motifsNamed({"ACGT", "AC]GT", "TTT"});
  std::ostringstream out;
  EXPECT_EQ(scoreAllMotifs(motifs, 3, r.pairs, 4, 5, ConservationAlphabet::Nucleotide, out), 1);
  EXPECT_EQ(out.str(),
            "..ERROR: Sequence AC]GT does not have the correct format. Program is terminated.\n");
  EXPECT_GT(motifs[0].score, 0.0);  // scored
  EXPECT_EQ(motifs[2].pValue, 1.0);        // untouched

  auto tooLong = motifsNamed({std::string(10001, 'A')});
  std::ostringstream out2;
  EXPECT_EQ(scoreAllMotifs(tooLong, 1, r.pairs, 4, 5, ConservationAlphabet::Nucleotide, out2), 0);
  EXPECT_EQ(out2.str(),
            ".ERROR: Motif size exceeds the permitted maximum value. Program is terminated.\n");
}

TEST(ScoreAllMotifs, ProteinMotifsUseTheProteinCodeAndTwentyLetters) {
  std::vector<SequenceRecord> one = {proteinRecord("p", "MKLVAAGH"), proteinRecord("q", "WWWWYYYY")};
  std::vector<SequenceRecord> two = {proteinRecord("r", "GGKLVAAT"), proteinRecord("s", "YYYWWWDD")};
  indexSequences(one, SequenceAlphabet::Protein);
  indexSequences(two, SequenceAlphabet::Protein);
  std::vector<OrthologPair> pairs = {{&one[0], &two[0]}, {&one[1], &two[1]}};
  auto motifs = motifsNamed({"~KLVA", "XX"});
  std::ostringstream out;
  seedRandom(5);
  ASSERT_EQ(scoreAllMotifs(motifs, 2, pairs, 2, 10, ConservationAlphabet::Protein, out), 2);
  EXPECT_DOUBLE_EQ(motifs[0].score, std::log10(2.0));
  EXPECT_EQ(motifs[1].pValue, [] { double s = 0; for (int i = 0; i < 10; ++i) s += 0.1; return s; }());
  // 19 draws per position: 4 positions x 10 decoys + 2 x 10.
  const int next = drawRandom();
  seedRandom(5);
  for (int i = 0; i < 19 * (4 * 10 + 2 * 10); ++i) drawRandom();
  EXPECT_EQ(drawRandom(), next);
}

}  // namespace
}  // namespace tav
