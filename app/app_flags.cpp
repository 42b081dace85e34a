#include "app/app_flags.h"

namespace lumiscene {

bool appActive = false;
bool endingAfterFailure = false;

}  // namespace lumiscene
