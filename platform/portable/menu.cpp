// Menus and accelerators: the menu bar loaded from a resource, drawn by the
// layer as a strip above the client area, its drop-down run as a modal loop
// that works with keyboard and mouse and posts WM_COMMAND, and accelerator
// tables that turn key presses into WM_COMMAND.
#include <algorithm>
#include <cctype>

#include "platform/portable/canvas.h"
#include "platform/portable/font.h"
#include "platform/portable/kernel.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace {

std::vector<std::unique_ptr<HMENU__>>& menus = portable::lasting<std::vector<std::unique_ptr<HMENU__>>>();
std::vector<std::unique_ptr<HACCEL__>>& acceleratorTables =
    portable::lasting<std::vector<std::unique_ptr<HACCEL__>>>();

constexpr int32_t kTitlePadding = 6;
constexpr int32_t kItemHeight = 20;
constexpr int32_t kSeparatorHeight = 9;
constexpr int32_t kItemIndent = 20;
constexpr int32_t kShortcutGap = 24;

// The drop-down being shown, if any.
struct OpenMenu {
  const HWND__* window = nullptr;
  size_t popup = 0;
  int32_t selected = -1;
} openMenu;

std::string mainText(const std::string& text) { return text.substr(0, text.find('\t')); }
std::string shortcutText(const std::string& text) {
  const size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

// The mnemonic of a text: the character after '&', else its first character.
char mnemonicOf(const std::string& text) {
  const size_t amp = text.find('&');
  const char character = amp != std::string::npos && amp + 1 < text.size() ? text[amp + 1]
                         : text.empty()                                    ? 0
                                                                           : text[0];
  return static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
}

struct Box {
  int32_t x, y, width, height;
  bool contains(POINT at) const { return at.x >= x && at.x < x + width && at.y >= y && at.y < y + height; }
};

Box titleBox(const HMENU__& menu, size_t popup) {
  int32_t x = 0;
  for (size_t index = 0; index < popup; ++index)
    x += portable::textWidth(menu.popups[index].title) + 2 * kTitlePadding;
  return {x, 0, portable::textWidth(menu.popups[popup].title) + 2 * kTitlePadding,
          GetSystemMetrics(SM_CYMENU)};
}

Box dropDownBox(const HMENU__& menu, size_t popup) {
  int32_t width = 0, height = 4;
  for (const auto& item : menu.popups[popup].items) {
    height += item.separator ? kSeparatorHeight : kItemHeight;
    const std::string shortcut = shortcutText(item.text);
    width = std::max(width, portable::textWidth(mainText(item.text)) +
                                (shortcut.empty() ? 0 : kShortcutGap + portable::textWidth(shortcut)));
  }
  const Box title = titleBox(menu, popup);
  return {title.x, title.height, width + 2 * kItemIndent, height};
}

// The item at a point of the window content, or -1.
int32_t itemAt(const HMENU__& menu, size_t popup, POINT at) {
  const Box box = dropDownBox(menu, popup);
  if (!box.contains(at)) return -1;
  int32_t y = box.y + 2;
  const auto& items = menu.popups[popup].items;
  for (size_t index = 0; index < items.size(); ++index) {
    const int32_t height = items[index].separator ? kSeparatorHeight : kItemHeight;
    if (at.y >= y && at.y < y + height) return static_cast<int32_t>(index);
    y += height;
  }
  return -1;
}

int32_t step(const HMENU__::Popup& popup, int32_t from, int32_t direction) {
  const auto count = static_cast<int32_t>(popup.items.size());
  for (int32_t tries = 0, at = from; tries < count; ++tries) {
    at = (at + direction + count) % count;
    if (!popup.items[at].separator) return at;
  }
  return -1;
}

POINT toContent(const HWND__& window, POINT screen) {
  const POINT origin = portable::contentOrigin(window);
  return {screen.x - origin.x, screen.y - origin.y};
}

}  // namespace

