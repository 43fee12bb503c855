// Command-line parsing shared by all six programs: the arguments are joined
// into one text (each followed by one blank) and scanned against a table of
// option keys; values are taken literally, quoted values keep their blanks.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

enum class OptionKind { Text, Integer };

struct OptionEntry {
  std::string key;           // with its leading minus and trailing blank: "-fasta "
  OptionKind kind = OptionKind::Text;
  std::string textDefault;   // text options
  int32_t integerDefault = 0;  // integer options
  bool required = false;     // a required text option must end up non-empty
  int capacity = 259;        // longest accepted text value, characters
};

// A text option: `capacity` is the longest accepted value, `fallback` the
// default ("" for most).
OptionEntry textOption(const char* key, bool required, int capacity,
                       std::string fallback = std::string());
OptionEntry integerOption(const char* key, int32_t fallback);

// Ordered option keys; an entry's position is its option index.
struct OptionTable {
  std::vector<OptionEntry> entries;
};

// Parsed values, indexed by option index (text for text options, integer for
// integer options; the other vector entry stays empty / 0).
struct OptionValues {
  std::vector<std::string> text;
  std::vector<int32_t> integer;
};

// Each argument after the program name followed by one blank.
std::string joinArguments(int argc, const char* const* argv);

// Index of the first key that is a prefix of `text` (trailing blank included),
// with the key's length in *keyLength; -1 when none matches.
int matchOption(const OptionTable& table, std::string_view text, int* keyLength);

// A value token starting at text[0]: quoted up to the next double quote (count
// = position of the closing quote), empty at a blank (count 0), otherwise up to
// the next blank (count = token length).
struct Token {
  std::string text;
  int consumed = 0;
};
Token readToken(std::string_view text);

// Skip blanks, read a token; returns blanks skipped + token count.
int readTextOption(std::string_view text, std::string& destination);
int readIntegerOption(std::string_view text, int32_t& destination);

// Conversion like atol: leading white space, optional sign, digits; 0 without digits.
int32_t parseLeadingInteger(std::string_view text);

// Sets every default, scans the text, checks the required options. Values
// longer than their capacity, integer tokens longer than 999 characters and a
// command line longer than 9999 characters are refused as well.
// Returns 1 on success, 0 on failure.
int parseCommandLine(const OptionTable& table, std::string_view commandLine,
                     OptionValues& values);

// The newer programs (Tavrin-report, Tavrin-motifs) take their arguments as
// the shell passes them: each option key is one argument and the next
// argument is its value, blanks included. A value wrapped whole in double
// quotes loses them, so command lines written for the older rule still work.
// Capacities, the integer token limit and the command-line length limit are
// those of parseCommandLine. Returns 1 on success, 0 on failure.
int parseArgumentList(const OptionTable& table, int argc, const char* const* argv,
                      OptionValues& values);

// The arguments as joinArguments gives them, except that an argument with
// white space is shown in single quotes, so the echo can be pasted into a
// shell.
std::string echoArguments(int argc, const char* const* argv);

// Empty line, then the asterisk title line, then the licence lines.
void printBanner(std::ostream& out, std::string_view titleLine,
                 const std::vector<std::string>& licenceLines);

// Writes each line followed by a line break (usage screens are listed whole
// by each program, empty strings for empty lines).
void printLines(std::ostream& out, const std::vector<std::string>& lines);

}  // namespace tav
