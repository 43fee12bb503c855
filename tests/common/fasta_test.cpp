#include "fasta.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tav {
namespace {

struct NamesRead {
  int count = 0;
  std::vector<GeneRecord> genes;
  std::string console;
};

NamesRead readNames(const std::string& text) {
  NamesRead r;
  std::istringstream in(text);
  std::ostringstream out;
  r.count = readFasta(in, r.genes, true, out);
  r.console = out.str();
  return r;
}

struct SequencesRead {
  int count = 0;
  std::vector<SequenceRecord> records;
  std::string console;
};

SequencesRead readSequences(const std::string& text, SequenceAlphabet alphabet = SequenceAlphabet::Nucleotide,
                            int limit = 10000) {
  SequencesRead r;
  std::istringstream in(text);
  std::ostringstream out;
  r.count = readFasta(in, r.records, alphabet, limit, out);
  r.console = out.str();
  return r;
}

std::vector<LetterCode> codesOf(const std::string& letters) {
  std::vector<LetterCode> codes;
  for (char c : letters) codes.push_back(symbolMask(c));
  return codes;
}

int countOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(LetterCodes, NucleotideProteinAndComplement) {
  EXPECT_EQ(symbolMask('T'), 1u);
  EXPECT_EQ(symbolMask('u'), 1u);
  EXPECT_EQ(symbolMask('c'), 2u);
  EXPECT_EQ(symbolMask('G'), 4u);
  EXPECT_EQ(symbolMask('a'), 8u);
  EXPECT_EQ(symbolMask('N'), 15u);
  EXPECT_EQ(symbolMask('.'), 15u);
  EXPECT_EQ(symbolMask('n'), 0u);
  EXPECT_EQ(symbolMask('X'), 0u);
  EXPECT_EQ(fastaSymbolMask('.'), 0u);
  EXPECT_EQ(fastaSymbolMask('N'), 15u);
  EXPECT_EQ(fastaSymbolMask('t'), 1u);

  const std::string letters = "ARNDCQEGHILKMFPSTWYV";
  for (int i = 0; i < 20; ++i) EXPECT_EQ(proteinSymbolMask(letters[i]), LetterCode{1} << i) << letters[i];
  EXPECT_EQ(proteinSymbolMask('B'), 12u);
  EXPECT_EQ(proteinSymbolMask('Z'), 96u);
  EXPECT_EQ(proteinSymbolMask('X'), 1048575u);
  EXPECT_EQ(proteinSymbolMask('.'), 1048575u);
  for (char c : std::string("a*-0 Ouj")) EXPECT_EQ(proteinSymbolMask(c), 0u) << c;

  EXPECT_EQ(complementCode(1), 8u);
  EXPECT_EQ(complementCode(2), 4u);
  EXPECT_EQ(complementCode(15), 15u);
  EXPECT_EQ(complementCode(12), 3u);  // A or G -> T or C
  for (LetterCode c = 0; c < 16; ++c) EXPECT_EQ(complementCode(complementCode(c)), c);
}

TEST(FastaNames, NamesStopAtBlankCommaSemicolonBarButNotTab) {
  NamesRead r = readNames(
      ">alpha desc\n>beta,x\n>gamma;y\n>delta|z\n>eps\tilon more\n>\n> after\n>plain\n");
  ASSERT_EQ(r.count, 8);
  EXPECT_EQ(r.genes[0].name, "alpha");
  EXPECT_EQ(r.genes[1].name, "beta");
  EXPECT_EQ(r.genes[2].name, "gamma");
  EXPECT_EQ(r.genes[3].name, "delta");
  EXPECT_EQ(r.genes[4].name, "eps\tilon");
  EXPECT_EQ(r.genes[5].name, "");
  EXPECT_EQ(r.genes[6].name, "");
  EXPECT_EQ(r.genes[7].name, "plain");
  EXPECT_EQ(r.console, "");
}

TEST(FastaNames, SequenceLinesIgnoredRowsEmptyCrlfAndLastLine) {
  std::string longLine(5000, '*');
  NamesRead r = readNames("junk before\n>g1 x\r\n" + longLine + "\r\n acgt\n\n>g1\r\n>g2");
  ASSERT_EQ(r.count, 3);
  EXPECT_EQ(r.genes[0].name, "g1");
  EXPECT_EQ(r.genes[1].name, "g1");  // duplicates make their own record
  EXPECT_EQ(r.genes[2].name, "g2");  // last line without a line break
  for (const GeneRecord& g : r.genes) {
    EXPECT_TRUE(g.neighbors.empty());
    EXPECT_EQ(g.interactionCount, 0);
    EXPECT_FALSE(g.excluded);
  }
  EXPECT_EQ(r.console, "");
}

TEST(FastaNames, ThirtyThousandAndFirstHeaderStopsReading) {
  std::string text;
  for (int i = 1; i <= 30002; ++i) text += ">g" + std::to_string(i) + "\nACGT\n";
  NamesRead r = readNames(text);
  EXPECT_EQ(r.count, 30000);
  EXPECT_EQ(r.genes.back().name, "g30000");
  EXPECT_EQ(r.console,
            "WARNING: More than 30000 sequences were found. The rest of the file will be ignored.\n");
}

TEST(FastaNames, EmptyAndHeaderlessFilesGiveNoRecords) {
  EXPECT_EQ(readNames("").count, 0);
  NamesRead r = readNames("ACGT\nacgt\n");
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(r.console, "");
}

TEST(FastaSequences, CodesLengthsAndEmptyRecords) {
  SequencesRead r = readSequences("TTT\n>s1 first\nACgt\nuN\n\n>s2\n>s3\r\nGG\r\n");
  ASSERT_EQ(r.count, 3);
  EXPECT_EQ(r.records[0].name, "s1");
  EXPECT_EQ(r.records[0].codes, (std::vector<LetterCode>{8, 2, 4, 1, 1, 15}));
  EXPECT_EQ(r.records[0].length, 6);
  EXPECT_EQ(r.records[1].length, 0);  // two headers in a row
  EXPECT_TRUE(r.records[1].codes.empty());
  EXPECT_EQ(r.records[2].codes, codesOf("GG"));  // CR is part of the line end
  for (const SequenceRecord& s : r.records) {
    EXPECT_FALSE(s.hasReverse);
    EXPECT_TRUE(s.reverseCodes.empty());
    EXPECT_FALSE(hasCurrentIndex(s));
  }
  EXPECT_EQ(r.console, "");  // illegal letters before the first header are not looked at
}

TEST(FastaSequences, IllegalCharactersWarnOnceEachAndBecomeAny) {
  // lower-case n, a blank, a digit, a trailing blank; a line that begins
  // with a blank is a sequence line even when a '>' follows
  SequencesRead r = readSequences(">seq\nAnC 1G \n >\n");
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.records[0].codes, (std::vector<LetterCode>{8, 15, 2, 15, 15, 4, 15, 15, 15}));
  const std::string warning = "WARNING: seq contains illegal characters. Illegal characters will be treated as N.\n";
  EXPECT_EQ(countOf(r.console, warning), 6);
  EXPECT_EQ(r.console.size(), 6 * warning.size());
}

