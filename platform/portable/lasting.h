// State of the portable layer lives as long as the process, as the system's
// own state does under a Windows program.
//
// A program may still call the layer from its global destructors: releasing its
// DirectDraw objects at exit gives the desktop its mode back and shows the
// window again. Those destructors run after every static object of the layer
// that was made later than the program's globals (and in no fixed order across
// files), so an ordinary static would be gone by then. An object made here is
// never destroyed; it stays reachable, so leak checkers do not count it.
#pragma once

namespace portable {

template <typename T>
T& lasting() {
  return *new T();
}

}  // namespace portable
