#include "platform/portable/saver_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace portable {

namespace {

bool isOption(const char* argument, const char* name) {
  // One dash or two: xscreensaver's hacks take the first, Linux users type the second.
  if (argument[0] != '-') return false;
  const char* rest = argument[1] == '-' ? argument + 2 : argument + 1;
  return std::strcmp(rest, name) == 0;
}

// "--window-id=ID" (or "-window-id=ID"): the part after '=', else null.
const char* attachedValue(const char* argument, const char* name) {
  if (argument[0] != '-') return nullptr;
  const char* rest = argument[1] == '-' ? argument + 2 : argument + 1;
  const size_t length = std::strlen(name);
  return std::strncmp(rest, name, length) == 0 && rest[length] == '=' ? rest + length + 1 : nullptr;
}

SaverCommand refuse(std::string complaint) {
  SaverCommand command;
  command.action = SaverCommand::Action::Refuse;
  command.complaint = std::move(complaint);
  return command;
}

}  // namespace

bool parseWindowId(const char* text, unsigned long& id) {
  if (text == nullptr) return false;
  // strtoul alone would take a sign, leading blanks and octal.
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = hex ? text + 2 : text;
  if (*digits == '\0' ||
      std::strspn(digits, hex ? "0123456789abcdefABCDEF" : "0123456789") != std::strlen(digits))
    return false;
  errno = 0;
  const unsigned long value = std::strtoul(digits, nullptr, hex ? 16 : 10);
  // X resource ids have 29 bits; anything larger names no window.
  if (errno != 0 || value == 0 || value > 0x1FFFFFFFul) return false;
  id = value;
  return true;
}

SaverCommand parseSaverCommand(int count, const char* const* arguments, const char* environmentWindow) {
  bool help = false, version = false, root = false, named = false;
  unsigned long namedId = 0;
  PictureFiles pictures;
  for (int index = 0; index < count; ++index) {
    const char* argument = arguments[index];
    std::string complaint;
    const PictureOption picture = takePictureOption(count, arguments, index, pictures, complaint);
    if (picture == PictureOption::Refused) return refuse(complaint);
    if (picture == PictureOption::Taken) continue;
    if (std::strcmp(argument, "--help") == 0) {
      help = true;
    } else if (std::strcmp(argument, "--version") == 0) {
      version = true;
    } else if (isOption(argument, "root")) {
      root = true;
    } else if (isOption(argument, "window-id") || attachedValue(argument, "window-id") != nullptr) {
      const char* value = attachedValue(argument, "window-id");
      if (value == nullptr) {
        if (index + 1 == count) return refuse(std::string("'") + argument + "' needs a window number");
        value = arguments[++index];
      }
      if (!parseWindowId(value, namedId))
        return refuse(std::string("'") + value + "' is not a window number (decimal or 0x hex)");
      named = true;
    } else {
      return refuse(std::string("unknown option '") + argument + "'");
    }
  }
  SaverCommand command;
  command.pictures = pictures;
  if (help || version) {
    command.action = help ? SaverCommand::Action::Help : SaverCommand::Action::Version;
    return command;
  }
  if (named) {
    command.place = SaverCommand::Place::Window;
    command.windowId = namedId;
  } else if (environmentWindow != nullptr && *environmentWindow != '\0') {
    if (!parseWindowId(environmentWindow, command.windowId))
      return refuse(std::string("XSCREENSAVER_WINDOW='") + environmentWindow + "' is not a window number");
    command.place = SaverCommand::Place::Window;
  } else if (root) {
    command.place = SaverCommand::Place::Root;
  }
  return command;
}

}  // namespace portable
