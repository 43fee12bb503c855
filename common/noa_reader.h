// Node attribute files ("name = TYPE" lines after one header line): the line
// rules shared by Simvale and the conservation scorers, and Simvale's reader
// that builds a count matrix for each motif of the requested type.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "motif.h"

namespace tav {

// Removes every blank and tab in place.
void stripBlanks(std::string& line);
// Characters before the first '='; returns whether there was an '='.
bool splitName(const std::string& line, std::string& name);
// Characters after the first '='; returns whether an '=' stands before the
// last character.
bool splitValue(const std::string& line, std::string& value);

// Reads the next motif name of the requested type (header already skipped by
// the caller with skipNoaHeader). Returns false at the end of the file.
void skipNoaHeader(std::istream& in);
bool nextNoaMotif(std::istream& in, std::string_view type, std::string& name);

struct MotifEntry {
  std::string text;     // blanks removed
  MotifMatrix matrix;   // masks and counts built from the text
};

// Outcome of readNoaMotifs: `next` is the index after the last stored entry;
// `status` is not Ok when a motif text was malformed (`badText` holds it);
// `tooMany` when more than 10000 entries would be stored.
struct NoaReadResult {
  int next = 0;
  MotifStatus status = MotifStatus::Ok;
  std::string badText;
  bool tooMany = false;
};

// Skips the header line, then stores an entry (masks and counts built with
// capacity 100) for every line of the requested type at entries[start],
// entries[start + 1], ... (the vector grows as needed). Stops at the first
// malformed motif or when a 10001st entry would be stored.
NoaReadResult readNoaMotifs(std::istream& in, std::vector<MotifEntry>& entries, int start,
                            std::string_view type);

}  // namespace tav