TEST(FastaSequences, FullStopDependsOnTheAlphabet) {
  SequencesRead vantor = readSequences(">a\nA.A\n", SequenceAlphabet::Nucleotide);
  EXPECT_EQ(vantor.records[0].codes, (std::vector<LetterCode>{8, 15, 8}));
  EXPECT_EQ(vantor.console, "");
  SequencesRead finder = readSequences(">a\nA.A\n", SequenceAlphabet::MotifFinderNucleotide, 30000);
  EXPECT_EQ(finder.records[0].codes, (std::vector<LetterCode>{8, 15, 8}));
  EXPECT_EQ(finder.console, "WARNING: a contains illegal characters. Illegal characters will be treated as N.\n");
}

TEST(FastaSequences, ProteinLowerCaseAndStopAreIllegal) {
  SequencesRead r = readSequences(">p|desc\nMKa.BZX*\n", SequenceAlphabet::Protein);
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.records[0].name, "p");
  EXPECT_EQ(r.records[0].codes,
            (std::vector<LetterCode>{4096, 2048, 1048575, 1048575, 12, 96, 1048575, 1048575}));
  const std::string warning = "WARNING: p contains illegal characters. Illegal characters will be treated as X.\n";
  EXPECT_EQ(r.console, warning + warning);
}

