// State of the headless backend shared by its files.
#pragma once

#include "platform/portable/backend.h"

namespace headless {

void resetClockAndPointer();
void resetScreen();
void resetInput();
void resetFaults();
backend::Desktop currentDesktop();

}  // namespace headless
