// What the Linux programs' main() functions share (the player's and the
// saver's): the version line, the one-line explanation when there is no
// desktop, and the hand-over to the program's graphical entry point.
#pragma once

namespace portable {

// "<program> <version>" on stdout.
void printVersion(const char* program);
// Checks for a desktop, then calls WinMain with the module handle and the show
// command a desktop gives a newly started program, returning its result.
// Without a desktop the program could only fail at its first window, so this
// says plainly what is missing instead (one line on stderr) and returns 1.
int enterProgram(const char* program);

}  // namespace portable
