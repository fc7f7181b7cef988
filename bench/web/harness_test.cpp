// SPDX-License-Identifier: MIT
// Checks of the minimal benchmark harness, on clocks the benchmark itself
// advances, so every time it reports is known exactly: the loop runs the
// count it reports, times convert to the benchmark's unit, grown counts reach
// the minimum CPU time (or five times it on the wall clock) without
// overshooting it, repetitions reuse the first count; and the table's lines
// are Google Benchmark's, character for character.
#include "bench/web/harness.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using benchmark::internal::Benchmark;
using benchmark::internal::Options;
using benchmark::internal::Run;
using benchmark::internal::Runner;

int gPassed = 0;
int gFailed = 0;

void check(bool ok, const std::string& what) {
    if (ok) {
        ++gPassed;
        return;
    }
    ++gFailed;
    std::printf("FAILED: %s\n", what.c_str());
}

bool near(double a, double b, double relative) {
    return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

// The fake clocks and the benchmark that advances them: the wall clock a loop
// turn by gCost at even calls and half of it at odd ones, so that repetitions
// differ, and the CPU clock by gCpuShare of that, as a busy machine would;
// every call's turns and cost are kept. It reports three items a turn.
double gNow = 0.0;
double gCpuNow = 0.0;
double gCost = 0.0;
double gCpuShare = 1.0;
struct Call {
    long long turns;
    double cost;
};
std::vector<Call> gCalls;

double fakeNow() {
    return gNow;
}

double fakeCpuNow() {
    return gCpuNow;
}

void advancesTheClock(benchmark::State& state) {
    const double cost = gCalls.size() % 2 == 0 ? gCost : gCost / 2.0;
    gCalls.push_back({0, cost});
    for (auto _ : state) {
        gNow += cost;
        gCpuNow += cost * gCpuShare;
        ++gCalls.back().turns;
    }
    state.SetItemsProcessed(state.iterations() * 3);
}

double perSecond(benchmark::TimeUnit unit) {
    const double scale[] = {1e9, 1e6, 1e3, 1.0};
    return scale[unit];
}

// Random costs, units, minimum times, repetitions and fixed counts.
void checkRunsOnAKnownClock() {
    std::mt19937 rng(7);
    benchmark::internal::setClocks(fakeNow, fakeCpuNow);
    for (int n = 0; n < 150; ++n) {
        gCost = std::pow(10.0, -6.0 + 5.0 * (rng() % 1000) / 1000.0);
        const auto unit = static_cast<benchmark::TimeUnit>(rng() % 4);
        Options options;
        options.minTime = std::pow(10.0, -2.0 + 2.0 * (rng() % 1000) / 1000.0);
        options.repetitions = 1 + static_cast<int>(rng() % 4);
        const benchmark::IterationCount fixed = rng() % 3 == 0 ? 1 + rng() % 5000 : 0;
        // Half the wall-clock time, or so little that the wall clock ends the search.
        gCpuShare = rng() % 2 == 0 ? 0.5 : 0.1;
        Benchmark bench("advancesTheClock", advancesTheClock);
        bench.Unit(unit);
        if (fixed != 0) bench.Iterations(fixed);
        gCalls.clear();
        const std::vector<Run> runs = Runner(options).run(bench);
        const std::string id = "case " + std::to_string(n) + ": ";

        const int reps = options.repetitions;
        const std::size_t expected = reps + (reps > 1 ? 4 : 0);
        check(runs.size() == expected, id + "one line a repetition and four aggregates");
        check(gCalls.size() >= static_cast<std::size_t>(reps), id + "a call a repetition");
        // The last `reps` calls are the repetitions; the calls before, the search.
        const Call* repeated = gCalls.data() + gCalls.size() - reps;
        const benchmark::IterationCount count = runs.front().iterations;
        const double wall = static_cast<double>(count) * repeated[0].cost;
        const double cpu = wall * gCpuShare;
        if (fixed != 0) {
            check(gCalls.size() == static_cast<std::size_t>(reps),
                  id + "no search for a fixed count");
            check(count == fixed, id + "a fixed count is kept");
        } else {
            check(cpu >= options.minTime || wall >= 5.0 * options.minTime,
                  id + "a grown run takes the minimum CPU time, or five times it in all");
            // Grown from the call before, at its cost per turn.
            const double ratio = gCalls.size() > static_cast<std::size_t>(reps)
                                     ? repeated[0].cost / repeated[-1].cost
                                     : 1.0;
            check(cpu < 1.4 * options.minTime * ratio + repeated[0].cost * gCpuShare,
                  id + "and not much more");
            for (const Call* call = gCalls.data(); call != repeated; ++call) {
                const double callWall = static_cast<double>(call->turns) * call->cost;
                check(callWall * gCpuShare < options.minTime && callWall < 5.0 * options.minTime,
                      id + "the search stops at the first run that is enough");
            }
        }
        for (int r = 0; r < reps; ++r) {
            const Run& run = runs[r];
            check(repeated[r].turns == count, id + "each repetition's loop turned as reported");
            check(run.iterations == count, id + "repetitions reuse the first count");
            check(run.name == bench.name(), id + "repetitions carry the name");
            const double cost = repeated[r].cost;
            check(near(run.realTime, cost * perSecond(unit), 1e-6), id + "wall time in the unit");
            check(near(run.cpuTime, cost * gCpuShare * perSecond(unit), 1e-6),
                  id + "CPU time in the unit");
            check(near(run.itemsPerSecond, 3.0 / (cost * gCpuShare), 1e-6),
                  id + "items per CPU second");
        }
        if (options.repetitions > 1) {
            check(runs[options.repetitions + 1].name == bench.name() + "_median",
                  id + "the median follows the mean");
            check(runs[options.repetitions + 1].iterations == options.repetitions,
                  id + "an aggregate counts the repetitions");
        }
    }
    benchmark::internal::setClocks(nullptr, nullptr);
}

Run timed(double time) {
    Run run;
    run.name = "x";
    run.realTime = time;
    run.cpuTime = time / 2.0;
    run.itemsPerSecond = 2.0 * time;
    return run;
}

void checkAggregates() {
    const std::vector<Run> odd = benchmark::internal::aggregates({timed(3), timed(1), timed(2)});
    check(odd[0].name == "x_mean" && odd[0].realTime == 2.0, "mean of 3, 1, 2");
    check(odd[1].name == "x_median" && odd[1].realTime == 2.0, "median of 3, 1, 2");
    check(odd[1].cpuTime == 1.0 && odd[1].itemsPerSecond == 4.0,
          "the median of the CPU times and of the counters too");
    const std::vector<Run> even =
        benchmark::internal::aggregates({timed(4), timed(1), timed(3), timed(2)});
    check(even[1].realTime == 2.5, "median of an even count: the middle two's mean");
    std::vector<Run> spread;
    for (double t : {2, 4, 4, 4, 5, 5, 7, 9}) spread.push_back(timed(t));
    const std::vector<Run> s = benchmark::internal::aggregates(spread);
    check(s[2].name == "x_stddev" && near(s[2].realTime, std::sqrt(32.0 / 7.0), 1e-12),
          "sample standard deviation");
    check(s[3].name == "x_cv" && s[3].percentage &&
              near(s[3].realTime, std::sqrt(32.0 / 7.0) / 5.0, 1e-12),
          "coefficient of variation, a fraction printed in per cent");
}

std::string printed(const Run& run, int nameWidth) {
    std::ostringstream out;
    benchmark::internal::printRun(out, run, nameWidth);
    return out.str();
}

// Lines as Google Benchmark 1.7 prints them for the same figures.
void checkGoogleBenchmarkFormat() {
    using benchmark::internal::formatTime;
    using benchmark::internal::humanReadable;
    check(formatTime(0.286) == "     0.286", "three decimals under 1");
    check(formatTime(5.3) == "      5.30", "two under 10");
    check(formatTime(94.14) == "      94.1", "one under 100");
    check(formatTime(4562.4) == "      4562", "none above");
    check(humanReadable(224.159e9) == "224.159G", "giga");
    check(humanReadable(926.844e6) == "926.844M", "mega");
    check(humanReadable(1099.0) == "1099", "up to 1.1 thousand stays in units");
    check(humanReadable(1101.0) == "1.101k", "kilo above");

    Run run;
    run.name = "a";
    run.iterations = 242349603;
    run.realTime = 0.286;
    run.cpuTime = 0.286;
    run.itemsPerSecond = 224.159e9;
    check(printed(run, 17) ==
              "a                      0.286 ns        0.286 ns    242349603 "
              "items_per_second=224.159G/s\n",
          "a repetition's line");
    run.name = "a_cv";
    run.iterations = 3;
    run.realTime = run.cpuTime = run.itemsPerSecond = 0.0041;
    run.percentage = true;
    check(printed(run, 17) ==
              "a_cv                    0.41 %          0.41 %             3 "
              "items_per_second=0.41%\n",
          "a coefficient of variation's line");
    run = Run();
    run.name = "passOver10000BlocksCached";
    run.iterations = 7440;
    run.realTime = run.cpuTime = 94.1;
    run.unit = benchmark::kMicrosecond;
    run.itemsPerSecond = -1.0;
    check(printed(run, 25) ==
              "passOver10000BlocksCached       94.1 us         94.1 us         7440\n",
          "a line with no counter, in microseconds");

    std::ostringstream header;
    benchmark::internal::printHeader(header, 17, true);
    const std::string rule(76, '-');
    check(header.str() == rule +
                              "\nBenchmark                  Time             CPU   Iterations "
                              "UserCounters...\n" +
                              rule + "\n",
          "the header with counters");
}

void checkFlags() {
    char program[] = "bench", filter[] = "--benchmark_filter=Far", other[] = "--other",
         reps[] = "--benchmark_repetitions=5", only[] = "--benchmark_report_aggregates_only",
         time[] = "--benchmark_min_time=0.25", near_miss[] = "--benchmark_filterx=1";
    char* argv[] = {program, filter, other, reps, only, time, near_miss, nullptr};
    int argc = 7;
    Options options;
    std::string error;
    check(benchmark::internal::parseFlags(&argc, argv, options, error), "flags parse");
    check(options.filter == "Far" && options.repetitions == 5 && options.aggregatesOnly &&
              options.minTime == 0.25,
          "every flag taken, a bare boolean flag is true");
    check(argc == 3 && argv[1] == other && argv[2] == near_miss && argv[3] == nullptr,
          "other arguments kept in order");

    for (const char* bad : {"--benchmark_repetitions=0", "--benchmark_repetitions=2x",
                            "--benchmark_min_time=", "--benchmark_min_time=-1",
                            "--benchmark_report_aggregates_only=maybe"}) {
        char copy[64];
        std::snprintf(copy, sizeof copy, "%s", bad);
        char* args[] = {program, copy, nullptr};
        int count = 2;
        Options unused;
        std::string message;
        check(!benchmark::internal::parseFlags(&count, args, unused, message) && !message.empty(),
              std::string("malformed value refused: ") + bad);
    }

    Benchmark fixed("steps", advancesTheClock);
    fixed.Iterations(3000);
    check(fixed.name() == "steps/iterations:3000", "a fixed count shows in the name");
}

}  // namespace

int main() {
    checkRunsOnAKnownClock();
    checkAggregates();
    checkGoogleBenchmarkFormat();
    checkFlags();
    std::printf("%d passed, %d failed\n", gPassed, gFailed);
    return gFailed == 0 ? 0 : 1;
}
