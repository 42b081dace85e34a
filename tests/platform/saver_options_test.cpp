// The screensaver's command line: which window it draws into (the named one,
// xscreensaver's, the root or its own), in every form xscreensaver and users
// write, and what it refuses.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "platform/portable/saver_options.h"

namespace {

using portable::parseSaverCommand;
using portable::SaverCommand;
using Action = SaverCommand::Action;
using Place = SaverCommand::Place;

SaverCommand parse(std::initializer_list<const char*> arguments, const char* environmentWindow = nullptr) {
  const std::vector<const char*> list(arguments);
  return parseSaverCommand(static_cast<int>(list.size()), list.data(), environmentWindow);
}

TEST(SaverCommand, NamedWindowInEveryForm) {
  const struct {
    std::initializer_list<const char*> arguments;
    unsigned long id;
  } cases[] = {
      {{"--window-id", "4194311"}, 4194311},
      {{"-window-id", "0x400007"}, 0x400007},
      {{"--window-id", "0X1fFfFfFf"}, 0x1FFFFFFF},
      {{"--window-id=0x2a"}, 42},
      {{"-window-id=17"}, 17},
      // The named window wins over the root and over xscreensaver's window.
      {{"--root", "--window-id", "0x10"}, 16},
      {{"--window-id", "12", "-root"}, 12},
  };
  for (const auto& item : cases) {
    const SaverCommand command = parse(item.arguments, "0x999");
    EXPECT_EQ(command.action, Action::Run) << *item.arguments.begin();
    EXPECT_EQ(command.place, Place::Window) << *item.arguments.begin();
    EXPECT_EQ(command.windowId, item.id) << *item.arguments.begin();
  }
}

TEST(SaverCommand, XscreensaversWindowThenRootThenOwnWindow) {
  SaverCommand command = parse({"--root"}, "0x600008");
  EXPECT_EQ(command.place, Place::Window);
  EXPECT_EQ(command.windowId, 0x600008ul);
  command = parse({}, "6291464");
  EXPECT_EQ(command.place, Place::Window);
  EXPECT_EQ(command.windowId, 6291464ul);
  // Set but empty counts as not set.
  EXPECT_EQ(parse({"-root"}, "").place, Place::Root);
  EXPECT_EQ(parse({"--root"}).place, Place::Root);
  command = parse({});
  EXPECT_EQ(command.action, Action::Run);
  EXPECT_EQ(command.place, Place::OwnWindow);
}

TEST(SaverCommand, HelpAndVersionAnswerWhateverElseIsThere) {
  EXPECT_EQ(parse({"--help"}).action, Action::Help);
  EXPECT_EQ(parse({"--root", "--version"}).action, Action::Version);
  EXPECT_EQ(parse({"--version"}, "not a window").action, Action::Version);
}

TEST(SaverCommand, RefusesUnknownOptionsAndBadWindowNumbers) {
  const struct {
    std::initializer_list<const char*> arguments;
    const char* named;  // what the complaint must quote
  } cases[] = {
      {{"--fullscreen"}, "--fullscreen"},
      {{"--root", "extra"}, "extra"},
      {{"-h"}, "-h"},
      {{"--window"}, "--window"},
      {{"--window-id"}, "--window-id"},
      {{"-window-id", "--root"}, "--root"},
      {{"--window-id", "0"}, "'0'"},
      {{"--window-id", "0x"}, "0x"},
      {{"--window-id", "-5"}, "-5"},
      {{"--window-id", " 12"}, " 12"},
      {{"--window-id", "12abc"}, "12abc"},
      {{"--window-id", "0x20000000"}, "0x20000000"},
      {{"--window-id", "99999999999999999999999"}, "99999999999999999999999"},
      {{"--window-id="}, "''"},
      {{"--window-id", "017"}, nullptr},  // decimal with a leading zero, not octal
  };
  for (const auto& item : cases) {
    const SaverCommand command = parse(item.arguments);
    if (item.named == nullptr) {
      EXPECT_EQ(command.windowId, 17ul);
      continue;
    }
    EXPECT_EQ(command.action, Action::Refuse) << item.named;
    EXPECT_NE(command.complaint.find(item.named), std::string::npos) << command.complaint;
  }
  const SaverCommand command = parse({"--root"}, "window");
  EXPECT_EQ(command.action, Action::Refuse);
  EXPECT_NE(command.complaint.find("XSCREENSAVER_WINDOW"), std::string::npos) << command.complaint;
}

}  // namespace

namespace {

TEST(SaverCommand, PicturesComeWithAnyPlaceAndTheLastOfEachCounts) {
  SaverCommand command =
      parse({"--picture1", "/tmp/coast.jpg", "-window-id", "0x400007", "--picture2", "boat.jpg"});
  EXPECT_EQ(command.action, Action::Run);
  EXPECT_EQ(command.place, Place::Window);
  EXPECT_EQ(command.windowId, 0x400007ul);
  EXPECT_EQ(command.pictures.panorama, "/tmp/coast.jpg");
  EXPECT_EQ(command.pictures.inset, "boat.jpg");

  command = parse({"--root", "--picture2", "a.jpg", "--picture2", "b.jpg"});
  EXPECT_EQ(command.place, Place::Root);
  EXPECT_EQ(command.pictures.panorama, "");
  EXPECT_EQ(command.pictures.inset, "b.jpg");
  // A file name that looks like an option is still the file.
  EXPECT_EQ(parse({"--picture1", "--root"}).pictures.panorama, "--root");
  EXPECT_EQ(parse({"--picture1", "--root"}).place, Place::OwnWindow);
}

TEST(SaverCommand, APictureOptionWithoutItsFileIsRefused) {
  for (const auto& arguments : {std::initializer_list<const char*>{"--root", "--picture1"},
                                std::initializer_list<const char*>{"--picture2", "", "--root"}}) {
    const SaverCommand command = parse(arguments);
    EXPECT_EQ(command.action, Action::Refuse);
    EXPECT_NE(command.complaint.find("needs a file name"), std::string::npos) << command.complaint;
  }
}

}  // namespace