namespace portable {

bool isMenu(HMENU menu) {
  for (const auto& record : menus)
    if (record.get() == menu && record->alive) return true;
  return false;
}

void paintMenuStrip(const HWND__& window, Canvas& canvas) {
  const int32_t height = menuHeight(window);
  if (height == 0) return;
  canvas.fill(0, 0, canvas.width, height, kFaceColour);
  const HMENU__& menu = *window.menu;
  for (size_t popup = 0; popup < menu.popups.size(); ++popup) {
    const Box title = titleBox(menu, popup);
    const bool open = openMenu.window == &window && openMenu.popup == popup;
    if (open) canvas.fill(title.x, title.y, title.width, title.height, kSelectionColour);
    canvas.text(title.x + kTitlePadding, (height - kGlyphHeight) / 2, menu.popups[popup].title,
                open ? kSelectedTextColour : kTextColour);
  }
}

bool paintOpenMenu(const HWND__& window, Canvas& canvas) {
  if (openMenu.window != &window || window.menu == nullptr) return false;
  const HMENU__& menu = *window.menu;
  const Box box = dropDownBox(menu, openMenu.popup);
  canvas.fill(box.x, box.y, box.width, box.height, kFaceColour);
  canvas.frame(box.x, box.y, box.width, box.height, kShadowColour);
  int32_t y = box.y + 2;
  const auto& items = menu.popups[openMenu.popup].items;
  for (size_t index = 0; index < items.size(); ++index) {
    const auto& item = items[index];
    if (item.separator) {
      canvas.fill(box.x + 2, y + kSeparatorHeight / 2, box.width - 4, 1, kShadowColour);
      canvas.fill(box.x + 2, y + kSeparatorHeight / 2 + 1, box.width - 4, 1, kHighlightColour);
      y += kSeparatorHeight;
      continue;
    }
    const bool selected = static_cast<int32_t>(index) == openMenu.selected;
    if (selected) canvas.fill(box.x + 2, y, box.width - 4, kItemHeight, kSelectionColour);
    const uint32_t colour = selected ? kSelectedTextColour : kTextColour;
    const int32_t textY = y + (kItemHeight - kGlyphHeight) / 2;
    canvas.text(box.x + kItemIndent, textY, mainText(item.text), colour);
    const std::string shortcut = shortcutText(item.text);
    if (!shortcut.empty())
      canvas.text(box.x + box.width - kItemIndent - textWidth(shortcut), textY, shortcut, colour);
    y += kItemHeight;
  }
  return true;
}

void runMenuLoop(HWND__& window, bool byKeyboard, char mnemonic, POINT screenPoint) {
  if (window.menu == nullptr || !isMenu(window.menu) || window.menu->popups.empty() ||
      openMenu.window != nullptr)
    return;
  const HMENU__& menu = *window.menu;
  size_t popup = menu.popups.size();
  if (byKeyboard) {
    const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(mnemonic)));
    for (size_t index = 0; index < menu.popups.size() && popup == menu.popups.size(); ++index)
      if (mnemonic == 0 || mnemonicOf(menu.popups[index].title) == wanted) popup = index;
  } else {
    for (size_t index = 0; index < menu.popups.size(); ++index)
      if (titleBox(menu, index).contains(toContent(window, screenPoint))) popup = index;
  }
  if (popup == menu.popups.size()) return;
  const HMENU__::Popup& items = menu.popups[popup];
  openMenu = {&window, popup, byKeyboard ? step(items, -1, 1) : -1};
  ++window.modalDepth;
  presentWindow(window);

  int32_t chosen = -1;
  bool running = true;
  while (running && window.alive) {
    MSG message;
    if (!waitForMessage(message)) break;
    const POINT at = toContent(window, message.pt);
    switch (message.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN: {
        const auto key = static_cast<uint32_t>(message.wParam);
        if (key == VK_DOWN)
          openMenu.selected = step(items, openMenu.selected, 1);
        else if (key == VK_UP)
          openMenu.selected = step(items, openMenu.selected < 0 ? 0 : openMenu.selected, -1);
        else if (key == VK_ESCAPE || key == VK_MENU || key == VK_F10)
          running = false;
        else if (key == VK_RETURN && openMenu.selected >= 0)
          chosen = openMenu.selected;
        else if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
          for (size_t index = 0; index < items.items.size() && chosen < 0; ++index)
            if (!items.items[index].separator &&
                mnemonicOf(items.items[index].text) == static_cast<char>(std::tolower(static_cast<int>(key))))
              chosen = static_cast<int32_t>(index);
        }
        break;
      }
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        break;
      case WM_MOUSEMOVE: {
        const int32_t item = itemAt(menu, popup, at);
        if (item >= 0 && !items.items[item].separator) openMenu.selected = item;
        break;
      }
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_NCLBUTTONDOWN: {
        // A click on an item chooses it; anywhere else outside the drop-down closes the menu.
        const int32_t item = itemAt(menu, popup, at);
        if (item < 0)
          running = false;
        else if (!items.items[item].separator)
          chosen = item;
        break;
      }
      case WM_QUIT:
        PostQuitMessage(static_cast<int>(message.wParam));
        running = false;
        break;
      case WM_CANCELMODE:
        running = false;
        break;
      default:
        DispatchMessageA(&message);
        break;
    }
    if (chosen >= 0) running = false;
    if (window.alive) presentWindow(window);
  }
  openMenu = {};
  leaveModalLoop(window);
  if (!window.alive) return;
  presentWindow(window);
  if (chosen >= 0) postMessage(&window, WM_COMMAND, MAKEWPARAM(items.items[chosen].id, 0), 0);
}

