// The pictures a Windows user chooses: kept in the registry, edited in the
// screensaver's settings dialog (Browse, the built-in pictures, OK and
// Cancel), and used by the savers and the player at start-up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "app/app_flags.h"
#include "app/picture_choice.h"
#include "app/saver.h"
#include "app/startup.h"
#include "display/display_setup.h"
#include "pictures/embedded_pictures.h"
#include "pictures/user_picture.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "scene/image.h"

namespace lumiscene {
namespace {

std::string fixture(const std::string& name) { return std::string(LUMISCENE_TEST_DATA) + "/" + name; }

// A small picture the decoder reads, and one it refuses.
const std::string goodPicture = fixture("jpeg/b420_q75_64x48.jpg");
const std::string refusedPicture = fixture("pictures/arithmetic_64x48.jpg");

std::string registryString(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lumiscene", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return "<no key>";
  char text[512] = {};
  DWORD type = 0, size = sizeof(text);
  const LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "<absent>";
  return type == REG_SZ ? std::string(text) : "<not a string>";
}

bool samePixels(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int32_t y = 0; y < a.height; ++y)
    for (int32_t x = 0; x < a.width; ++x)
      if (*a.pixelAt(x, y) != *b.pixelAt(x, y)) return false;
  return true;
}

std::unique_ptr<Image> expectedPicture(const std::string& path, PictureRole role) {
  std::unique_ptr<Image> image;
  std::string message;
  EXPECT_TRUE(loadUserPicture(path, role, image, message)) << message;
  return image;
}

class PictureChoiceTest : public testing::Test {
 protected:
  void SetUp() override { clear(); }
  void TearDown() override { clear(); }
  static void clear() {
    headless::reset();
    resetProgram();
    userPanoramaPath.clear();
    userInsetPath.clear();
  }
  static int settings() { return runScreenSaver(GetModuleHandleA(nullptr), "/c"); }
};

TEST_F(PictureChoiceTest, TheChoiceRoundTripsThroughTheRegistry) {
  EXPECT_EQ(readPictureChoice(), PictureChoice{});
  ASSERT_TRUE(storePictureChoice({"C:\\Photos\\coast.jpg", "D:\\boat.jpeg"}));
  EXPECT_EQ(registryString("Picture1"), "C:\\Photos\\coast.jpg");
  EXPECT_EQ(registryString("Picture2"), "D:\\boat.jpeg");
  EXPECT_EQ(readPictureChoice(), (PictureChoice{"C:\\Photos\\coast.jpg", "D:\\boat.jpeg"}));

  // An empty path is the built-in picture: its value goes.
  ASSERT_TRUE(storePictureChoice({"", "D:\\boat.jpeg"}));
  EXPECT_EQ(registryString("Picture1"), "<absent>");
  EXPECT_EQ(readPictureChoice(), (PictureChoice{"", "D:\\boat.jpeg"}));
  ASSERT_TRUE(storePictureChoice({}));
  EXPECT_EQ(readPictureChoice(), PictureChoice{});
}

TEST_F(PictureChoiceTest, ValuesOtherProgramsWroteAreReadSafely) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Lumiscene", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  // A string stored without its terminating zero, and a number where a path belongs.
  const char unterminated[] = {'a', '.', 'j', 'p', 'g'};
  RegSetValueExA(key, "Picture1", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated),
                 sizeof(unterminated));
  const DWORD number = 7;
  RegSetValueExA(key, "Picture2", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  RegCloseKey(key);
  EXPECT_EQ(readPictureChoice(), (PictureChoice{"a.jpg", ""}));
}

TEST_F(PictureChoiceTest, TheStoredChoiceKeepsACommandLineChoiceWhereNothingIsStored) {
  userPanoramaPath = "from-the-command-line.jpg";
  EXPECT_FALSE(useStoredPictureChoice());
  EXPECT_EQ(userPanoramaPath, "from-the-command-line.jpg");
  ASSERT_TRUE(storePictureChoice({"", "stored.jpg"}));
  EXPECT_TRUE(useStoredPictureChoice());
  EXPECT_EQ(userPanoramaPath, "from-the-command-line.jpg");
  EXPECT_EQ(userInsetPath, "stored.jpg");
}

