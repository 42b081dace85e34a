#include "app/main_loop.h"

#include "app/app_flags.h"
#include "app/main_window.h"
#include "app/saver_watch.h"
#include "display/display_setup.h"
#include "display/labels.h"
#include "display/pixel_format.h"
#include "display/program_frames.h"

namespace lumiscene {

namespace {

// Labels sit 12 pixels in from the bottom corners of the frame.
constexpr int labelMargin = 12;

}  // namespace

HRESULT presentFrame() {
  const FrameInputs inputs = programFrameInputs();
  frameDriver.preparePictures(inputs);
  if (!frameDriver.advanceFrame(inputs)) return S_OK;
  if (!frameSurface) return E_POINTER;
  // The frame goes straight into a back buffer of the frame surface's size and
  // layout: it covers it whole, so neither the frame surface's copy nor a clear is needed.
  IDirectDrawSurface7* back = displayDevice ? displayDevice->back : nullptr;
  HRESULT result = back != nullptr ? transferFrameInto(frameDriver.frameImage, back) : S_FALSE;
  if (FAILED(result)) return result;
  const bool direct = result == S_OK;
  if (!direct) {
    result = transferFrame(frameDriver.frameImage);
    if (result != S_OK) return result;
  }
  if (readoutOn) {
    result = drawReadout(direct ? back : nullptr);
    if (result != S_OK) return result;
  }
  if (!displayDevice || !siteLabel || !productLabelSurface) return E_POINTER;
  if (!direct) {
    result = displayDevice->clearBack(0);
    if (result != S_OK) return result;
    result = displayDevice->drawToBack(0, 0, frameSurface.get(), nullptr);
    if (result != S_OK) return result;
  }
  const int bottom = frameHeight - labelMargin;
  result = displayDevice->drawToBack(labelMargin, bottom - siteLabel->height(), siteLabel.get(), nullptr);
  if (result != S_OK) return result;
  result =
      displayDevice->drawToBack(frameWidth - labelMargin - productLabelSurface->width(),
                                bottom - productLabelSurface->height(), productLabelSurface.get(), nullptr);
  if (result != S_OK) return result;
  return displayDevice->present();
}

HRESULT restoreSurfaces() {
  if (!displayDevice || displayDevice->directDraw == nullptr) return E_POINTER;
  HRESULT result = displayDevice->directDraw->RestoreAllSurfaces();
  if (FAILED(result)) return result;
  result = transferFrame(frameDriver.frameImage);
  if (FAILED(result)) return result;
  result = drawLabels();
  return FAILED(result) ? result : S_OK;
}

HRESULT displayNextFrame(HWND window) {
  // A display that is gone is a failure of this step, never a crash.
  if (!displayDevice || displayDevice->directDraw == nullptr) return E_POINTER;
  const HRESULT cooperation = displayDevice->directDraw->TestCooperativeLevel();
  if (FAILED(cooperation)) {
    if (cooperation == DDERR_NOEXCLUSIVEMODE || cooperation == DDERR_EXCLUSIVEMODEALREADYSET) {
      // Another program holds the display: keep polling until it lets go.
      Sleep(10);
      return S_OK;
    }
    if (cooperation == DDERR_WRONGMODE) return InitDirectDraw(window, windowed);
    return cooperation;
  }
  const HRESULT result = presentFrame();
  if (SUCCEEDED(result)) return S_OK;
  if (result == DDERR_SURFACELOST) {
    restoreSurfaces();
    return S_OK;
  }
  return result;
}

bool messageLoopStep(HWND window, HACCEL accelerators, int& exitCode, const SaverWatch* saverWatch) {
  MSG message;
  if (saverWatch != nullptr && saverWatch->parentGone() && IsWindow(window)) {
    DestroyWindow(window);
    return true;
  }
  if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (GetMessageA(&message, nullptr, 0, 0) == 0) {
      exitCode = static_cast<int>(message.wParam);
      return false;
    }
    if (saverWatch != nullptr && saverWatch->endsSaver(message)) {
      DestroyWindow(window);
      return true;
    }
    if (TranslateAcceleratorA(window, accelerators, &message)) return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  } else if (windowVisible) {
    if (FAILED(displayNextFrame(window))) {
      releaseDisplayDevice();
      showErrorMessage(window, "Displaying the next frame failed. The program will now exit. ");
      exitCode = failureExitStatus;
      return false;
    }
  } else {
    WaitMessage();
  }
  return true;
}

int runMessageLoop(HWND window, HACCEL accelerators, const SaverWatch* saverWatch) {
  int exitCode = 0;
  while (messageLoopStep(window, accelerators, exitCode, saverWatch)) {
  }
  return exitCode;
}

}  // namespace lumiscene
