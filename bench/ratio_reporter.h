// Runs the registered benchmarks and prints, after Google Benchmark's own
// table, the speed of each "<case>/quor" benchmark relative to its
// "<case>/plain" (or "<case>/plain-<what>") baseline measured in the same run (higher is better; 1.00
// means as fast as the baseline). Run with repetitions and random
// interleaving, the median of each case is compared.
#pragma once

namespace quor::bench {

int RunWithRatios(int argc, char** argv);

}  // namespace quor::bench