TEST_F(PictureChoiceTest, BrowseAndOkStoreTheChosenFiles) {
  headless::answerDialog(IDC_PICTURE1_BROWSE);
  headless::answerOpenFile(goodPicture);
  headless::answerDialog(IDC_PICTURE2_BROWSE);
  headless::answerOpenFile(goodPicture);
  headless::answerDialog(IDOK);
  EXPECT_EQ(settings(), 0);
  EXPECT_EQ(readPictureChoice(), (PictureChoice{goodPicture, goodPicture}));
  ASSERT_EQ(headless::openFileDialogs().size(), 2u);
  EXPECT_NE(headless::openFileDialogs()[0].find("Picture 1"), std::string::npos);
  EXPECT_NE(headless::openFileDialogs()[1].find("Picture 2"), std::string::npos);
  EXPECT_TRUE(headless::messageBoxes().empty());
}

// What the open dialog's two path fields show, read once the scripted commands are used up.
std::pair<std::string, std::string> shownPaths() {
  std::pair<std::string, std::string> shown{"<not read>", "<not read>"};
  headless::schedule(0, [&shown] {
    HWND dialog = GetActiveWindow();
    char text[512] = {};
    GetDlgItemTextA(dialog, IDC_PICTURE1_PATH, text, sizeof(text));
    shown.first = text;
    GetDlgItemTextA(dialog, IDC_PICTURE2_PATH, text, sizeof(text));
    shown.second = text;
    headless::tapKey(VK_ESCAPE);
  });
  runScreenSaver(GetModuleHandleA(nullptr), "/c");
  return shown;
}

TEST_F(PictureChoiceTest, TheDialogShowsEachChosenPathOrTheBuiltInPicture) {
  ASSERT_TRUE(storePictureChoice({"", "C:\\boat.jpg"}));
  EXPECT_EQ(shownPaths(), std::make_pair(std::string("(the built-in picture)"), std::string("C:\\boat.jpg")));
  headless::answerDialog(IDC_PICTURE1_BROWSE);
  headless::answerOpenFile(goodPicture);
  EXPECT_EQ(shownPaths(), std::make_pair(goodPicture, std::string("C:\\boat.jpg")));
  headless::answerDialog(IDC_BUILT_IN_PICTURES);
  EXPECT_EQ(shownPaths(),
            std::make_pair(std::string("(the built-in picture)"), std::string("(the built-in picture)")));
}

TEST_F(PictureChoiceTest, CancelAndACancelledFileDialogChangeNothing) {
  ASSERT_TRUE(storePictureChoice({"old1.jpg", "old2.jpg"}));
  headless::answerDialog(IDC_PICTURE1_BROWSE);
  headless::answerOpenFile(goodPicture);
  headless::answerDialog(IDC_BUILT_IN_PICTURES);
  headless::answerDialog(IDCANCEL);
  EXPECT_EQ(settings(), 0);
  EXPECT_EQ(readPictureChoice(), (PictureChoice{"old1.jpg", "old2.jpg"}));

  // The file dialog cancelled, then OK: the choice read at the start is stored again.
  headless::answerDialog(IDC_PICTURE2_BROWSE);
  headless::answerOpenFile("");
  headless::answerDialog(IDOK);
  EXPECT_EQ(settings(), 0);
  EXPECT_EQ(readPictureChoice(), (PictureChoice{"old1.jpg", "old2.jpg"}));
}

TEST_F(PictureChoiceTest, TheBuiltInPicturesButtonClearsBothValues) {
  ASSERT_TRUE(storePictureChoice({goodPicture, goodPicture}));
  headless::answerDialog(IDC_BUILT_IN_PICTURES);
  headless::answerDialog(IDOK);
  EXPECT_EQ(settings(), 0);
  EXPECT_EQ(registryString("Picture1"), "<absent>");
  EXPECT_EQ(registryString("Picture2"), "<absent>");
}

