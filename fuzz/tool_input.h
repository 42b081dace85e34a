// What the developer tools read from their user, fed with arbitrary bytes: PPM
// pictures, the command lines of lumiscene-render and lumiscene-scramble, and
// the render tool's event scripts. Shared by the tool-input fuzzer and the
// replay of what it saved.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumiscene {

// The first byte picks the reader, the rest is its input (command lines as
// NUL-separated arguments). True when the reader either refused the input with
// a reason or accepted it holding what it promises (sizes that match the pixels,
// frame and event times in range and in order, known keys and command ids).
bool toolInputHolds(const uint8_t* data, size_t size);

}  // namespace lumiscene
