// Fuzz target: argument joining and command-line parsing. The input is split
// at NUL bytes into arguments. Besides memory safety it checks that accepted
// values respect their capacities and that the parsed values, written back as
// a command line, parse to the same values.
#include <cstdlib>
#include <string>
#include <vector>

#include "capacities.h"
#include "command_line.h"
#include "fuzz_support.h"

namespace {

using tav::OptionEntry;
using tav::OptionKind;

// Keys that share prefixes, short and long capacities, a required option and
// a text default, as the programs' tables have them.
tav::OptionTable makeTable() {
  tav::OptionTable table;
  table.entries = {
      tav::textOption("-fasta ", true, tav::kMaxFileName),
      tav::textOption("-fasta1 ", false, tav::kMaxFileName),
      tav::textOption("-se ", false, tav::kMaxFileName),
      tav::integerOption("-srand ", 0),
      tav::integerOption("-seedl ", 6),
      tav::textOption("-type ", false, tav::kMaxTypeText, "5'MOTIF"),
      tav::textOption("-out ", true, 12),
      tav::integerOption("-queue ", 500),
  };
  return table;
}

// Writes every value back as an argument list; false when a value cannot be
// written so that it reads back unchanged (it holds both a blank and a quote).
bool rebuild(const tav::OptionTable& table, const tav::OptionValues& values, std::string& line) {
  line.clear();
  for (size_t i = 0; i < table.entries.size(); ++i) {
    line += table.entries[i].key;
    if (table.entries[i].kind == OptionKind::Integer) {
      line += std::to_string(values.integer[i]);
    } else {
      const std::string& v = values.text[i];
      const bool plain = !v.empty() && v.find(' ') == std::string::npos && v[0] != '"';
      if (plain) {
        line += v;
      } else if (v.find('"') == std::string::npos) {
        line += '"' + v + '"';
      } else {
        return false;
      }
    }
    line += ' ';
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tav::OptionTable table = makeTable();
  const std::string_view input = tav::fuzz::asText(data, size);

  // The integer conversion behaves like the C library's strtol on a 64-bit
  // long, kept to 32 bits.
  const std::string prefix(input.substr(0, 999));
  FUZZ_CHECK(tav::parseLeadingInteger(prefix) ==
             static_cast<int32_t>(std::strtol(prefix.c_str(), nullptr, 10)));

  std::vector<std::string> args{"program"};
  size_t start = 0;
  for (;;) {
    const size_t end = input.find('\0', start);
    args.emplace_back(input.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  const std::string joined = tav::joinArguments(static_cast<int>(argv.size()), argv.data());
  std::string expected;
  for (size_t i = 1; i < args.size(); ++i) expected += std::string(args[i].c_str()) + ' ';
  FUZZ_CHECK(joined == expected);

  tav::OptionValues values;
  const int ok = tav::parseCommandLine(table, joined, values);
  FUZZ_CHECK(ok == 0 || ok == 1);
  FUZZ_CHECK(values.text.size() == table.entries.size());
  FUZZ_CHECK(values.integer.size() == table.entries.size());
  if (ok == 0) return 0;

  FUZZ_CHECK(joined.size() <= static_cast<size_t>(tav::kCommandLineCapacity));
  for (size_t i = 0; i < table.entries.size(); ++i) {
    const OptionEntry& option = table.entries[i];
    if (option.kind != OptionKind::Text) continue;
    FUZZ_CHECK(values.text[i].size() <= static_cast<size_t>(option.capacity));
    if (option.required) FUZZ_CHECK(!values.text[i].empty());
  }

  std::string again;
  if (rebuild(table, values, again) &&
      again.size() <= static_cast<size_t>(tav::kCommandLineCapacity)) {
    tav::OptionValues reparsed;
    FUZZ_CHECK(tav::parseCommandLine(table, again, reparsed) == 1);
    FUZZ_CHECK(reparsed.text == values.text);
    FUZZ_CHECK(reparsed.integer == values.integer);
  }
  return 0;
}
