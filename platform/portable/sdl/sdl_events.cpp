// SDL2 events in Windows terms: keys as virtual-key codes, buttons and moves
// in screen coordinates (full-screen: in the frame's), the window manager's
// focus, minimise, restore, move and close, and a screensaver host's end.
#include "platform/portable/backend.h"
#include "platform/portable/sdl/sdl_backend.h"
#include "platform/portable/user.h"

namespace {

uint32_t virtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<uint32_t>(key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD0 + 1 + static_cast<uint32_t>(key - SDLK_KP_1);
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_LGUI:
      return VK_LWIN;
    case SDLK_RGUI:
      return VK_RWIN;
    case SDLK_PAUSE:
      return VK_PAUSE;
    case SDLK_CAPSLOCK:
      return VK_CAPITAL;
    case SDLK_NUMLOCKCLEAR:
      return VK_NUMLOCK;
    case SDLK_SCROLLLOCK:
      return VK_SCROLL;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_KP_0:
      return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDLK_KP_PLUS:
      return VK_ADD;
    case SDLK_KP_MINUS:
      return VK_SUBTRACT;
    case SDLK_KP_PERIOD:
      return VK_DECIMAL;
    case SDLK_KP_DIVIDE:
      return VK_DIVIDE;
    case SDLK_SEMICOLON:
      return VK_OEM_1;
    case SDLK_EQUALS:
      return VK_OEM_PLUS;
    case SDLK_COMMA:
      return VK_OEM_COMMA;
    case SDLK_MINUS:
      return VK_OEM_MINUS;
    case SDLK_PERIOD:
      return VK_OEM_PERIOD;
    case SDLK_SLASH:
      return VK_OEM_2;
    case SDLK_BACKQUOTE:
      return VK_OEM_3;
    case SDLK_LEFTBRACKET:
      return VK_OEM_4;
    case SDLK_BACKSLASH:
      return VK_OEM_5;
    case SDLK_RIGHTBRACKET:
      return VK_OEM_6;
    case SDLK_QUOTE:
      return VK_OEM_7;
    default:
      return 0;
  }
}

// A pointer position inside the window, in the layer's screen coordinates:
// full-screen, the frame position under the pointer (the bars count as the
// nearest edge); in a scaled window, the unscaled content's.
void toScreen(int x, int y, int32_t& screenX, int32_t& screenY) {
  if (sdl::fullScreen()) {
    portable::targetToFrame(sdl::fullScreenBox(), x, y, screenX, screenY);
    return;
  }
  int windowX = 0, windowY = 0;
  SDL_GetWindowPosition(sdl::window(), &windowX, &windowY);
  screenX = windowX + x / sdl::windowScale();
  screenY = windowY + y / sdl::windowScale();
}

bool translate(const SDL_Event& from, backend::Event& to) {
  using backend::EventKind;
  switch (from.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      to.kind = from.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
      to.virtualKey = virtualKey(from.key.keysym.sym);
      to.repeat = from.key.repeat != 0;
      return to.virtualKey != 0;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      to.kind = from.type == SDL_MOUSEBUTTONDOWN ? EventKind::ButtonDown : EventKind::ButtonUp;
      to.button = from.button.button == SDL_BUTTON_RIGHT    ? 1
                  : from.button.button == SDL_BUTTON_MIDDLE ? 2
                                                            : 0;
      toScreen(from.button.x, from.button.y, to.x, to.y);
      return true;
    case SDL_MOUSEMOTION:
      to.kind = EventKind::PointerMove;
      toScreen(from.motion.x, from.motion.y, to.x, to.y);
      return true;
    case SDL_QUIT:
      to.kind = EventKind::CloseRequested;
      return true;
    case SDL_SYSWMEVENT:
      return sdl::translateHostEvent(from.syswm.msg, to);
    case SDL_WINDOWEVENT:
      switch (from.window.event) {
        // A saver is never given the focus, yet must animate at the player's pace.
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          to.kind = EventKind::FocusGained;
          return !sdl::fitsWindow();
        case SDL_WINDOWEVENT_FOCUS_LOST:
          to.kind = EventKind::FocusLost;
          return !sdl::fitsWindow();
        // Only the saver's own window can be minimised; a host's unmapping is the host's affair.
        case SDL_WINDOWEVENT_MINIMIZED:
          to.kind = EventKind::Minimised;
          return !sdl::hosted();
        case SDL_WINDOWEVENT_RESTORED:
          to.kind = EventKind::Restored;
          return !sdl::hosted();
        case SDL_WINDOWEVENT_CLOSE:
          to.kind = EventKind::CloseRequested;
          return true;
        case SDL_WINDOWEVENT_MOVED: {
          if (sdl::fullScreen() || sdl::fitsWindow()) return false;
          // Where the window is now, not where this event saw it: a move left
          // over from full-screen would otherwise carry the window back to the corner.
          int x = 0, y = 0;
          SDL_GetWindowPosition(sdl::window(), &x, &y);
          to.kind = EventKind::Moved;
          to.x = x;
          to.y = y;
          return true;
        }
        default:
          return false;
      }
    default:
      return false;
  }
}

}  // namespace

namespace backend {

bool pollEvent(Event& event) {
  if (sdl::window() == nullptr) return false;
  if (sdl::takeSaverOrigin(event) || sdl::takeHostLoss(event)) return true;
  SDL_Event raw;
  while (SDL_PollEvent(&raw) == 1) {
    event = Event{};
    if (translate(raw, event)) return true;
  }
  return false;
}

bool waitForEvent() {
  if (sdl::window() == nullptr) return false;
  return SDL_WaitEvent(nullptr) == 1;
}

}  // namespace backend
