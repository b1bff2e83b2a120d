#pragma once
// Running the registered benchmarks, for the one benchmark main and for a program that must set
// up something of its own first.

namespace kova::bench {

// Runs the benchmarks the command line selects; 1 for an argument it does not know.
int runBenchmarks(int argc, char** argv);

}  // namespace kova::bench