TEST(FastaSequences, LongHeaderContinuesAsSequenceLine) {
  std::string header = std::string(">").append(998, 'h');  // 999 characters: one piece
  std::string rest = std::string("ACGT").append(197, 'x');  // 201 characters read as a sequence line
  SequencesRead r = readSequences(header + rest + "\nTT\n");
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.records[0].name, std::string(998, 'h'));
  EXPECT_EQ(r.records[0].length, 203);
  EXPECT_EQ(std::vector<LetterCode>(r.records[0].codes.begin(), r.records[0].codes.begin() + 4), codesOf("ACGT"));
  EXPECT_EQ(r.records[0].codes.back(), 1u);
  EXPECT_EQ(countOf(r.console, "contains illegal characters"), 197);

  // a continuation piece that begins with '>' is a header of its own
  SequencesRead two = readSequences(std::string(">").append(998, 'a').append(">b c\nGG\n"));
  ASSERT_EQ(two.count, 2);
  EXPECT_EQ(two.records[0].length, 0);
  EXPECT_EQ(two.records[1].name, "b");
  EXPECT_EQ(two.records[1].codes, codesOf("GG"));
}

TEST(FastaSequences, TooLongWarnsForEveryFurtherLine) {
  // one line over the limit: one warning, exactly the limit kept
  SequencesRead one = readSequences(">s\nACGTACGT\n", SequenceAlphabet::Nucleotide, 5);
  EXPECT_EQ(one.records[0].codes, codesOf("ACGTA"));
  EXPECT_EQ(one.console, "WARNING: s is too long. Sequence will be shortened to 5 characters.\n");

  // the limit is reached at the end of a line, three lines follow; an
  // illegal character past the limit gives no illegal-character warning
  SequencesRead three = readSequences(">s\nACG\nTA\n*C\nG\n\nT\n>t\nA\n", SequenceAlphabet::Nucleotide, 5);
  ASSERT_EQ(three.count, 2);
  EXPECT_EQ(three.records[0].codes, codesOf("ACGTA"));
  EXPECT_EQ(three.records[1].codes, codesOf("A"));
  const std::string warning = "WARNING: s is too long. Sequence will be shortened to 5 characters.\n";
  EXPECT_EQ(three.console, warning + warning + warning);
}

TEST(FastaSequences, ThirtyThousandAndFirstHeaderKeepsTheLastRecordWhole) {
  std::string text;
  for (int i = 1; i <= 30000; ++i) text += ">s" + std::to_string(i) + "\nAC\n";
  text += "GT\n>s30001\nTTTT\n";
  SequencesRead r = readSequences(text);
  EXPECT_EQ(r.count, 30000);
  EXPECT_EQ(r.records.back().name, "s30000");
  EXPECT_EQ(r.records.back().codes, codesOf("ACGT"));
  EXPECT_EQ(r.console, "WARNING: More than 30000 sequences were found. The rest of the file will be ignored.\n");
}

TEST(FastaSequences, LastLineWithoutLineBreakIsRead) {
  SequencesRead r = readSequences(">a\nAC\r\nGT");
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.records[0].codes, codesOf("ACGT"));
  SequencesRead h = readSequences(">a\nAC\n>b");
  ASSERT_EQ(h.count, 2);
  EXPECT_EQ(h.records[1].name, "b");
  EXPECT_EQ(h.records[1].length, 0);
}

TEST(ReverseComplement, ReversesAndComplements) {
  std::vector<SequenceRecord> records(2);
  records[0].codes = {8, 8, 2, 12, 15};  // A A C [AG] N
  records[0].length = 5;
  buildReverseComplements(records);
  EXPECT_TRUE(records[0].hasReverse);
  EXPECT_EQ(records[0].reverseCodes, (std::vector<LetterCode>{15, 3, 4, 1, 1}));
  EXPECT_TRUE(records[1].hasReverse);
  EXPECT_TRUE(records[1].reverseCodes.empty());
}