TEST_F(PictureChoiceTest, ARefusedFileIsNamedAtOnceAndThePreviousChoiceStays) {
  ASSERT_TRUE(storePictureChoice({goodPicture, ""}));
  headless::answerDialog(IDC_PICTURE1_BROWSE);
  headless::answerOpenFile(refusedPicture);
  headless::answerDialog(IDOK);
  EXPECT_EQ(settings(), 0);
  ASSERT_EQ(headless::messageBoxes().size(), 1u);
  const std::string& text = headless::messageBoxes()[0].text;
  EXPECT_NE(text.find(refusedPicture), std::string::npos) << text;
  EXPECT_NE(text.find("ArithmeticCoding"), std::string::npos) << text;
  EXPECT_EQ(headless::messageBoxes()[0].flags & MB_ICONERROR, static_cast<uint32_t>(MB_ICONERROR));
  EXPECT_EQ(readPictureChoice(), (PictureChoice{goodPicture, ""}));
}

TEST_F(PictureChoiceTest, TheFullScreenSaverShowsTheStoredPictures) {
  ASSERT_TRUE(storePictureChoice({goodPicture, goodPicture}));
  HWND window = nullptr;
  SaverWatch watch;
  ASSERT_TRUE(startFullScreenSaver(GetModuleHandleA(nullptr), window, watch));
  ASSERT_TRUE(picture1 && picture2);
  EXPECT_TRUE(samePixels(*picture1, *expectedPicture(goodPicture, PictureRole::panorama)));
  EXPECT_TRUE(samePixels(*picture2, *expectedPicture(goodPicture, PictureRole::inset)));
  releaseDisplay();
}

TEST_F(PictureChoiceTest, ARefusedStoredPictureLeavesTheSaverOnTheBuiltInOneWithoutABox) {
  ASSERT_TRUE(storePictureChoice({refusedPicture, ""}));
  HWND window = nullptr;
  SaverWatch watch;
  ASSERT_TRUE(startFullScreenSaver(GetModuleHandleA(nullptr), window, watch));
  ASSERT_TRUE(picture1);
  EXPECT_EQ(picture1->width, 640);
  EXPECT_FALSE(samePixels(*picture1, *expectedPicture(goodPicture, PictureRole::panorama)));
  EXPECT_TRUE(headless::messageBoxes().empty());
  releaseDisplay();
}

// The player as lumiscene.exe starts it: the stored choice first, then the start-up.
bool startPlayer(HWND& window) {
  HACCEL accelerators = nullptr;
  refusedPicturesInBox = useStoredPictureChoice();
  return startUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT, window, accelerators);
}

TEST_F(PictureChoiceTest, ThePlayerShowsTheStoredPictures) {
  ASSERT_TRUE(storePictureChoice({goodPicture, ""}));
  HWND window = nullptr;
  ASSERT_TRUE(startPlayer(window));
  EXPECT_TRUE(samePixels(*picture1, *expectedPicture(goodPicture, PictureRole::panorama)));
  EXPECT_TRUE(headless::messageBoxes().empty());
  DestroyWindow(window);
}

TEST_F(PictureChoiceTest, ThePlayerNamesARefusedStoredPictureInItsErrorBoxAndGoesOn) {
  ASSERT_TRUE(storePictureChoice({"", refusedPicture}));
  HWND window = nullptr;
  ASSERT_TRUE(startPlayer(window));
  ASSERT_EQ(headless::messageBoxes().size(), 1u);
  const headless::MessageBoxRecord& box = headless::messageBoxes()[0];
  EXPECT_NE(box.text.find(refusedPicture), std::string::npos) << box.text;
  EXPECT_NE(box.text.find("ArithmeticCoding"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find("built-in picture"), std::string::npos) << box.text;
  EXPECT_EQ(box.caption, "Lumiscene");
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(endingAfterFailure);
  DestroyWindow(window);
}

}  // namespace
}  // namespace lumiscene
