// The conservation score of a motif over ortholog pairs (signed mutual
// information of its presence in the two members) and its significance
// against decoy motifs that keep the number of allowed letters per position.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "conservation_alphabet.h"
#include "orthologs.h"
#include "random.h"
#include "records.h"
#include "stranded_motif.h"

namespace tav {

struct MotifRecord {
  std::string name;     // the motif text as read (a leading type mark included)
  double score = 0.0;   // conservation score of the real motif
  double pValue = 1.0;  // fraction of decoys scoring at least as high
};

// Results of readMotifRecords beyond a plain motif count.
inline constexpr int kNoaFieldTooLong = -1;  // a name or value over 999 characters
inline constexpr int kTooManyMotifs = -2;    // a 10001st motif of the type

// Skips the header line; every further line (blanks and tabs removed) whose
// text after the first '=' equals `type` makes a record named by the text
// before it. `motifs` is refilled in file order. Returns the number of
// records, or one of the negative codes above.
int readMotifRecords(std::istream& in, std::vector<MotifRecord>& motifs, std::string_view type);

// The motif text of a name: without one leading type mark ('@', '%', '~'),
// as names copied from an SE file carry; otherwise the name itself.
std::string_view motifText(std::string_view name);

// Presence counts over the pairs: n[a][b] counts the pairs whose first member
// has presence a and second member presence b.
struct ContingencyTable {
  int32_t n[2][2] = {{0, 0}, {0, 0}};
};

// Signed mutual information (base 10) of the table: negative when the motif
// is found together in both members less often than by chance; 0 for an
// empty table.
double contingencyScore(const ContingencyTable& table);

// Counts the table by testing the motif in both members of every pair: the
// plain twin of countMembers, on the strands the records hold.
ContingencyTable countContingency(const LetterCode* motif, int length,
                                  const std::vector<OrthologPair>& pairs, int count);

// The distinct records that the pairs refer to, so that a record listed in
// several pairs is tested once per motif.
struct PairMembers {
  std::vector<const SequenceRecord*> records;  // in order of first appearance
  std::vector<int32_t> firstSlot;              // per pair: index into records
  std::vector<int32_t> secondSlot;
  std::vector<uint8_t> presence;  // working buffer, one per record
};
PairMembers collectMembers(const std::vector<OrthologPair>& pairs, int count);

// Same table as countContingency over the pairs the members were built from,
// each record tested once, on all threads.
ContingencyTable countMembers(const StrandedMotif& motif, PairMembers& members);

// Shuffles each position's code in place over the alphabet's `alphabetSize`
// letter bits: for j = 0 .. K-2 swap bit j with bit j + drawRandom() % (K - j).
void makeDecoy(LetterCode* motif, int length, int alphabetSize);
// The same with the draws from `stream` instead of the process-wide generator.
void makeDecoy(LetterCode* motif, int length, int alphabetSize, RandomStream& stream);
// Draws makeDecoy makes: (alphabetSize - 1) per position.
uint64_t decoyDraws(int length, int alphabetSize);

struct ScoringParams {
  int ndecoy = 1000;
  ConservationAlphabet alphabet = ConservationAlphabet::Nucleotide;
  // Nucleotides: search every motif and decoy on the reverse strand too,
  // through its reverse complement on the stored strand.
  bool bothStrands = false;
};

// Scores every motif in table order: a flushed "." per motif, the real score,
// then `ndecoy` decoys (each a further shuffle of the previous one) adding
// 1/ndecoy to the p-value when they score at least as high. Ends with two line
// breaks. A motif text the parser refuses gets the parser's message right
// after its dot and ends the scoring. Returns the number of motifs scored
// (`count` on success).
int scoreAllMotifs(std::vector<MotifRecord>& motifs, int count,
                   const std::vector<OrthologPair>& pairs, int pairCount,
                   const ScoringParams& params, std::ostream& out);

}  // namespace tav
