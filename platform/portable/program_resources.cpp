// The program's built-in resources: icon group 101, menu 102, accelerator
// table 103, About dialog 103 and the screensaver's settings dialog 104, as the
// Windows resource script declares them.
//
// The icon's image comes from the program's icon file (resources/lumiscene.ico),
// which the build turns into the byte array of program_icon.inc; its 32 by 32
// true-colour image is used.
#include <array>
#include <cstring>

#include "platform/portable/kernel.h"
#include "platform/portable/resource_table.h"
#include "platform/portable/user.h"
#include "resources/resource_ids.h"

namespace {

#include "program_icon.inc"

using portable::ControlKind;

const portable::MenuItemTemplate fileItems[] = {
    {nullptr, 0},
    {LUMISCENE_MENU_ABOUT, IDM_ABOUT},
    {nullptr, 0},
    {nullptr, 0},
    {LUMISCENE_MENU_WEB_PAGE, IDM_WEB_PAGE},
    {nullptr, 0},
    {nullptr, 0},
    {LUMISCENE_MENU_TOGGLE_FULL_SCREEN, IDM_TOGGLE_FULL_SCREEN},
    {nullptr, 0},
    {nullptr, 0},
    {LUMISCENE_MENU_EXIT, IDM_EXIT},
    {nullptr, 0},
};
const portable::PopupTemplate menuPopups[] = {{LUMISCENE_MENU_FILE, fileItems, std::size(fileItems)}};
const portable::MenuTemplate mainMenu = {menuPopups, std::size(menuPopups)};

const ACCEL accelerators[] = {
    {FVIRTKEY | FNOINVERT, VK_ESCAPE, IDM_EXIT},
    {FVIRTKEY | FALT | FNOINVERT, VK_RETURN, IDM_TOGGLE_FULL_SCREEN},
    {FVIRTKEY | FALT | FNOINVERT, 'X', IDM_EXIT},
};

const portable::DialogControlTemplate aboutControls[] = {
    {ControlKind::CentredText, 23, 23, 135, 8, WS_VISIBLE | WS_GROUP, 0, 0xFFFF, LUMISCENE_ABOUT_FIRST_LINE},
    {ControlKind::CentredText, 23, 42, 135, 8, WS_VISIBLE | WS_GROUP, 0, 0xFFFF, LUMISCENE_ABOUT_SECOND_LINE},
    {ControlKind::GroupBox, 7, 5, 167, 84, WS_VISIBLE, WS_EX_DLGMODALFRAME, 0xFFFF, LUMISCENE_ABOUT_GROUP},
    {ControlKind::DefaultButton, 52, 61, 78, 14, WS_VISIBLE | WS_TABSTOP, WS_EX_STATICEDGE,
     IDC_ABOUT_WEB_BUTTON, LUMISCENE_SITE_ADDRESS},
};
const portable::DialogTemplate aboutDialog = {181,
                                              98,
                                              WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                              LUMISCENE_ABOUT_TITLE,
                                              LUMISCENE_ABOUT_FONT,
                                              LUMISCENE_ABOUT_FONT_SIZE,
                                              aboutControls,
                                              std::size(aboutControls)};

const portable::DialogControlTemplate saverSettingsControls[] = {
    {ControlKind::GroupBox, 7, 5, 227, 46, WS_VISIBLE, 0, 0xFFFF, LUMISCENE_ABOUT_GROUP},
    {ControlKind::CentredText, 23, 18, 195, 8, WS_VISIBLE | WS_GROUP, 0, 0xFFFF, LUMISCENE_ABOUT_FIRST_LINE},
    {ControlKind::CentredText, 23, 33, 195, 8, WS_VISIBLE | WS_GROUP, 0, 0xFFFF, LUMISCENE_ABOUT_SECOND_LINE},
    {ControlKind::GroupBox, 7, 56, 227, 90, WS_VISIBLE, 0, 0xFFFF, LUMISCENE_SAVER_PICTURES},
    {ControlKind::Text, 14, 68, 213, 8, WS_VISIBLE | WS_GROUP, 0, 0xFFFF, LUMISCENE_SAVER_PICTURE1},
    {ControlKind::PathText, 14, 79, 158, 12, WS_VISIBLE, 0, IDC_PICTURE1_PATH, ""},
    {ControlKind::Button, 177, 78, 50, 14, WS_VISIBLE | WS_TABSTOP, 0, IDC_PICTURE1_BROWSE,
     LUMISCENE_SAVER_BROWSE1},
    {ControlKind::Text, 14, 97, 213, 8, WS_VISIBLE | WS_GROUP, 0, 0xFFFF, LUMISCENE_SAVER_PICTURE2},
    {ControlKind::PathText, 14, 108, 158, 12, WS_VISIBLE, 0, IDC_PICTURE2_PATH, ""},
    {ControlKind::Button, 177, 107, 50, 14, WS_VISIBLE | WS_TABSTOP, 0, IDC_PICTURE2_BROWSE,
     LUMISCENE_SAVER_BROWSE2},
    {ControlKind::Button, 14, 126, 110, 14, WS_VISIBLE | WS_TABSTOP, 0, IDC_BUILT_IN_PICTURES,
     LUMISCENE_SAVER_BUILT_IN},
    {ControlKind::DefaultButton, 127, 152, 50, 14, WS_VISIBLE | WS_TABSTOP, 0, IDOK, LUMISCENE_SAVER_OK},
    {ControlKind::Button, 184, 152, 50, 14, WS_VISIBLE | WS_TABSTOP, 0, IDCANCEL, LUMISCENE_SAVER_CANCEL},
};
const portable::DialogTemplate saverSettingsDialog = {241,
                                                      172,
                                                      WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                                      LUMISCENE_SAVER_SETTINGS_TITLE,
                                                      LUMISCENE_ABOUT_FONT,
                                                      LUMISCENE_ABOUT_FONT_SIZE,
                                                      saverSettingsControls,
                                                      std::size(saverSettingsControls)};

constexpr int32_t kIconSize = 32;
std::array<uint32_t, kIconSize * kIconSize> iconPixels{};
portable::IconTemplate icon = {0, iconPixels.data()};

uint32_t little(const unsigned char* at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

// Finds the 32 x 32, 32-bit image of the icon file (an icon directory of
// bitmap images, bottom row first, blue-green-red-alpha) and keeps it top row first.
bool readIcon() {
  const unsigned char* file = programIconFile;
  const size_t size = sizeof(programIconFile) - 1;  // the array ends with one padding byte
  if (size < 6 || little(file, 2) != 0 || little(file + 2, 2) != 1) return false;
  const uint32_t count = little(file + 4, 2);
  for (uint32_t index = 0; index < count && 6 + 16 * (index + 1) <= size; ++index) {
    const unsigned char* entry = file + 6 + 16 * index;
    const uint32_t length = little(entry + 8, 4), offset = little(entry + 12, 4);
    if (entry[0] != kIconSize || entry[1] != kIconSize || offset + length > size || length < 40) continue;
    const unsigned char* header = file + offset;
    if (little(header, 4) != 40 || little(header + 4, 4) != kIconSize || little(header + 14, 2) != 32)
      continue;
    if (40 + kIconSize * kIconSize * 4 > length) continue;
    const unsigned char* pixels = header + 40;
    for (int32_t row = 0; row < kIconSize; ++row)
      for (int32_t column = 0; column < kIconSize; ++column) {
        const unsigned char* bgra = pixels + ((kIconSize - 1 - row) * kIconSize + column) * 4;
        iconPixels[row * kIconSize + column] = static_cast<uint32_t>(bgra[3]) << 24 |
                                               static_cast<uint32_t>(bgra[2]) << 16 |
                                               static_cast<uint32_t>(bgra[1]) << 8 | bgra[0];
      }
    return true;
  }
  return false;
}

}  // namespace

namespace portable {

void registerProgramResources() {
  if (readIcon()) icon.size = kIconSize;
  registerResource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_LUMISCENE), &icon, sizeof(icon));
  registerResource(RT_MENU, MAKEINTRESOURCEA(IDR_MAIN_MENU), &mainMenu, sizeof(mainMenu));
  registerResource(RT_ACCELERATOR, MAKEINTRESOURCEA(IDR_ACCELERATORS), accelerators, sizeof(accelerators));
  registerResource(RT_DIALOG, MAKEINTRESOURCEA(IDD_ABOUT), &aboutDialog, sizeof(aboutDialog));
  registerResource(RT_DIALOG, MAKEINTRESOURCEA(IDD_SAVER_SETTINGS), &saverSettingsDialog,
                   sizeof(saverSettingsDialog));
}

}  // namespace portable
