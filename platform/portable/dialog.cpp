// The modal dialogs (DialogBoxParamA, EndDialog, the controls' texts) and MessageBoxA.
//
// The dialog is a window of the manager drawn as a panel over its owner's
// client area, in dialog units of the built-in font. Its modal loop reads the
// thread's messages: Enter presses the default button, Esc gives IDCANCEL, a
// click on a button presses it and the close box gives IDCANCEL; everything
// else not aimed at the disabled owner is dispatched. A headless test can
// instead script the command the dialog receives.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "platform/portable/backend.h"
#include "platform/portable/canvas.h"
#include "platform/portable/display.h"
#include "platform/portable/font.h"
#include "platform/portable/kernel.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace portable {

struct DialogState {
  const DialogTemplate* source = nullptr;
  DLGPROC procedure = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  // Texts set with SetDlgItemTextA, over the template's.
  std::map<WORD, std::string> texts;
};

}  // namespace portable

namespace {

// Dialogs being shown, innermost last.
std::vector<HWND__*>& openDialogs = portable::lasting<std::vector<HWND__*>>();

// Dialog units: a quarter of the average character width across, an eighth of its height down.
int32_t unitsX(int32_t units) { return units * portable::kGlyphWidth / 4; }
int32_t unitsY(int32_t units) { return units * portable::kGlyphHeight / 8; }

struct Box {
  int32_t x, y, width, height;
  bool contains(POINT at) const { return at.x >= x && at.x < x + width && at.y >= y && at.y < y + height; }
};

// A control's box in screen coordinates.
Box controlBox(const HWND__& dialog, const portable::DialogControlTemplate& control) {
  const RECT client = portable::clientRectOnScreen(dialog);
  return {client.left + unitsX(control.x), client.top + unitsY(control.y), unitsX(control.width),
          unitsY(control.height)};
}

Box closeBox(const HWND__& dialog) {
  const int32_t frame = portable::frameWidth(dialog.style, dialog.exStyle);
  const int32_t caption = portable::captionHeight(dialog.style);
  return {dialog.rect.right - frame - caption, dialog.rect.top + frame + 2, caption - 2, caption - 4};
}

WORD defaultButton(const portable::DialogTemplate& source) {
  for (size_t index = 0; index < source.count; ++index)
    if (source.controls[index].kind == portable::ControlKind::DefaultButton) return source.controls[index].id;
  return IDOK;
}

LRESULT CALLBACK dialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* record = portable::findWindow(window);
  if (record == nullptr || record->dialog == nullptr) return 0;
  if (record->dialog->procedure(window, message, wParam, lParam) != 0) return record->messageResult;
  // What the dialog procedure leaves, the dialog manager does: closing is cancelling.
  if (message == WM_CLOSE) {
    record->dialog->procedure(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    return 0;
  }
  // A dialog has no menu bar for Alt to open.
  if (message == WM_SYSKEYUP || message == WM_SYSCHAR) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

void press(HWND__& dialog, WORD id) { portable::sendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

const portable::DialogControlTemplate* findControl(const portable::DialogTemplate& source, int id) {
  for (size_t index = 0; index < source.count; ++index)
    if (source.controls[index].id == id && id != 0xFFFF) return &source.controls[index];
  return nullptr;
}

std::string_view controlText(const portable::DialogState& state,
                             const portable::DialogControlTemplate& control) {
  auto set = state.texts.find(control.id);
  if (set != state.texts.end()) return set->second;
  return control.text != nullptr ? control.text : "";
}

// A button's label as shown: "&" only marks its mnemonic.
std::string withoutMnemonic(std::string_view text) {
  std::string shown;
  for (char c : text)
    if (c != '&') shown += c;
  return shown;
}

// The end of a text that fits the width, after "...", as a path is shortened.
std::string fittedTail(std::string_view text, int32_t width) {
  if (portable::textWidth(text) <= width) return std::string(text);
  std::string_view tail = text;
  while (!tail.empty() && portable::textWidth(tail) + portable::textWidth("...") > width)
    tail.remove_prefix(1);
  return "..." + std::string(tail);
}

Box screenToContent(const HWND__& owner, Box box) {
  const POINT origin = portable::contentOrigin(owner);
  return {box.x - origin.x, box.y - origin.y, box.width, box.height};
}

void paintDialog(const HWND__& owner, const HWND__& dialog, portable::Canvas& canvas) {
  using namespace portable;
  const Box outer =
      screenToContent(owner, {dialog.rect.left, dialog.rect.top, dialog.rect.right - dialog.rect.left,
                              dialog.rect.bottom - dialog.rect.top});
  canvas.fill(outer.x, outer.y, outer.width, outer.height, kFaceColour);
  canvas.frame(outer.x, outer.y, outer.width, outer.height, kTextColour);
  canvas.frame(outer.x + 1, outer.y + 1, outer.width - 2, outer.height - 2, kHighlightColour);
  const int32_t frame = frameWidth(dialog.style, dialog.exStyle);
  const int32_t caption = captionHeight(dialog.style);
  canvas.fill(outer.x + frame, outer.y + frame, outer.width - 2 * frame, caption, kSelectionColour);
  canvas.text(outer.x + frame + 4, outer.y + frame + (caption - kGlyphHeight) / 2, dialog.title,
              kSelectedTextColour);
  const Box close = screenToContent(owner, closeBox(dialog));
  canvas.fill(close.x, close.y, close.width, close.height, kFaceColour);
  canvas.text(close.x + (close.width - kGlyphWidth) / 2, close.y + (close.height - kGlyphHeight) / 2, "x",
              kTextColour);
  const DialogTemplate& source = *dialog.dialog->source;
  for (size_t index = 0; index < source.count; ++index) {
    const DialogControlTemplate& control = source.controls[index];
    const Box box = screenToContent(owner, controlBox(dialog, control));
    const std::string_view text = controlText(*dialog.dialog, control);
    switch (control.kind) {
      case ControlKind::CentredText:
        canvas.text(box.x + (box.width - textWidth(text)) / 2, box.y + (box.height - kGlyphHeight) / 2, text,
                    kTextColour);
        break;
      case ControlKind::Text:
        canvas.text(box.x, box.y + (box.height - kGlyphHeight) / 2, text, kTextColour);
        break;
      case ControlKind::PathText:
        canvas.frame(box.x, box.y, box.width, box.height, kShadowColour);
        canvas.text(box.x + 2, box.y + (box.height - kGlyphHeight) / 2, fittedTail(text, box.width - 4),
                    kTextColour);
        break;
      case ControlKind::GroupBox:
        canvas.frame(box.x, box.y + kGlyphHeight / 2, box.width, box.height - kGlyphHeight / 2,
                     kShadowColour);
        canvas.fill(box.x + 6, box.y, textWidth(text) + 4, kGlyphHeight, kFaceColour);
        canvas.text(box.x + 8, box.y, text, kTextColour);
        break;
      case ControlKind::DefaultButton:
      case ControlKind::Button: {
        canvas.frame(box.x, box.y, box.width, box.height, kTextColour);
        if (control.kind == ControlKind::DefaultButton)
          canvas.frame(box.x + 1, box.y + 1, box.width - 2, box.height - 2, kTextColour);
        const std::string label = withoutMnemonic(text);
        canvas.text(box.x + (box.width - textWidth(label)) / 2, box.y + (box.height - kGlyphHeight) / 2,
                    label, kTextColour);
        break;
      }
    }
  }
}

}  // namespace

namespace portable {

bool paintDialogs(const HWND__& window, Canvas& canvas) {
  bool painted = false;
  for (const HWND__* dialog : openDialogs) {
    if (dialog->alive && dialog->owner == &window) {
      paintDialog(window, *dialog, canvas);
      painted = true;
    }
  }
  return painted;
}

}  // namespace portable

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                               LPARAM initParam) {
  const auto* source =
      static_cast<const portable::DialogTemplate*>(portable::findResourceData(RT_DIALOG, templateName));
  HWND__* ownerRecord = owner != nullptr ? portable::findWindow(owner) : nullptr;
  if (source == nullptr || dialogProc == nullptr || (owner != nullptr && ownerRecord == nullptr)) {
    SetLastError(source == nullptr ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return -1;
  }
  portable::DialogState state{source, dialogProc, false, 0};
  auto record = std::make_unique<HWND__>();
  record->className = "#32770";
  record->proc = dialogWindowProc;
  record->title = source->title != nullptr ? source->title : "";
  record->style = (source->style | WS_POPUP) & ~static_cast<DWORD>(WS_VISIBLE);
  record->exStyle = (source->style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0;
  record->owner = owner;
  record->instance = instance;
  record->dialog = &state;
  RECT outer = {0, 0, unitsX(source->width), unitsY(source->height)};
  AdjustWindowRectEx(&outer, record->style, FALSE, record->exStyle);
  const int32_t width = outer.right - outer.left, height = outer.bottom - outer.top;
  // Centred on the owner's client area, or on the work area without an owner.
  const RECT area =
      ownerRecord != nullptr ? portable::clientRectOnScreen(*ownerRecord) : portable::workArea();
  const int32_t x = area.left + (area.right - area.left - width) / 2,
                y = area.top + (area.bottom - area.top - height) / 2;
  record->rect = {x, y, x + width, y + height};
  HWND__& dialog = portable::addWindow(std::move(record));
  portable::fitClientPixels(dialog);
  openDialogs.push_back(&dialog);
  if (ownerRecord != nullptr) ++ownerRecord->modalDepth;
  const bool ownerWasActive = ownerRecord != nullptr && ownerRecord->active;

  portable::sendMessage(dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(dialog.clientWidth, dialog.clientHeight));
  const RECT client = portable::clientRectOnScreen(dialog);
  portable::sendMessage(dialog, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  portable::sendMessage(dialog, WM_INITDIALOG, 0, initParam);
  if (ownerRecord != nullptr) portable::setActive(*ownerRecord, false);
  dialog.visible = true;
  portable::setActive(dialog, true);

  const WORD defaultId = defaultButton(*source);
  while (!state.ended && dialog.alive) {
    if (ownerRecord != nullptr) portable::presentWindow(*ownerRecord);
    int32_t answer = 0;
    if (backend::scriptedDialogAnswer(answer)) {
      press(dialog, static_cast<WORD>(answer));
      continue;
    }
    MSG message;
    if (!portable::waitForMessage(message)) {
      state.result = -1;
      break;
    }
    switch (message.message) {
      case WM_KEYDOWN:
        if (message.wParam == VK_RETURN || message.wParam == VK_SPACE)
          press(dialog, defaultId);
        else if (message.wParam == VK_ESCAPE)
          press(dialog, IDCANCEL);
        break;
      case WM_LBUTTONDOWN:
      case WM_NCLBUTTONDOWN:
        if (closeBox(dialog).contains(message.pt)) {
          press(dialog, IDCANCEL);
          break;
        }
        for (size_t index = 0; index < source->count; ++index) {
          const auto& control = source->controls[index];
          const bool button = control.kind == portable::ControlKind::DefaultButton ||
                              control.kind == portable::ControlKind::Button;
          if (button && controlBox(dialog, control).contains(message.pt)) press(dialog, control.id);
        }
        break;
      case WM_QUIT:
        PostQuitMessage(static_cast<int>(message.wParam));
        state.ended = true;
        break;
      case WM_CANCELMODE:
        // The program is being closed: the dialog is cancelled as its close
        // box would, and ends even if its procedure would rather stay.
        press(dialog, IDCANCEL);
        if (!state.ended) state.result = IDCANCEL;
        state.ended = true;
        break;
      case WM_MOUSEMOVE:
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
        break;  // the owner is disabled while the dialog is up
      default:
        DispatchMessageA(&message);
        break;
    }
  }
  auto& open = openDialogs;
  open.erase(std::remove(open.begin(), open.end(), &dialog), open.end());
  portable::destroyWindow(dialog);
  dialog.dialog = nullptr;
  if (ownerRecord != nullptr && ownerRecord->alive) {
    portable::leaveModalLoop(*ownerRecord);
    if (ownerWasActive) portable::setActive(*ownerRecord, true);
    portable::presentWindow(*ownerRecord);
  }
  return state.result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  HWND__* record = portable::findWindow(dialog);
  if (record == nullptr || record->dialog == nullptr) return FALSE;
  record->dialog->ended = true;
  record->dialog->result = result;
  return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND__* record = portable::findWindow(dialog);
  if (record == nullptr || record->dialog == nullptr || findControl(*record->dialog->source, id) == nullptr)
    return FALSE;
  record->dialog->texts[static_cast<WORD>(id)] = text != nullptr ? text : "";
  return TRUE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size) {
  HWND__* record = portable::findWindow(dialog);
  const portable::DialogControlTemplate* control =
      record != nullptr && record->dialog != nullptr ? findControl(*record->dialog->source, id) : nullptr;
  if (text == nullptr || size <= 0) return 0;
  text[0] = '\0';
  if (control == nullptr) return 0;
  const std::string_view shown = controlText(*record->dialog, *control);
  const size_t count = std::min(shown.size(), static_cast<size_t>(size - 1));
  std::memcpy(text, shown.data(), count);
  text[count] = '\0';
  return static_cast<UINT>(count);
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  HWND__* ownerRecord = owner != nullptr ? portable::findWindow(owner) : nullptr;
  if (owner != nullptr && ownerRecord == nullptr) return 0;
  if (ownerRecord != nullptr) ++ownerRecord->modalDepth;
  const int32_t answer =
      backend::showMessageBox(text != nullptr ? text : "", caption != nullptr ? caption : "Error", type);
  if (ownerRecord != nullptr && ownerRecord->alive) portable::leaveModalLoop(*ownerRecord);
  return answer;
}
