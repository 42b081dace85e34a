// What a reader of the report needs beside the timings: the processor's name
// and the instruction-set form every benchmark without a form in its name ran
// in, which LUMISCENE_ISA may have lowered. Both go into the run's context, so
// they head the console table and travel with the JSON file (bench/ratios.py
// prints them above the ratios).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "cpu/instruction_set.h"

namespace {

std::string processorModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) != 0) continue;
    const size_t colon = line.find(':');
    const size_t start = colon == std::string::npos ? colon : line.find_first_not_of(" \t", colon + 1);
    if (start != std::string::npos) return line.substr(start);
    break;
  }
  return "unknown";
}

const bool contextAdded = [] {
  benchmark::AddCustomContext("cpu_model", processorModel());
  benchmark::AddCustomContext("lumiscene_form", lumiscene::cpu::formName(lumiscene::cpu::activeForm()));
  return true;
}();

}  // namespace
