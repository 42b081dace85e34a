#include "app/app_flags.h"

namespace lumiscene {

bool appActive = false;
bool endingAfterFailure = false;
bool runningAsSaver = false;

}  // namespace lumiscene
