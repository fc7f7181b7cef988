// SPDX-License-Identifier: MIT
// A minimal benchmark harness: NOT Google Benchmark. Debian ships Google
// Benchmark only as a native library, so the browser build compiles the hit-
// test benchmarks (bench/pieces_bench.cpp) against this header instead: the
// same source, timed in WebAssembly under node, its table printed in Google
// Benchmark's console format so that the two runs read side by side.
//
// Holds what that file uses and no more:
//   State, iterated with range-for, with iterations() and SetItemsProcessed();
//   DoNotOptimize(); BENCHMARK(fn) with ->Unit() and ->Iterations();
//   Initialize(), ReportUnrecognizedArguments(), RunSpecifiedBenchmarks().
// Flags: --benchmark_filter=REGEX, --benchmark_min_time=SECONDS,
//   --benchmark_repetitions=N, --benchmark_report_aggregates_only=true|false.
// Times as Google Benchmark 1.7 does by default: the wall clock and the
// running thread's CPU time (in node, read from Linux's /proc/thread-self/
// schedstat, since node gives WebAssembly no CPU clock; the wall clock where
// that file cannot be read); grows the iteration count until one run's CPU
// time reaches --benchmark_min_time (0.5 s), then reports that run; with
// repetitions, the others reuse the first one's count.
// Not there: arguments and ranges, fixtures, threads, manual or real-time
// timing, warm-up, complexity, JSON or CSV output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace benchmark {

using IterationCount = std::int64_t;

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond, kSecond };

// Keeps `value` observable, so the compiler cannot drop the code computing it.
template <class T>
inline __attribute__((always_inline)) void DoNotOptimize(const T& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}

template <class T>
inline __attribute__((always_inline)) void DoNotOptimize(T& value) {
    asm volatile("" : "+r,m"(value) : : "memory");
}

namespace internal {
class Runner;
}  // namespace internal

// One timed run of a benchmark function: the clocks run from the loop's
// first test to its last, over exactly max iterations.
class State {
  public:
    struct __attribute__((unused)) Value {};

    class Iterator {
      public:
        Iterator() = default;
        explicit Iterator(State* state) : state_(state), left_(state->maxIterations_) {}
        Value operator*() const { return Value(); }
        void operator++() { --left_; }
        // Stops the clocks when the last iteration is done.
        bool operator!=(const Iterator&) {
            if (left_ != 0) return true;
            state_->finish();
            return false;
        }

      private:
        State* state_ = nullptr;
        IterationCount left_ = 0;
    };

    // Starts the clocks.
    Iterator begin();
    Iterator end() { return Iterator(); }

    // The iterations the loop ran, once it has ended (0 before).
    IterationCount iterations() const { return finished_ ? maxIterations_ : 0; }
    // Reported as items_per_second over the run's CPU time.
    void SetItemsProcessed(std::int64_t items) { itemsProcessed_ = items; }

  private:
    friend class internal::Runner;
    explicit State(IterationCount maxIterations) : maxIterations_(maxIterations) {}
    void finish();

    IterationCount maxIterations_;
    bool finished_ = false;
    double startWall_ = 0.0;
    double startCpu_ = 0.0;
    double wallSeconds_ = 0.0;
    double cpuSeconds_ = 0.0;
    std::int64_t itemsProcessed_ = -1;  // -1: not set
};

namespace internal {

using Function = void (*)(State&);

// A registered benchmark and its options; the setters return it for chaining.
class Benchmark {
  public:
    Benchmark(std::string name, Function function) : name_(std::move(name)), function_(function) {}
    Benchmark* Unit(TimeUnit unit);
    // A fixed iteration count instead of one grown to the minimum time.
    Benchmark* Iterations(IterationCount iterations);

    // The name as Google Benchmark prints it (with "/iterations:N").
    std::string name() const;
    Function function() const { return function_; }
    TimeUnit unit() const { return unit_; }
    IterationCount fixedIterations() const { return fixedIterations_; }

  private:
    std::string name_;
    Function function_;
    TimeUnit unit_ = kNanosecond;
    IterationCount fixedIterations_ = 0;  // 0: grown to the minimum time
};

// Adds a benchmark to the ones main runs, in registration order.
Benchmark* registerBenchmark(const char* name, Function function);

}  // namespace internal

// Reads and removes the harness's flags from argv.
void Initialize(int* argc, char** argv);
// True, after printing them, when argv holds arguments Initialize did not take.
bool ReportUnrecognizedArguments(int argc, char** argv);
// Runs the benchmarks the filter selects and prints the table; returns how
// many ran.
std::size_t RunSpecifiedBenchmarks();
inline void Shutdown() {}

}  // namespace benchmark

#define BENCHMARK_PRIVATE_CONCAT2(a, b) a##b
#define BENCHMARK_PRIVATE_CONCAT(a, b) BENCHMARK_PRIVATE_CONCAT2(a, b)
#define BENCHMARK(function)                                                  \
    static ::benchmark::internal::Benchmark* const BENCHMARK_PRIVATE_CONCAT( \
        benchmarkRegistered, __LINE__) __attribute__((unused)) =             \
        ::benchmark::internal::registerBenchmark(#function, function)
