#include "display/display_depth.h"

namespace lumiscene {

int32_t displayDepth = 0;

}  // namespace lumiscene
