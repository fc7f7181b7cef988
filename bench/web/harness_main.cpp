// SPDX-License-Identifier: MIT
// Entry point of the benchmarks compiled for WebAssembly: the platform layer's
// matrix stack needs no window, so unlike the desktop's entry point this one
// opens none. Fails when a flag is unknown or no benchmark matched the filter.
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const bool ran = benchmark::RunSpecifiedBenchmarks() > 0;
    benchmark::Shutdown();
    return ran ? 0 : 1;
}