SequenceRecord recordOf(const std::string& letters, bool bothStrands) {
  std::vector<SequenceRecord> one(1);
  one[0].codes = codesOf(letters);
  one[0].length = static_cast<int32_t>(letters.size());
  if (bothStrands) buildReverseComplements(one);
  return one[0];
}

TEST(MotifOccurs, WindowRule) {
  SequenceRecord s = recordOf("TTACGNA", false);
  auto occurs = [&](const std::string& motif) {
    std::vector<LetterCode> m = codesOf(motif);
    return motifOccursReference(m.data(), static_cast<int>(m.size()), s);
  };
  EXPECT_EQ(occurs("ACG"), 1);
  EXPECT_EQ(occurs("TTACGNA"), 1);
  EXPECT_EQ(occurs("TTACGNAT"), 0);  // longer than the sequence
  EXPECT_EQ(occurs("GA"), 0);        // N in the sequence matches only N in the motif
  EXPECT_EQ(occurs("GNA"), 1);
  EXPECT_EQ(occurs("CGT"), 0);  // reverse complement of ACG, but one strand only
  EXPECT_EQ(motifOccursReference(nullptr, 0, s), 1);
  EXPECT_EQ(motifOccursReference(nullptr, 0, SequenceRecord{}), 1);

  std::vector<LetterCode> degenerate = {12, 2};  // [AG] C
  EXPECT_EQ(motifOccursReference(degenerate.data(), 2, s), 1);

  SequenceRecord both = recordOf("TTACGNA", true);
  std::vector<LetterCode> cgt = codesOf("CGT");
  EXPECT_EQ(motifOccursReference(cgt.data(), 3, both), 1);
  EXPECT_EQ(motifOccurs(cgt.data(), 3, both), 1);
}

// Random sequences and motifs for comparing the indexed search with the plain
// rule. Motifs are often cut from the sequence itself (then widened or
// mutated) so that both answers occur often.
class OccurrenceCases {
 public:
  explicit OccurrenceCases(bool protein) : protein_(protein) {}

  LetterCode sequenceCode() {
    const int roll = pick(100);
    if (roll < 80) return letter();
    if (roll < 88) return any();             // N / X, also what illegal letters are stored as
    if (roll < 95) return sequenceSet();     // codes the reader never makes but callers may
    if (roll < 98) return 0;                 // matches every motif position
    return protein_ ? LetterCode{96} : LetterCode{12};
  }

  LetterCode motifCode() {
    const int roll = pick(100);
    if (roll < 60) return letter();
    if (roll < 85) return degenerate();
    if (roll < 95) return any();
    return 0;  // matches only positions coded 0
  }

  std::vector<LetterCode> sequence(int length) {
    std::vector<LetterCode> codes(static_cast<size_t>(length));
    for (LetterCode& c : codes) c = sequenceCode();
    return codes;
  }

  std::vector<LetterCode> motif(const std::vector<LetterCode>& seq, int length) {
    std::vector<LetterCode> m(static_cast<size_t>(length));
    const bool planted = !seq.empty() && length <= static_cast<int>(seq.size()) && pick(2) == 0;
    const int start = planted ? pick(static_cast<int>(seq.size()) - length + 1) : 0;
    for (int i = 0; i < length; ++i) {
      if (planted) {
        m[static_cast<size_t>(i)] = seq[static_cast<size_t>(start + i)];
        if (pick(4) == 0) m[static_cast<size_t>(i)] |= motifCode();   // widen
        if (pick(40) == 0) m[static_cast<size_t>(i)] = motifCode();   // mutate
      } else {
        m[static_cast<size_t>(i)] = motifCode();
      }
    }
    return m;
  }

  int pick(int n) { return static_cast<int>(engine_() % static_cast<uint32_t>(n)); }