void resetMenus() {
  menus.clear();
  acceleratorTables.clear();
  openMenu = {};
}

}  // namespace portable

HMENU WINAPI LoadMenuA(HINSTANCE, LPCSTR name) {
  const auto* source = static_cast<const portable::MenuTemplate*>(portable::findResourceData(RT_MENU, name));
  if (source == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto menu = std::make_unique<HMENU__>();
  for (size_t popup = 0; popup < source->count; ++popup) {
    HMENU__::Popup loaded;
    loaded.title = source->popups[popup].title;
    for (size_t item = 0; item < source->popups[popup].count; ++item) {
      const auto& entry = source->popups[popup].items[item];
      loaded.items.push_back({entry.text != nullptr ? entry.text : "", entry.id, entry.text == nullptr});
    }
    menu->popups.push_back(std::move(loaded));
  }
  menus.push_back(std::move(menu));
  return menus.back().get();
}

BOOL WINAPI SetMenu(HWND window, HMENU menu) {
  HWND__* record = portable::findWindow(window);
  if (record == nullptr || (record->style & WS_CHILD)) return FALSE;
  if (menu != nullptr && !portable::isMenu(menu)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The outer rectangle stays; the client area gives or takes the menu strip's height, as on Windows.
  record->menu = menu;
  portable::placeWindow(*record, nullptr, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

HMENU WINAPI GetMenu(HWND window) {
  const HWND__* record = portable::findWindow(window);
  return record != nullptr ? record->menu : nullptr;
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE, LPCSTR name) {
  uint32_t size = 0;
  const auto* entries = static_cast<const ACCEL*>(portable::findResourceData(RT_ACCELERATOR, name, &size));
  if (entries == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto table = std::make_unique<HACCEL__>();
  table->entries.assign(entries, entries + size / sizeof(ACCEL));
  acceleratorTables.push_back(std::move(table));
  return acceleratorTables.back().get();
}

int WINAPI TranslateAcceleratorA(HWND window, HACCEL table, LPMSG message) {
  HWND__* record = portable::findWindow(window);
  if (record == nullptr || message == nullptr) return 0;
  bool known = false;
  for (const auto& loaded : acceleratorTables) known = known || loaded.get() == table;
  if (!known) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const UINT type = message->message;
  const bool keyMessage = type == WM_KEYDOWN || type == WM_SYSKEYDOWN;
  const bool charMessage = type == WM_CHAR || type == WM_SYSCHAR;
  if (!keyMessage && !charMessage) return 0;
  const bool alt = (message->lParam & (1 << 29)) != 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
  for (const ACCEL& entry : table->entries) {
    bool match;
    if (entry.fVirt & FVIRTKEY) {
      match = keyMessage && entry.key == message->wParam && ((entry.fVirt & FSHIFT) != 0) == shift &&
              ((entry.fVirt & FCONTROL) != 0) == control && ((entry.fVirt & FALT) != 0) == alt;
    } else {
      match = charMessage && entry.key == message->wParam && ((entry.fVirt & FALT) != 0) == alt;
    }
    if (!match) continue;
    portable::sendMessage(*record, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
    return 1;
  }
  return 0;
}
