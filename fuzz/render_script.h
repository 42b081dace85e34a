// Turns arbitrary bytes into one lumiscene-render run on the headless backend:
// shared by the script fuzzer and the replay of what it saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumiscene {

// The command line the bytes stand for: a depth, a few frame times, an event
// script of every kind in any order, and now and then replacement pictures
// (written into workDir, which also receives the frames).
std::vector<std::string> renderArgumentsFor(const uint8_t* data, size_t size, const std::string& workDir);

// Runs the render tool on those arguments in this process and returns its exit
// status. Whatever the bytes, the run must end with 0 (every frame written) or
// 2 (one line saying why not).
int runRenderScript(const uint8_t* data, size_t size, const std::string& workDir);

}  // namespace lumiscene