 private:
  LetterCode letter() { return LetterCode{1} << pick(protein_ ? 20 : 4); }
  LetterCode any() { return protein_ ? kAnyProtein : kAnyNucleotide; }
  LetterCode sequenceSet() {
    if (!protein_) return static_cast<LetterCode>(1 + pick(15));
    static constexpr LetterCode kSets[] = {3, 0x30000, 0x90400, 0xFFFFE};
    return kSets[pick(4)];
  }
  LetterCode degenerate() {
    LetterCode c = 0;
    const int bits = 2 + pick(protein_ ? 8 : 2);
    for (int b = 0; b < bits; ++b) c |= letter();
    return c;
  }

  bool protein_;
  std::mt19937 engine_{20240607u};
};

struct Tally {
  int calls = 0;
  int hits = 0;
  int mismatches = 0;
  std::string firstMismatch;
};

void compareOn(const SequenceRecord& record, const std::vector<LetterCode>& motif, Tally& tally) {
  const int m = static_cast<int>(motif.size());
  const int fast = motifOccurs(motif.data(), m, record);
  const int plain = motifOccursReference(motif.data(), m, record);
  ++tally.calls;
  tally.hits += plain;
  if (fast != plain && tally.mismatches++ == 0) {
    tally.firstMismatch = "length " + std::to_string(record.length) + (record.hasReverse ? " both" : " one") +
                          " strand(s), motif of " + std::to_string(m) + ": fast " + std::to_string(fast);
  }
}

void runEquivalence(bool protein, bool bothStrands) {
  OccurrenceCases cases(protein);
  const std::vector<int> lengths = {0, 1, 2, 3, 5, 9, 17, 62, 63, 64, 65, 66, 127, 128, 129, 191, 200, 500, 1000};
  Tally tally;
  for (int round = 0; round < 12; ++round) {
    for (int length : lengths) {
      std::vector<SequenceRecord> one(1);
      one[0].codes = cases.sequence(length);
      one[0].length = length;
      if (bothStrands) buildReverseComplements(one);
      indexSequences(one, protein ? SequenceAlphabet::Protein : SequenceAlphabet::Nucleotide);
      ASSERT_TRUE(hasCurrentIndex(one[0]));
      const SequenceRecord& record = one[0];
      for (int k = 0; k < 60; ++k) {
        int m = cases.pick(14);
        const int kind = cases.pick(20);
        if (kind == 0) m = length + 1 + cases.pick(3);  // longer than the sequence
        if (kind == 1) m = length;                       // exactly as long
        if (kind == 2) m = 60 + cases.pick(90);          // past the first words and the plan cache
        compareOn(record, cases.motif(record.codes, m), tally);
        if (bothStrands) compareOn(record, cases.motif(record.reverseCodes, m), tally);
      }
    }
  }
  EXPECT_EQ(tally.mismatches, 0) << tally.firstMismatch;
  // both answers must be well represented for the comparison to mean much
  EXPECT_GT(tally.hits, tally.calls / 5);
  EXPECT_LT(tally.hits, tally.calls * 4 / 5);
}

TEST(MotifOccursIndex, MatchesPlainRuleNucleotideOneStrand) { runEquivalence(false, false); }
TEST(MotifOccursIndex, MatchesPlainRuleNucleotideBothStrands) { runEquivalence(false, true); }
TEST(MotifOccursIndex, MatchesPlainRuleProtein) { runEquivalence(true, false); }

TEST(MotifOccursIndex, ReaderOutputOnBothStrands) {
  // index built over what the reader produces, with the reverse strand hit
  // only through the reverse codes
  std::istringstream in(">a\nTTTTGGACCTTT\n>b\nAAnAA\n>c\n\n");
  std::ostringstream out;
  std::vector<SequenceRecord> records;
  ASSERT_EQ(readFasta(in, records, SequenceAlphabet::MotifFinderNucleotide, 30000, out), 3);
  buildReverseComplements(records);
  indexSequences(records, SequenceAlphabet::MotifFinderNucleotide);
  std::vector<LetterCode> ggtcc = codesOf("GGTCC");  // reverse complement of GGACC
  std::vector<LetterCode> aanaa = codesOf("AANAA");
  std::vector<LetterCode> aaaaa = codesOf("AAAAA");
  EXPECT_EQ(motifOccurs(ggtcc.data(), 5, records[0]), 1);
  EXPECT_EQ(motifOccurs(aanaa.data(), 5, records[1]), 1);
  EXPECT_EQ(motifOccurs(aaaaa.data(), 5, records[1]), 0);  // the illegal n is N, not A
  EXPECT_EQ(motifOccurs(aanaa.data(), 5, records[2]), 0);
  EXPECT_EQ(motifOccurs(aanaa.data(), 0, records[2]), 1);
}

