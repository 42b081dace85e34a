// Counts every allocation through operator new in the test program, so that a
// test can see that a stretch of frames allocated nothing.
#pragma once

#include <cstdint>

namespace scene_test {

int64_t allocationCount();

}  // namespace scene_test
