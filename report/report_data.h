// Readers of a run's result files for the report page: the network that
// Tavrin writes (.sif, .1.noa, three .eda files), the Simvale report, a
// conservation node file and a calibration table. Each returns an empty
// string on success and otherwise the one "ERROR: ..." line (without line
// break) naming the file. Names are kept exactly as written, blanks included.
// A names table gives elements the names people know them by.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tav {

struct ReportElement {
  std::string name;
  std::string type;  // "5'MOTIF", "3'MOTIF", "PMOTIF", "OTHER" or whatever the file says
};

struct ReportPair {
  std::string first;
  std::string second;
  std::string interaction;  // the .sif middle word ("TavrinSE")
  std::string score;        // values as written, so the page shows what the files hold
  std::string robustness;
  std::string zScore;
  std::string fdr;  // empty without a calibration table or without a matching row
};

struct ReportNetwork {
  std::vector<ReportPair> pairs;        // .sif order
  std::vector<ReportElement> elements;  // .1.noa order
  std::string robustnessHeader;         // first line of the .2.eda file
};

// BASE.sif, BASE.1.noa, BASE.1.eda, BASE.2.eda, BASE.3.eda. Every file must
// exist; empty files are a run that found nothing. The .eda lines must name
// the .sif pairs in the same order.
std::string readNetwork(const std::string& base, ReportNetwork& network);

struct ClosestMatchRow {
  std::string motif;
  std::string match;  // empty when the motif had none
  std::string score;
};
// The Simvale report: header "Sequence<TAB>Closest Match<TAB>Match Score", then
// one tab-separated line per motif.
std::string readSimvaleReport(const std::string& path, std::vector<ClosestMatchRow>& rows);

struct NamedValue {
  std::string name;
  std::string value;
};
// A node attribute file of numbers ("Conservation (class=Double)", then
// "name = value"). Every value must read as a number (inf and nan included).
std::string readConservation(const std::string& path, std::vector<NamedValue>& values);

// A tab-separated table with the header element_a, element_b, score,
// null_mean_count, real_count, fdr: sets the fdr of every pair whose two
// elements match a row (first matching row; either order of the two names).
std::string readCalibration(const std::string& path, std::vector<ReportPair>& pairs);

// One line of a names table: an element as the network names it, the name
// people know it by and an optional description.
struct ElementName {
  std::string element;
  std::string name;
  std::string description;
};

struct NameTable {
  std::vector<ElementName> entries;  // file order, first line of each element
  // The entry of `element`, or of the element with a type mark (@, % or ~, as
  // SE files write motifs); null when the table has none.
  const ElementName* find(const std::string& element) const;

  std::map<std::string, size_t> byElement;  // marked elements also unmarked
};

// A tab-separated table: element, name, optional description (e.g. cut from
// the Pfam or InterPro entry lists, or JASPAR IDs and names). Lines starting
// with '#' and empty lines are skipped; any other line must have two or three
// fields with a non-empty element and name ("ERROR: FILE:LINE: ..."
// otherwise). Of repeated elements the first line counts.
std::string readNames(const std::string& path, NameTable& names);

}  // namespace tav