TEST(MotifOccursIndex, OneStrandRuledOutEarlyTheOtherMatchesLate) {
  // no T on the given strand, so GTT can only occur on the reverse codes,
  // where it sits in the fourth 64-position block
  std::vector<SequenceRecord> one(1);
  one[0].codes = codesOf(std::string("CCAAC").append(195, 'G'));
  one[0].length = 200;
  buildReverseComplements(one);
  indexSequences(one, SequenceAlphabet::Nucleotide);
  ASSERT_TRUE(hasCurrentIndex(one[0]));
  std::vector<LetterCode> gtt = codesOf("GTT");
  EXPECT_EQ(motifOccurs(gtt.data(), 3, one[0]), 1);
  std::vector<LetterCode> gtta = codesOf("GTTA");
  EXPECT_EQ(motifOccurs(gtta.data(), 4, one[0]), 0);
}

TEST(MotifOccursIndex, StaleOrMissingIndexFallsBackToThePlainRule) {
  std::vector<SequenceRecord> one(1);
  one[0].codes = codesOf("ACGTTGCA");
  one[0].length = 8;
  indexSequences(one, SequenceAlphabet::Nucleotide);
  EXPECT_TRUE(hasCurrentIndex(one[0]));
  std::vector<LetterCode> cat = codesOf("CAT");  // only on the reverse strand... of nothing yet
  EXPECT_EQ(motifOccurs(cat.data(), 3, one[0]), 0);

  buildReverseComplements(one);  // strand added after indexing
  EXPECT_FALSE(hasCurrentIndex(one[0]));
  std::vector<LetterCode> tgca = codesOf("TGCAAC");  // reverse strand only
  EXPECT_EQ(motifOccurs(tgca.data(), 6, one[0]), 1);

  indexSequences(one, SequenceAlphabet::Nucleotide);
  EXPECT_TRUE(hasCurrentIndex(one[0]));
  one[0].codes = codesOf("GGGGGGGG");  // codes replaced
  one[0].reverseCodes = codesOf("CCCCCCCC");
  EXPECT_FALSE(hasCurrentIndex(one[0]));
  std::vector<LetterCode> gg = codesOf("GGG");
  EXPECT_EQ(motifOccurs(gg.data(), 3, one[0]), 1);

  SequenceRecord copy = one[0];  // a copy has its own buffers
  EXPECT_FALSE(hasCurrentIndex(copy));
  EXPECT_EQ(motifOccurs(gg.data(), 3, copy), 1);

  // more distinct codes than a class mask can name: searched the plain way
  std::vector<SequenceRecord> wide(1);
  for (LetterCode c = 1; c <= 40; ++c) wide[0].codes.push_back(c);
  wide[0].length = 40;
  indexSequences(wide, SequenceAlphabet::Protein);
  EXPECT_FALSE(hasCurrentIndex(wide[0]));
  std::vector<LetterCode> m = {39, 40};
  EXPECT_EQ(motifOccurs(m.data(), 2, wide[0]), 1);

  // a length that disagrees with the codes never reads past them
  std::vector<SequenceRecord> bad(1);
  bad[0].codes = codesOf("AC");
  bad[0].length = 5;
  indexSequences(bad, SequenceAlphabet::Nucleotide);
  std::vector<LetterCode> acg = codesOf("ACG");
  EXPECT_EQ(motifOccurs(acg.data(), 3, bad[0]), 0);
}

}  // namespace
}  // namespace tav
