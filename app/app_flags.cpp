#include "app/app_flags.h"

namespace lumiscene {

bool appActive = false;

}  // namespace lumiscene
