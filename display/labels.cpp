#include "display/labels.h"

#include <cstdio>
#include <cstring>

#include "app/clock.h"
#include "display/display_depth.h"
#include "display/display_setup.h"
#include "display/pixel_format.h"
#include "display/program_frames.h"

namespace lumiscene {

std::string siteName;
std::string webAddress;
std::string productLabel;
std::string windowTitle;
ReadoutState readout;

namespace {

constexpr const char* makerSiteName = "STARFIELDHQ";
constexpr const char* makerSiteTitle = "StarfieldHQ";
constexpr const char* productPage = "http://starfield.example/?lumi";
constexpr uint32_t readoutRefreshMs = 500;
constexpr COLORREF readoutBackground = 0x404040;
constexpr COLORREF readoutForeground = 0xFFFFFF;

}  // namespace

void buildCaptions() {
  const std::string number = std::to_string(pictureNumber);
  siteName = makerSiteName;
  webAddress = productPage + number;
  productLabel = "LUMISCENE " + number;
  windowTitle = std::string(makerSiteTitle) + " Lumiscene " + number;
}

HRESULT DisplayDevice::createTextSurface(std::unique_ptr<Surface>* out, HFONT font, const char* text,
                                         COLORREF background, COLORREF textColour) {
  if (directDraw == nullptr || text == nullptr || out == nullptr) return E_INVALIDARG;
  out->reset();
  const int length = static_cast<int>(std::strlen(text));
  SIZE extent{0, 0};
  HDC screen = GetDC(nullptr);
  if (font != nullptr) SelectObject(screen, font);
  GetTextExtentPoint32A(screen, text, length, &extent);
  ReleaseDC(nullptr, screen);

  // The same off-screen surface as any other, of exactly the text's size.
  const HRESULT result = createOffscreen(out, extent.cx, extent.cy);
  if (FAILED(result)) return result;
  const HRESULT drawn = (*out)->drawText(font, text, 0, 0, background, textColour);
  return FAILED(drawn) ? drawn : S_OK;
}

HRESULT Surface::drawText(HFONT font, const char* text, int x, int y, COLORREF background,
                          COLORREF textColour) {
  if (surface == nullptr || text == nullptr) return E_INVALIDARG;
  // Restoring first brings a lost surface back before every drawing.
  const HRESULT result = surface->Restore();
  if (FAILED(result)) return result;
  return drawSurfaceText(surface, font, text, x, y, background, textColour);
}

HRESULT drawSurfaceText(IDirectDrawSurface7* surface, HFONT font, const char* text, int x, int y,
                        COLORREF background, COLORREF textColour) {
  if (surface == nullptr || text == nullptr) return E_INVALIDARG;
  HDC context = nullptr;
  HRESULT result = surface->GetDC(&context);
  if (FAILED(result)) return result;
  SetBkColor(context, background);
  SetTextColor(context, textColour);
  if (font != nullptr) SelectObject(context, font);
  TextOutA(context, x, y, text, static_cast<int>(std::strlen(text)));
  result = surface->ReleaseDC(context);
  return FAILED(result) ? result : S_OK;
}

HRESULT Surface::setColourKey(COLORREF colour) {
  if (surface == nullptr) return E_POINTER;
  colourKeyed = true;
  DDCOLORKEY key;
  key.dwColorSpaceLowValue = key.dwColorSpaceHighValue = matchColour(colour);
  return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

uint32_t Surface::matchColour(COLORREF colour) {
  if (surface == nullptr) return 0;
  uint32_t result = 0xFFFFFFFF;
  COLORREF remembered = CLR_INVALID;
  HDC context = nullptr;
  if (colour != CLR_INVALID && SUCCEEDED(surface->GetDC(&context))) {
    remembered = GetPixel(context, 0, 0);
    SetPixel(context, 0, 0, colour);
    surface->ReleaseDC(context);
  }
  DDSURFACEDESC2 locked = emptySurfaceDesc();
  if (SUCCEEDED(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) {
    result = *static_cast<const uint32_t*>(locked.lpSurface);
    const DWORD bits = locked.ddpfPixelFormat.dwRGBBitCount;
    if (bits < 32) result &= (1u << bits) - 1;
    surface->Unlock(nullptr);
  }
  if (colour != CLR_INVALID && SUCCEEDED(surface->GetDC(&context))) {
    SetPixel(context, 0, 0, remembered);
    surface->ReleaseDC(context);
  }
  return result;
}

HRESULT createFrameSurface() {
  if (!displayDevice) return E_POINTER;
  return displayDevice->createOffscreen(&frameSurface, 640, 480);
}

HRESULT createLabels() {
  if (!displayDevice) return E_POINTER;
  HRESULT result = displayDevice->createTextSurface(&siteLabel, nullptr, siteName.c_str(), 0, 0);
  if (result != S_OK) return result;
  result = displayDevice->createTextSurface(&productLabelSurface, nullptr, productLabel.c_str(), 0, 0);
  if (result != S_OK) return result;
  siteLabel->setColourKey(0);
  return productLabelSurface->setColourKey(0);
}

HRESULT drawLabels() {
  if (!siteLabel || !productLabelSurface) return E_POINTER;
  const HRESULT result = siteLabel->drawText(nullptr, siteName.c_str(), 0, 0, 0, labelColour);
  if (result != S_OK) return result;
  return productLabelSurface->drawText(nullptr, productLabel.c_str(), 0, 0, 0, labelColour);
}

HRESULT drawReadout(IDirectDrawSurface7* target) {
  if (!frameSurface) return E_POINTER;
  const uint32_t now = millisecondsNow();
  const uint32_t elapsed = now - readout.lastRefreshMs;
  ++readout.framesSinceRefresh;
  if (elapsed >= readoutRefreshMs) {
    const uint32_t average = elapsed / readout.framesSinceRefresh;
    char text[96];
    std::snprintf(text, sizeof(text), "%s %i bpp %3i ms %3i ms", pixelFormat.isStandard() ? "!" : "?",
                  static_cast<int>(displayDepth), static_cast<int>(average),
                  static_cast<int>(frameDriver.frameRenderMs));
    readout.text = text;
    readout.lastRefreshMs = now;
    readout.framesSinceRefresh = 0;
  }
  if (target != nullptr)
    return drawSurfaceText(target, nullptr, readout.text.c_str(), 4, 4, readoutBackground, readoutForeground);
  return frameSurface->drawText(nullptr, readout.text.c_str(), 4, 4, readoutBackground, readoutForeground);
}

}  // namespace lumiscene
