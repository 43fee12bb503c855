#include "fasta.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace tav {
namespace {

using test::Codes;
using test::codesOf;
using test::Letters;
using test::lettersOf;

// Count, then every name followed by ',', then the console output.
std::string names(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream out;
  std::vector<GeneRecord> genes;
  std::string s = std::to_string(readFasta(in, genes, true, out)) + ":";
  for (const GeneRecord& g : genes) s += g.name + ",";
  return s + out.str();
}

TEST(FastaNames, OneRecordPerHeaderNameCutAtBlankCommaSemicolonBar) {
  EXPECT_EQ(
      names(">alpha desc\n>beta,x\n>gamma;y\n>delta|z\n>eps\tilon more\n>\n> after\n>plain\n"),
      "8:alpha,beta,gamma,delta,eps\tilon,,,plain,");
  // Sequence lines of any length are skipped; duplicates make their own
  // record; the last line lacks a line break.
  EXPECT_EQ(names("junk\n>g1 x\r\n" + std::string(5000, '*') + "\r\n acgt\n\n>g1\r\n>g2"),
            "3:g1,g1,g2,");
  EXPECT_EQ(names(""), "0:");
  EXPECT_EQ(names("ACGT\nacgt\n"), "0:");
}

// "name=LETTERS ..." (N / X for the any-code, [n] for other sets), a line
// break, then the console output.
std::string read(const std::string& text, SequenceAlphabet alphabet = SequenceAlphabet::Nucleotide,
                 int limit = 10000) {
  std::istringstream in(text);
  std::ostringstream out;
  std::vector<SequenceRecord> records;
  const int count = readFasta(in, records, alphabet, limit, out);
  EXPECT_EQ(count, static_cast<int>(records.size()));
  const bool protein = alphabet == SequenceAlphabet::Protein;
  const std::string letters = protein ? "ARNDCQEGHILKMFPSTWYV" : "TCGA";
  std::string s;
  for (const SequenceRecord& r : records) {
    EXPECT_EQ(r.length, static_cast<int>(r.codes.size()));
    EXPECT_FALSE(r.hasReverse || hasCurrentIndex(r));
    s += (s.empty() ? "" : " ") + r.name + "=";
    for (SequenceLetter stored : r.codes) {
      const LetterCode c = letterCode(stored);
      if (c == (protein ? kAnyProtein : kAnyNucleotide)) {
        s += protein ? 'X' : 'N';
      } else if (std::has_single_bit(c)) {
        s += letters[static_cast<size_t>(std::countr_zero(c))];
      } else {
        s.append("[").append(std::to_string(c)).append("]");
      }
    }
  }
  return s + "\n" + out.str();
}

std::string illegal(int times, const std::string& name, char as) {
  std::string s;
  for (int i = 0; i < times; ++i) {
    s +=
        "WARNING: " + name + " contains illegal characters. Illegal characters will be treated as ";
    s += as;
    s += ".\n";
  }
  return s;
}

TEST(FastaSequences, CodesWarningsAndRecordBoundaries) {
  // Letters before the first header are not looked at; two headers in a row
  // make an empty record; CR belongs to the line end.
  EXPECT_EQ(read("TTT\n>s1 first\nACgt\nuN\n\n>s2\n>s3\r\nGG\r\n"), "s1=ACGTTN s2= s3=GG\n");
  // One warning per illegal character; a line that begins with a blank is a
  // sequence line even when a '>' follows.
  EXPECT_EQ(read(">seq\nAnC 1G \n >\n"), "seq=ANCNNGNNN\n" + illegal(6, "seq", 'N'));
  EXPECT_EQ(read(">a\nA.A\n"), "a=ANA\n");
  EXPECT_EQ(read(">a\nA.A\n", SequenceAlphabet::MotifFinderNucleotide, 30000),
            "a=ANA\n" + illegal(1, "a", 'N'));
  EXPECT_EQ(read(">p|desc\nARNDCQEGHILKMFPSTWYVa.BZX*\n", SequenceAlphabet::Protein),
            "p=ARNDCQEGHILKMFPSTWYVXX[12][96]XX\n" + illegal(2, "p", 'X'));
  EXPECT_EQ(read(">a\nAC\r\nGT"), "a=ACGT\n");
  EXPECT_EQ(read(">a\nAC\n>b"), "a=AC b=\n");
  // The limit warning repeats for every further line; an illegal character
  // past the limit is not reported.
  const std::string tooLong =
      "WARNING: s is too long. Sequence will be shortened to 5 characters.\n";
  EXPECT_EQ(read(">s\nACGTACGT\n", SequenceAlphabet::Nucleotide, 5), "s=ACGTA\n" + tooLong);
  EXPECT_EQ(read(">s\nACG\nTA\n*C\nG\n\nT\n>t\nA\n", SequenceAlphabet::Nucleotide, 5),
            "s=ACGTA t=A\n" + tooLong + tooLong + tooLong);
  // A header of 999 characters is one piece; the rest of its line is read as
  // a sequence line, unless it begins with '>'.
  const std::string h998(998, 'h');
  EXPECT_EQ(read(">" + h998 + "ACGT" + std::string(197, 'x') + "\nTT\n"),
            h998 + "=ACGT" + std::string(197, 'N') + "TT\n" + illegal(197, h998, 'N'));
  EXPECT_EQ(read(">" + h998 + ">b c\nGG\n"), h998 + "= b=GG\n");
}

TEST(ReverseComplement, ReversesAndComplements) {
  std::vector<SequenceRecord> records(2);
  records[0].codes = {8, 8, 2, 12, 15, 1, 4};  // A A C [AG] N T G
  records[0].length = 7;
  buildReverseComplements(records);
  EXPECT_EQ(records[0].reverseCodes, (Letters{2, 8, 15, 3, 4, 1, 1}));
  EXPECT_TRUE(records[0].hasReverse && records[1].hasReverse);
  EXPECT_TRUE(records[1].reverseCodes.empty());
}

SequenceRecord recordOf(const std::string& letters, bool bothStrands) {
  std::vector<SequenceRecord> one(1);
  one[0].codes = lettersOf(letters);
  one[0].length = static_cast<int32_t>(letters.size());
  if (bothStrands) buildReverseComplements(one);
  return one[0];
}

TEST(MotifOccurs, WindowRule) {
  const SequenceRecord one = recordOf("TTACGNA", false);
  const SequenceRecord both = recordOf("TTACGNA", true);
  // per motif: plain rule on one strand, on both strands, indexed on both
  std::string got;
  for (const Codes& m : {codesOf("ACG"), codesOf("TTACGNA"),
                         codesOf("TTACGNAT"),  // longer than the sequence
                         codesOf("GA"),        // N in the sequence matches only N in the motif
                         codesOf("GNA"),
                         codesOf("CGT"),  // reverse complement of ACG
                         Codes{12, 2},    // [AG] C
                         Codes{}}) {
    const int length = static_cast<int>(m.size());
    got += std::to_string(motifOccursReference(m.data(), length, one)) +
           std::to_string(motifOccursReference(m.data(), length, both)) +
           std::to_string(motifOccurs(m.data(), length, both)) + " ";
  }
  EXPECT_EQ(got, "111 111 000 000 111 011 111 111 ");
  EXPECT_EQ(motifOccursReference(nullptr, 0, SequenceRecord{}), 1);
}

// Compares the indexed search with the plain rule on random sequences and
// motifs. Motifs are often cut from the sequence itself (then widened or
// mutated) so that both answers occur often.
void runEquivalence(bool protein, bool bothStrands) {
  std::mt19937 engine(20240607u);
  const auto pick = [&engine](int n) {
    return static_cast<int>(engine() % static_cast<uint32_t>(n));
  };
  const LetterCode any = protein ? kAnyProtein : kAnyNucleotide;
  const auto letter = [&] { return LetterCode{1} << pick(protein ? 20 : 4); };
  // Stored letters: mostly single ones, then the any-letter, the other sets
  // and a byte no reader stores (code 0, matching every motif position).
  const auto sequenceLetter = [&]() -> SequenceLetter {
    const int roll = pick(100);
    const int single = protein ? kFirstProteinLetter + pick(20) : 1 << pick(4);
    if (roll < 80) return static_cast<SequenceLetter>(single);
    if (roll < 88) return protein ? kAnyProteinLetter : static_cast<SequenceLetter>(kAnyNucleotide);
    if (roll < 95)
      return static_cast<SequenceLetter>(protein ? kFirstProteinLetter + 20 + pick(2)
                                                 : 1 + pick(15));
    return roll < 98 ? 0 : 200;
  };
  const auto motifCode = [&]() -> LetterCode {
    const int roll = pick(100);
    if (roll < 60) return letter();
    if (roll >= 95) return 0;  // matches only positions coded 0
    if (roll >= 85) return any;
    LetterCode c = 0;
    for (int b = 2 + pick(protein ? 8 : 2); b > 0; --b) c |= letter();
    return c;
  };
  int calls = 0;
  int hits = 0;
  for (int round = 0; round < 12; ++round) {
    for (int length :
         {0, 1, 2, 3, 5, 9, 17, 62, 63, 64, 65, 66, 127, 128, 129, 191, 200, 500, 1000}) {
      std::vector<SequenceRecord> one(1);
      for (int i = 0; i < length; ++i) one[0].codes.push_back(sequenceLetter());
      one[0].length = length;
      if (bothStrands) buildReverseComplements(one);
      indexSequences(one, protein ? SequenceAlphabet::Protein : SequenceAlphabet::Nucleotide);
      ASSERT_TRUE(hasCurrentIndex(one[0]));
      for (int k = 0; k < 60; ++k) {
        int m = pick(14);
        const int kind = pick(20);
        if (kind == 0) m = length + 1 + pick(3);  // longer than the sequence
        if (kind == 1) m = length;                // exactly as long
        if (kind == 2) m = 60 + pick(90);         // past the first words and the plan cache
        for (int strand = 0; strand < (bothStrands ? 2 : 1); ++strand) {
          const Letters& seq = strand ? one[0].reverseCodes : one[0].codes;
          const bool planted = m <= length && length > 0 && pick(2) == 0;
          const int start = planted ? pick(length - m + 1) : 0;
          Codes motif(static_cast<size_t>(m));
          for (int i = 0; i < m; ++i) {
            LetterCode& c = motif[static_cast<size_t>(i)];
            c = planted ? letterCode(seq[static_cast<size_t>(start + i)]) : motifCode();
            if (planted && pick(4) == 0) c |= motifCode();  // widen
            if (planted && pick(40) == 0) c = motifCode();  // mutate
          }
          const int plain = motifOccursReference(motif.data(), m, one[0]);
          ++calls;
          hits += plain;
          ASSERT_EQ(motifOccurs(motif.data(), m, one[0]), plain)
              << "length " << length << ", motif of " << m << " from strand " << strand;
        }
      }
    }
  }
  // both answers must be well represented for the comparison to mean much
  EXPECT_GT(hits, calls / 5);
  EXPECT_LT(hits, calls * 4 / 5);
}

TEST(MotifOccursIndex, MatchesPlainRuleNucleotideOneStrand) { runEquivalence(false, false); }
TEST(MotifOccursIndex, MatchesPlainRuleNucleotideBothStrands) { runEquivalence(false, true); }
TEST(MotifOccursIndex, MatchesPlainRuleProtein) { runEquivalence(true, false); }

int occurs(const std::string& motif, const SequenceRecord& record) {
  const Codes m = codesOf(motif);
  return motifOccurs(m.data(), static_cast<int>(m.size()), record);
}

TEST(MotifOccursIndex, OneStrandRuledOutEarlyTheOtherMatchesLate) {
  // no T on the given strand, so GTT can only occur on the reverse codes,
  // where it sits in the fourth 64-position block
  std::vector<SequenceRecord> one{recordOf(std::string("CCAAC").append(195, 'G'), true)};
  indexSequences(one, SequenceAlphabet::Nucleotide);
  ASSERT_TRUE(hasCurrentIndex(one[0]));
  EXPECT_EQ(occurs("GTT", one[0]), 1);
  EXPECT_EQ(occurs("GTTA", one[0]), 0);
}

TEST(MotifOccursIndex, StaleOrMissingIndexFallsBackToThePlainRule) {
  std::vector<SequenceRecord> one{recordOf("ACGTTGCA", false)};
  indexSequences(one, SequenceAlphabet::Nucleotide);
  EXPECT_TRUE(hasCurrentIndex(one[0]));
  EXPECT_EQ(occurs("TGCAAC", one[0]), 0);  // only on the reverse strand, not built yet

  buildReverseComplements(one);  // strand added after indexing
  EXPECT_FALSE(hasCurrentIndex(one[0]));
  EXPECT_EQ(occurs("TGCAAC", one[0]), 1);

  indexSequences(one, SequenceAlphabet::Nucleotide);
  one[0].codes = lettersOf("GGGGGGGG");  // codes replaced
  one[0].reverseCodes = lettersOf("CCCCCCCC");
  EXPECT_FALSE(hasCurrentIndex(one[0]));
  EXPECT_EQ(occurs("GGG", one[0]), 1);

  const SequenceRecord copy = one[0];  // a copy has its own buffers
  EXPECT_FALSE(hasCurrentIndex(copy));
  EXPECT_EQ(occurs("GGG", copy), 1);

  // more distinct codes than a class mask can name (every nucleotide set and
  // every protein letter): searched the plain way
  std::vector<SequenceRecord> wide(1);
  for (int c = 1; c <= kAnyProteinLetter; ++c)
    wide[0].codes.push_back(static_cast<SequenceLetter>(c));
  wide[0].length = static_cast<int32_t>(wide[0].codes.size());
  indexSequences(wide, SequenceAlphabet::Protein);
  EXPECT_FALSE(hasCurrentIndex(wide[0]));
  const Codes m = {96, kAnyProtein};  // Z then X, the last two letters
  EXPECT_EQ(motifOccurs(m.data(), 2, wide[0]), 1);

  // a length that disagrees with the codes never reads past them
  std::vector<SequenceRecord> bad{recordOf("AC", false)};
  bad[0].length = 5;
  indexSequences(bad, SequenceAlphabet::Nucleotide);
  EXPECT_EQ(occurs("ACG", bad[0]), 0);
}

}  // namespace
}  // namespace tav
