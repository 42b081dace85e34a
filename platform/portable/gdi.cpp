// GDI over pixel memory: contexts of the screen, of windows and of DirectDraw
// surfaces, the one built-in font, opaque text (the default background mode,
// the only one the program uses), and pixels.
//
// Colours are converted into the target's own layout, so a surface context
// writes the same values a surface colour fill of that colour would. The text
// extent is the cell count times the fixed cell, exactly the area TextOutA covers.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/portable/display.h"
#include "platform/portable/font.h"
#include "platform/portable/gdi_internal.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

struct HFONT__ {
  int unused;
};

struct HDC__ {
  portable::DrawTarget target;
  HWND window = nullptr;  // the window whose client area it draws into, if any
  bool fromSurface = false;
  COLORREF background = RGB(255, 255, 255);
  COLORREF foreground = RGB(0, 0, 0);
  HFONT font = nullptr;
  bool alive = true;
};

namespace {

HFONT__ builtInFont;
std::vector<std::unique_ptr<HDC__>>& contexts = portable::lasting<std::vector<std::unique_ptr<HDC__>>>();

HDC__* makeContext(const portable::DrawTarget& target) {
  for (auto& context : contexts)
    if (!context->alive) {
      *context = HDC__{};
      context->target = target;
      context->font = &builtInFont;
      return context.get();
    }
  contexts.push_back(std::make_unique<HDC__>());
  contexts.back()->target = target;
  contexts.back()->font = &builtInFont;
  return contexts.back().get();
}

HDC__* findContext(HDC dc) {
  for (auto& context : contexts)
    if (context.get() == dc && context->alive) return context.get();
  return nullptr;
}

uint32_t valueOf(const HDC__& context, COLORREF colour) {
  return portable::encodePixel(context.target.layout, GetRValue(colour), GetGValue(colour),
                               GetBValue(colour));
}

uint8_t* pixelAt(const HDC__& context, int x, int y) {
  if (context.target.pixels == nullptr || x < 0 || y < 0 || x >= context.target.width ||
      y >= context.target.height)
    return nullptr;
  return context.target.pixels + static_cast<ptrdiff_t>(y) * context.target.pitch +
         static_cast<ptrdiff_t>(x) * context.target.layout.bytesPerPixel();
}

}  // namespace

namespace portable {

HDC makeSurfaceDC(const DrawTarget& target) {
  HDC__* context = makeContext(target);
  context->fromSurface = true;
  return context;
}

void destroyDC(HDC dc) {
  if (HDC__* context = findContext(dc); context != nullptr) context->alive = false;
}

}  // namespace portable

HDC WINAPI GetDC(HWND window) {
  if (window == nullptr) {
    // The screen's context measures text; the screen itself is DirectDraw's to draw on.
    const portable::DisplayState& screen = portable::display();
    return makeContext({nullptr, 0, screen.width, screen.height, screen.layout});
  }
  HWND__* record = portable::findWindow(window);
  if (record == nullptr) return nullptr;
  portable::fitClientPixels(*record);
  HDC__* context = makeContext({reinterpret_cast<uint8_t*>(record->client.data()), record->clientWidth * 4,
                                record->clientWidth, record->clientHeight, portable::standardLayout(32)});
  context->window = window;
  return context;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  HDC__* context = findContext(dc);
  if (context == nullptr || context->fromSurface || context->window != window) return 0;
  context->alive = false;
  if (HWND__* record = window != nullptr ? portable::findWindow(window) : nullptr; record != nullptr)
    portable::presentWindow(*record);
  return 1;
}

HGDIOBJ WINAPI GetStockObject(int object) {
  switch (object) {
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT:
      return &builtInFont;
    default:
      return nullptr;
  }
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  HDC__* context = findContext(dc);
  if (context == nullptr || object != &builtInFont) return nullptr;
  HFONT previous = context->font;
  context->font = static_cast<HFONT>(object);
  return previous;
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
  if (findContext(dc) == nullptr || size == nullptr || length < 0 || (text == nullptr && length > 0))
    return FALSE;
  size->cx = length * portable::kGlyphWidth;
  size->cy = portable::kGlyphHeight;
  return TRUE;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour) {
  HDC__* context = findContext(dc);
  if (context == nullptr) return CLR_INVALID;
  const COLORREF previous = context->background;
  context->background = colour & 0xFFFFFF;
  return previous;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
  HDC__* context = findContext(dc);
  if (context == nullptr) return CLR_INVALID;
  const COLORREF previous = context->foreground;
  context->foreground = colour & 0xFFFFFF;
  return previous;
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  HDC__* context = findContext(dc);
  if (context == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
  const int32_t bytes = context->target.layout.bytesPerPixel();
  const uint32_t background = valueOf(*context, context->background);
  const uint32_t foreground = valueOf(*context, context->foreground);
  for (int index = 0; index < length; ++index) {
    const uint8_t* rows = portable::glyphRows(text[index]);
    const int cellX = x + index * portable::kGlyphWidth;
    for (int row = 0; row < portable::kGlyphHeight; ++row)
      for (int column = 0; column < portable::kGlyphWidth; ++column) {
        uint8_t* at = pixelAt(*context, cellX + column, y + row);
        if (at == nullptr) continue;
        if (rows[row] & (0x80 >> column))
          portable::writePixel(at, bytes, foreground);
        else
          portable::writePixel(at, bytes, background);
      }
  }
  if (context->window != nullptr)
    if (HWND__* record = portable::findWindow(context->window); record != nullptr)
      portable::presentWindow(*record);
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  HDC__* context = findContext(dc);
  if (context == nullptr) return CLR_INVALID;
  const uint8_t* at = pixelAt(*context, x, y);
  if (at == nullptr) return CLR_INVALID;
  const uint32_t rgb = portable::decodePixel(context->target.layout,
                                             portable::readPixel(at, context->target.layout.bytesPerPixel()));
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour) {
  HDC__* context = findContext(dc);
  if (context == nullptr) return static_cast<COLORREF>(-1);
  uint8_t* at = pixelAt(*context, x, y);
  if (at == nullptr) return static_cast<COLORREF>(-1);
  const int32_t bytes = context->target.layout.bytesPerPixel();
  portable::writePixel(at, bytes, valueOf(*context, colour));
  return GetPixel(dc, x, y);
}
