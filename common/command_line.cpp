#include "command_line.h"

#include "console.h"
#include <utility>

#include "capacities.h"

namespace tav {

OptionEntry textOption(const char* key, bool required, int capacity, std::string fallback) {
  OptionEntry entry;
  entry.key = key;
  entry.kind = OptionKind::Text;
  entry.textDefault = std::move(fallback);
  entry.required = required;
  entry.capacity = capacity;
  return entry;
}

OptionEntry integerOption(const char* key, int32_t fallback) {
  OptionEntry entry;
  entry.key = key;
  entry.kind = OptionKind::Integer;
  entry.integerDefault = fallback;
  return entry;
}

std::string joinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    text += argv[i];
    text += ' ';
  }
  return text;
}

int matchOption(const OptionTable& table, std::string_view text, int* keyLength) {
  for (size_t i = 0; i < table.entries.size(); ++i) {
    const std::string& key = table.entries[i].key;
    if (text.substr(0, key.size()) == key) {
      if (keyLength != nullptr) *keyLength = static_cast<int>(key.size());
      return static_cast<int>(i);
    }
  }
  return -1;
}

Token readToken(std::string_view text) {
  Token token;
  if (text.empty()) return token;
  if (text[0] == '"') {
    size_t close = text.find('"', 1);
    if (close == std::string_view::npos) {
      token.text = std::string(text.substr(1));
      token.consumed = static_cast<int>(text.size());
    } else {
      token.text = std::string(text.substr(1, close - 1));
      token.consumed = static_cast<int>(close);
    }
    return token;
  }
  if (text[0] == ' ') return token;
  size_t end = text.find(' ');
  if (end == std::string_view::npos) end = text.size();
  token.text = std::string(text.substr(0, end));
  token.consumed = static_cast<int>(end);
  return token;
}

namespace {
int skipBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return static_cast<int>(i);
}
}  // namespace

int readTextOption(std::string_view text, std::string& destination) {
  int skipped = skipBlanks(text);
  Token token = readToken(text.substr(skipped));
  destination = token.text;
  return skipped + token.consumed;
}

int32_t parseLeadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Saturate like strtol on a 64-bit long, then keep the low 32 bits as a
  // plain int assignment would.
  long long value = 0;
  bool saturated = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (!saturated) {
      if (value > (9223372036854775807LL - (text[i] - '0')) / 10) {
        saturated = true;
      } else {
        value = value * 10 + (text[i] - '0');
      }
    }
  }
  if (saturated) value = negative ? (-9223372036854775807LL - 1) : 9223372036854775807LL;
  else if (negative) value = -value;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(value)));
}

int readIntegerOption(std::string_view text, int32_t& destination) {
  std::string token;
  int consumed = readTextOption(text, token);
  destination = parseLeadingInteger(token);
  return consumed;
}

namespace {

void setDefaults(const OptionTable& table, OptionValues& values) {
  const size_t n = table.entries.size();
  values.text.assign(n, std::string());
  values.integer.assign(n, 0);
  for (size_t i = 0; i < n; ++i) {
    values.text[i] = table.entries[i].textDefault;
    values.integer[i] = table.entries[i].integerDefault;
  }
}

// Stores one option's value; 0 when it is longer than the option takes.
int storeValue(const OptionTable& table, int index, std::string value, OptionValues& values) {
  const OptionEntry& option = table.entries[static_cast<size_t>(index)];
  if (option.kind == OptionKind::Integer) {
    if (value.size() > static_cast<size_t>(kMaxIntegerToken)) return 0;
    values.integer[static_cast<size_t>(index)] = parseLeadingInteger(value);
  } else {
    // A truncated path would silently name another file: refuse instead.
    if (value.size() > static_cast<size_t>(option.capacity)) return 0;
    values.text[static_cast<size_t>(index)] = std::move(value);
  }
  return 1;
}

int requiredOptionsGiven(const OptionTable& table, const OptionValues& values) {
  for (size_t i = 0; i < table.entries.size(); ++i) {
    const OptionEntry& option = table.entries[i];
    if (option.required && option.kind == OptionKind::Text && values.text[i].empty()) return 0;
  }
  return 1;
}

}  // namespace

int parseCommandLine(const OptionTable& table, std::string_view commandLine,
                     OptionValues& values) {
  setDefaults(table, values);
  if (commandLine.size() > static_cast<size_t>(kCommandLineCapacity)) return 0;
  size_t pos = 0;
  while (pos < commandLine.size()) {
    char c = commandLine[pos];
    if (c == '-') {
      int keyLength = 0;
      int index = matchOption(table, commandLine.substr(pos), &keyLength);
      if (index < 0) return 0;
      pos += static_cast<size_t>(keyLength);
      std::string value;
      int consumed = readTextOption(commandLine.substr(pos), value);
      if (!storeValue(table, index, std::move(value), values)) return 0;
      pos += static_cast<size_t>(consumed);
    } else if (c != ' ') {
      return 0;
    }
    ++pos;
  }
  return requiredOptionsGiven(table, values);
}

int parseArgumentList(const OptionTable& table, int argc, const char* const* argv,
                      OptionValues& values) {
  setDefaults(table, values);
  if (joinArguments(argc, argv).size() > static_cast<size_t>(kCommandLineCapacity)) return 0;
  for (int i = 1; i < argc; ++i) {
    const std::string key = std::string(argv[i]) + ' ';
    if (key == " ") continue;  // an empty argument, as an extra blank before
    int keyLength = 0;
    const int index = matchOption(table, key, &keyLength);
    if (index < 0 || keyLength != static_cast<int>(key.size())) return 0;
    // A last option without a value is given empty.
    std::string value = i + 1 < argc ? argv[++i] : "";
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (!storeValue(table, index, std::move(value), values)) return 0;
  }
  return requiredOptionsGiven(table, values);
}

std::string echoArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.find_first_of(" \t\n\r\v\f") == std::string_view::npos) {
      text += argument;
    } else {
      text += '\'';
      for (char c : argument) {
        if (c == '\'') {
          text += "'\\''";  // close the quote, an escaped quote, reopen
        } else {
          text += c;
        }
      }
      text += '\'';
    }
    text += ' ';
  }
  return text;
}

void printBanner(std::ostream& out, std::string_view titleLine,
                 const std::vector<std::string>& licenceLines) {
  line(out);
  line(out, titleLine);
  for (const std::string& l : licenceLines) line(out, l);
}

void printLines(std::ostream& out, const std::vector<std::string>& lines) {
  for (const std::string& l : lines) out << l << '\n';
  out.flush();
}

}  // namespace tav
