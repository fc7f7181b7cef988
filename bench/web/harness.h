// SPDX-License-Identifier: MIT
// The inside of the minimal benchmark harness (benchmark/benchmark.h): its
// options, the runner that chooses iteration counts and times the runs, and
// the console table in Google Benchmark's format.
#pragma once

#include <benchmark/benchmark.h>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace benchmark {
namespace internal {

struct Options {
    std::string filter;    // ECMAScript regex searched in the name; empty: all
    double minTime = 0.5;  // seconds a run must last before it is reported
    int repetitions = 1;
    bool aggregatesOnly = false;  // print the aggregates alone
};

// Takes the harness's flags out of argv into `options`; false, with `error`
// set, for a flag of the harness with a malformed value.
bool parseFlags(int* argc, char** argv, Options& options, std::string& error);

// One line of the table: a repetition, or an aggregate of the repetitions.
struct Run {
    std::string name;
    IterationCount iterations = 0;  // an aggregate's: the repetitions
    double realTime = 0.0;          // per iteration, in `unit`; cv: a fraction
    double cpuTime = 0.0;
    TimeUnit unit = kNanosecond;
    bool percentage = false;       // cv: printed in per cent, with no unit
    double itemsPerSecond = -1.0;  // -1: the benchmark counts no items
};

// Seconds on a clock; the runner reads the wall-clock and CPU times through two.
using Clock = double (*)();
// Replaces the two clocks (the harness's own check counts time itself);
// nullptr restores the steady clock, or the thread's CPU time.
void setClocks(Clock wall, Clock cpu);

class Runner {
  public:
    explicit Runner(const Options& options) : options_(options) {}
    // The repetitions of `benchmark`, then, with more than one, their mean,
    // median, standard deviation and coefficient of variation.
    std::vector<Run> run(const Benchmark& benchmark) const;

  private:
    struct Timed {
        IterationCount iterations;
        double wallSeconds;
        double cpuSeconds;
        std::int64_t items;
    };
    Timed runOnce(const Benchmark& benchmark, IterationCount iterations) const;
    // Google Benchmark's growth: 1.4 times what would reach the minimum CPU
    // time, at most 10 times while a run takes under a tenth of it, at least
    // one more.
    IterationCount nextIterations(const Timed& timed) const;

    Options options_;
};

// The aggregates of `repetitions` (all of one benchmark), named NAME_mean etc.
std::vector<Run> aggregates(const std::vector<Run>& repetitions);

// A time in Google Benchmark's 10-character column: 3 decimals under 1, 2
// under 10, 1 under 100, none above.
std::string formatTime(double time);
// A count with an SI prefix, as Google Benchmark prints counters ("101.5M").
std::string humanReadable(double value);
const char* unitName(TimeUnit unit);

// The table header, its rule lines as wide as it; names padded to nameWidth.
// Google Benchmark heads the counters' column when the first run has any.
void printHeader(std::ostream& out, int nameWidth, bool counters);
void printRun(std::ostream& out, const Run& run, int nameWidth);

// Every registered benchmark, in registration order.
const std::vector<std::unique_ptr<Benchmark>>& registered();

}  // namespace internal
}  // namespace benchmark
