#include "app/saver_settings.h"

#include <memory>
#include <string>

#include "app/app_flags.h"
#include "app/picture_choice.h"
#include "display/display_setup.h"
#include "pictures/user_picture.h"
#include "resources/resource_ids.h"
#include "scene/image.h"

namespace lumiscene {

namespace {

constexpr const char* builtInText = "(the built-in picture)";
constexpr const char* pictureFilter = "JPEG pictures (*.jpg, *.jpeg)\0*.jpg;*.jpeg\0All files (*.*)\0*.*\0";

// The choice being edited; the dialog is modal and there is one at a time.
PictureChoice* pending = nullptr;

void showPath(HWND dialog, int id, const std::string& path) {
  SetDlgItemTextA(dialog, id, path.empty() ? builtInText : path.c_str());
}

void showChoice(HWND dialog) {
  showPath(dialog, IDC_PICTURE1_PATH, pending->panorama);
  showPath(dialog, IDC_PICTURE2_PATH, pending->inset);
}

// The open-file dialog, starting at the current choice; false when cancelled.
bool askForFile(HWND dialog, PictureRole role, const std::string& current, std::string& chosen) {
  char file[4096] = {};
  current.copy(file, sizeof(file) - 1);
  OPENFILENAMEA request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = dialog;
  request.lpstrFilter = pictureFilter;
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = sizeof(file);
  request.lpstrTitle =
      role == PictureRole::panorama ? "Picture 1, the panorama" : "Picture 2, the picture that fades in";
  request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&request)) return false;
  chosen = file;
  return true;
}

void browse(HWND dialog, PictureRole role) {
  std::string& slot = role == PictureRole::panorama ? pending->panorama : pending->inset;
  std::string chosen;
  if (!askForFile(dialog, role, slot, chosen)) return;
  std::unique_ptr<Image> trial;
  std::string message;
  if (!loadUserPicture(chosen, role, trial, message)) {
    const std::string text = message + ".\nThe previous choice is kept.";
    showErrorMessage(dialog, text.c_str());
    return;
  }
  slot = chosen;
  showChoice(dialog);
}

INT_PTR CALLBACK settingsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      showChoice(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PICTURE1_BROWSE:
          browse(dialog, PictureRole::panorama);
          return TRUE;
        case IDC_PICTURE2_BROWSE:
          browse(dialog, PictureRole::inset);
          return TRUE;
        case IDC_BUILT_IN_PICTURES:
          *pending = PictureChoice{};
          showChoice(dialog);
          return TRUE;
        case IDOK:
          if (!storePictureChoice(*pending)) {
            showErrorMessage(dialog, "The chosen pictures could not be stored in the registry.");
            return TRUE;
          }
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

int runSaverSettings(HINSTANCE instance, HWND owner) {
  PictureChoice choice = readPictureChoice();
  pending = &choice;
  const INT_PTR answer =
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SAVER_SETTINGS), owner, settingsProcedure, 0);
  pending = nullptr;
  return answer == -1 ? failureExitStatus : 0;
}

}  // namespace lumiscene
