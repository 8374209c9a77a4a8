// Runs the registered benchmarks and prints, after Google Benchmark's own
// table, the speed of each "<case>/quor" benchmark relative to its
// "<case>/plain" (or "<case>/plain-<what>") baseline measured in the same run (higher is better; 1.00
// means as fast as the baseline). Run with repetitions and random
// interleaving, the median of each case is compared.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace quor::bench {

// Nanoseconds per iteration of each case, by benchmark name.
using CaseTimes = std::map<std::string, double>;

// Runs the benchmarks, prints the ratios, then hands every case's time to
// `extra` for figures of the program's own.
int RunWithRatios(int argc, char** argv, const std::function<void(const CaseTimes&)>& extra = {});

}  // namespace quor::bench
