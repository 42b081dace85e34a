// The whole of lumiscene-render behind its command line, callable any number of
// times in one process (the tool's main and the script fuzzer both call it).
#pragma once

namespace lumiscene {

// Parses the arguments (argv[0] is the program's name), runs the program on the
// headless backend and writes the frames asked for. Prints what the tool prints
// and returns its exit status: 0 when every frame was written (whatever the
// program's own exit code, printed as "exit: N"), 2 with one line on stderr when
// the arguments, the files or the script cannot be used.
int runRenderTool(int argc, char** argv);

}  // namespace lumiscene
