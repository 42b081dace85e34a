#include "app/saver_arguments.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace lumiscene {

namespace {

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> result;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    const size_t start = at;
    while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    if (at > start) result.push_back(line.substr(start, at - start));
  }
  return result;
}

// A window handle as Windows writes it on the command line: a decimal number.
// Anything else (empty, signs, letters, too large) is no handle.
bool readHandle(std::string_view text, uintptr_t& handle) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t value = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9') return false;
    const uint64_t next = value * 10 + static_cast<uint64_t>(digit - '0');
    if (next / 10 != value) return false;
    value = next;
  }
  if (value == 0 || value > UINTPTR_MAX) return false;
  handle = static_cast<uintptr_t>(value);
  return true;
}

}  // namespace

SaverArguments parseSaverArguments(const char* commandLine) {
  SaverArguments result;
  const std::vector<std::string_view> given = words(commandLine != nullptr ? commandLine : "");
  if (given.empty()) return result;
  const std::string_view first = given[0];
  const auto unknown = [&](bool withNextWord) {
    result.mode = SaverMode::unknown;
    result.window = 0;
    result.argument.assign(first);
    // A handle that failed to read is part of what the message names.
    if (withNextWord && given.size() > 1) result.argument.append(" ").append(given[1]);
    return result;
  };
  if (first.size() < 2 || (first[0] != '/' && first[0] != '-')) return unknown(false);
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(first[1])));
  std::string_view rest = first.substr(2);
  switch (letter) {
    case 's':
      // Some launchers append to the switch (/s:1234, /saver); it is still the full-screen saver.
      result.mode = SaverMode::fullScreen;
      return result;
    case 'p':
    case 'c': {
      result.mode = letter == 'p' ? SaverMode::preview : SaverMode::settings;
      if (!rest.empty() && rest[0] == ':') rest.remove_prefix(1);
      // The handle follows a colon in the same word, or comes as the next word.
      const bool nextWord = rest.empty() && first.find(':') == std::string_view::npos && given.size() > 1;
      if (nextWord) rest = given[1];
      if (rest.empty() && result.mode == SaverMode::settings) return result;
      if (!readHandle(rest, result.window)) return unknown(nextWord);
      return result;
    }
    default:
      return unknown(false);
  }
}

}  // namespace lumiscene
