// SPDX-License-Identifier: MIT
// The minimal benchmark harness (benchmark/benchmark.h, harness.h): the
// registry, the flags, the runner and Google Benchmark's console table.
#include "bench/web/harness.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <regex>
#include <sstream>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#include <time.h>
#endif

namespace benchmark {
namespace internal {
namespace {

// Google Benchmark's cap on a grown iteration count.
constexpr IterationCount kMaxIterations = 1000000000;
// The longest aggregate suffix ("_stddev"), which widens the name column.
constexpr int kAggregateSuffixWidth = 7;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

#ifdef __EMSCRIPTEN__
// The main thread's time on a CPU, from the first field of the scheduler's
// statistics (nanoseconds); -1 where the file cannot be read.
EM_JS(double, schedstatSeconds, (), {
    try {
        const text = require('fs').readFileSync('/proc/thread-self/schedstat', 'utf8');
        return Number(text.split(' ')[0]) / 1e9;
    } catch (error) {
        return -1;
    }
});

double threadCpuSeconds() {
    static const bool readable = schedstatSeconds() >= 0.0;
    return readable ? schedstatSeconds() : steadySeconds();
}
#else
double threadCpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}
#endif

Clock gWallClock = steadySeconds;
Clock gCpuClock = threadCpuSeconds;
Options gOptions;
std::string gProgram = "benchmarks";

std::vector<std::unique_ptr<Benchmark>>& registry() {
    static std::vector<std::unique_ptr<Benchmark>> benchmarks;
    return benchmarks;
}

double perSecond(TimeUnit unit) {
    switch (unit) {
        case kNanosecond:
            return 1e9;
        case kMicrosecond:
            return 1e6;
        case kMillisecond:
            return 1e3;
        case kSecond:
            break;
    }
    return 1.0;
}

// The value of `--NAME=VALUE` (or "" for a bare `--NAME`) when `arg` is that
// flag, else nullptr.
const char* flagValue(const char* arg, const char* name) {
    const std::size_t length = std::strlen(name);
    if (std::strncmp(arg, "--", 2) != 0 || std::strncmp(arg + 2, name, length) != 0) {
        return nullptr;
    }
    const char* rest = arg + 2 + length;
    if (*rest == '\0') return rest;
    return *rest == '=' ? rest + 1 : nullptr;
}

bool parseBool(const char* text, bool& value) {
    if (*text == '\0' || std::strcmp(text, "true") == 0 || std::strcmp(text, "1") == 0) {
        value = true;
        return true;
    }
    if (std::strcmp(text, "false") == 0 || std::strcmp(text, "0") == 0) {
        value = false;
        return true;
    }
    return false;
}

// One flag into `options`; false if `arg` is no flag of the harness.
bool takeFlag(const char* arg, Options& options, std::string& error) {
    char* end = nullptr;
    if (const char* v = flagValue(arg, "benchmark_filter")) {
        options.filter = v;
    } else if (const char* v = flagValue(arg, "benchmark_min_time")) {
        options.minTime = std::strtod(v, &end);
        if (*v == '\0' || *end != '\0' || !(options.minTime >= 0.0)) {
            error = std::string("bad --benchmark_min_time: ") + v;
        }
    } else if (const char* v = flagValue(arg, "benchmark_repetitions")) {
        const long n = std::strtol(v, &end, 10);
        if (*v == '\0' || *end != '\0' || n < 1 || n > 1000) {
            error = std::string("bad --benchmark_repetitions: ") + v;
        }
        options.repetitions = static_cast<int>(n);
    } else if (const char* v = flagValue(arg, "benchmark_report_aggregates_only")) {
        if (!parseBool(v, options.aggregatesOnly)) {
            error = std::string("bad --benchmark_report_aggregates_only: ") + v;
        }
    } else {
        return false;
    }
    return true;
}

double mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    if (values.size() % 2 == 1) return values[half];
    return (values[half - 1] + values[half]) / 2.0;
}

// The sample standard deviation; 0 for a single value.
double stddev(const std::vector<double>& values) {
    if (values.size() < 2) return 0.0;
    const double m = mean(values);
    double squares = 0.0;
    for (double v : values) squares += (v - m) * (v - m);
    return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

double cv(const std::vector<double>& values) {
    const double m = mean(values);
    return m == 0.0 ? 0.0 : stddev(values) / m;
}

}  // namespace

Benchmark* Benchmark::Unit(TimeUnit unit) {
    unit_ = unit;
    return this;
}

Benchmark* Benchmark::Iterations(IterationCount iterations) {
    fixedIterations_ = iterations;
    return this;
}

std::string Benchmark::name() const {
    if (fixedIterations_ == 0) return name_;
    return name_ + "/iterations:" + std::to_string(fixedIterations_);
}

Benchmark* registerBenchmark(const char* name, Function function) {
    registry().push_back(std::make_unique<Benchmark>(name, function));
    return registry().back().get();
}

const std::vector<std::unique_ptr<Benchmark>>& registered() {
    return registry();
}

void setClocks(Clock wall, Clock cpu) {
    gWallClock = wall != nullptr ? wall : steadySeconds;
    gCpuClock = cpu != nullptr ? cpu : threadCpuSeconds;
}

bool parseFlags(int* argc, char** argv, Options& options, std::string& error) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (!takeFlag(argv[i], options, error)) argv[kept++] = argv[i];
        if (!error.empty()) return false;
    }
    *argc = kept;
    argv[kept] = nullptr;
    return true;
}

Runner::Timed Runner::runOnce(const Benchmark& benchmark, IterationCount iterations) const {
    State state(iterations);
    benchmark.function()(state);
    if (!state.finished_) {
        std::fprintf(stderr, "%s: the benchmark did not run its loop to the end\n",
                     benchmark.name().c_str());
        std::exit(1);
    }
    return {iterations, state.wallSeconds_, state.cpuSeconds_, state.itemsProcessed_};
}

IterationCount Runner::nextIterations(const Timed& timed) const {
    const double seconds = std::max(timed.cpuSeconds, 1e-9);
    const bool significant = timed.cpuSeconds / options_.minTime > 0.1;
    const double multiplier = significant ? options_.minTime * 1.4 / seconds : 10.0;
    const double grown = std::max(multiplier * static_cast<double>(timed.iterations),
                                  static_cast<double>(timed.iterations) + 1.0);
    return std::min(static_cast<IterationCount>(std::lround(grown)), kMaxIterations);
}

std::vector<Run> Runner::run(const Benchmark& benchmark) const {
    const IterationCount fixed = benchmark.fixedIterations();
    IterationCount iterations = fixed != 0 ? fixed : 1;
    std::vector<Run> runs;
    for (int repetition = 0; repetition < options_.repetitions; ++repetition) {
        Timed timed = runOnce(benchmark, iterations);
        // Only the first repetition searches; the others reuse its count.
        // As in Google Benchmark, a run whose wall-clock time is five times
        // the minimum is enough too, however little CPU time it had.
        while (repetition == 0 && fixed == 0 && timed.cpuSeconds < options_.minTime &&
               timed.wallSeconds < 5.0 * options_.minTime && timed.iterations < kMaxIterations) {
            iterations = nextIterations(timed);
            timed = runOnce(benchmark, iterations);
        }
        Run run;
        run.name = benchmark.name();
        run.iterations = timed.iterations;
        run.unit = benchmark.unit();
        const double perIteration =
            perSecond(benchmark.unit()) / static_cast<double>(timed.iterations);
        run.realTime = timed.wallSeconds * perIteration;
        run.cpuTime = timed.cpuSeconds * perIteration;
        if (timed.items >= 0) {
            run.itemsPerSecond =
                static_cast<double>(timed.items) / std::max(timed.cpuSeconds, 1e-9);
        }
        runs.push_back(run);
    }
    if (options_.repetitions > 1) {
        std::vector<Run> summary = aggregates(runs);
        if (options_.aggregatesOnly) return summary;
        runs.insert(runs.end(), summary.begin(), summary.end());
    }
    return runs;
}

std::vector<Run> aggregates(const std::vector<Run>& repetitions) {
    std::vector<double> times, cpuTimes, items;
    for (const Run& run : repetitions) {
        times.push_back(run.realTime);
        cpuTimes.push_back(run.cpuTime);
        items.push_back(run.itemsPerSecond);
    }
    const bool counted = repetitions.front().itemsPerSecond >= 0.0;
    struct Statistic {
        const char* suffix;
        double (*compute)(const std::vector<double>&);
        bool percentage;
    };
    const Statistic statistics[] = {
        {"_mean", mean, false},
        {"_median", [](const std::vector<double>& v) { return median(v); }, false},
        {"_stddev", stddev, false},
        {"_cv", cv, true}};
    std::vector<Run> summary;
    for (const Statistic& statistic : statistics) {
        Run run = repetitions.front();
        run.name += statistic.suffix;
        run.iterations = static_cast<IterationCount>(repetitions.size());
        run.realTime = statistic.compute(times);
        run.cpuTime = statistic.compute(cpuTimes);
        run.percentage = statistic.percentage;
        run.itemsPerSecond = counted ? statistic.compute(items) : -1.0;
        summary.push_back(run);
    }
    return summary;
}

std::string formatTime(double time) {
    char text[32];
    if (time < 1.0) {
        std::snprintf(text, sizeof text, "%10.3f", time);
    } else if (time < 10.0) {
        std::snprintf(text, sizeof text, "%10.2f", time);
    } else if (time < 100.0) {
        std::snprintf(text, sizeof text, "%10.1f", time);
    } else if (time > 9999999999.0) {
        std::snprintf(text, sizeof text, "%1.4e", time);
    } else {
        std::snprintf(text, sizeof text, "%10.0f", time);
    }
    return text;
}

std::string humanReadable(double value) {
    static const char kPrefixes[] = "kMGTPEZY";
    std::ostringstream out;
    // Up to 1.1 thousand of a unit stays in that unit, as Google Benchmark does.
    const double threshold = 1.1 * 1000.0;
    double scaled = value;
    int prefix = -1;
    while (scaled > threshold && prefix + 1 < static_cast<int>(sizeof kPrefixes) - 1) {
        scaled /= 1000.0;
        ++prefix;
    }
    out << scaled;
    if (prefix >= 0) out << kPrefixes[prefix];
    return out.str();
}

const char* unitName(TimeUnit unit) {
    switch (unit) {
        case kNanosecond:
            return "ns";
        case kMicrosecond:
            return "us";
        case kMillisecond:
            return "ms";
        case kSecond:
            break;
    }
    return "s";
}

void printHeader(std::ostream& out, int nameWidth, bool counters) {
    char text[256];
    std::snprintf(text, sizeof text, "%-*s %13s %15s %12s%s", nameWidth, "Benchmark", "Time", "CPU",
                  "Iterations", counters ? " UserCounters..." : "");
    const std::string rule(std::strlen(text), '-');
    out << rule << "\n" << text << "\n" << rule << "\n";
}

void printRun(std::ostream& out, const Run& run, int nameWidth) {
    char text[512];
    if (run.percentage) {
        std::snprintf(text, sizeof text, "%-*s %10.2f %-4s %10.2f %-4s %10lld", nameWidth,
                      run.name.c_str(), 100.0 * run.realTime, "%", 100.0 * run.cpuTime, "%",
                      static_cast<long long>(run.iterations));
    } else {
        std::snprintf(text, sizeof text, "%-*s %s %-4s %s %-4s %10lld", nameWidth, run.name.c_str(),
                      formatTime(run.realTime).c_str(), unitName(run.unit),
                      formatTime(run.cpuTime).c_str(), unitName(run.unit),
                      static_cast<long long>(run.iterations));
    }
    out << text;
    if (run.itemsPerSecond >= 0.0) {
        if (run.percentage) {
            std::snprintf(text, sizeof text, "%.2f%%", 100.0 * run.itemsPerSecond);
            out << " items_per_second=" << text;
        } else {
            out << " items_per_second=" << humanReadable(run.itemsPerSecond) << "/s";
        }
    }
    out << "\n";
}

}  // namespace internal

State::Iterator State::begin() {
    startWall_ = internal::gWallClock();
    startCpu_ = internal::gCpuClock();
    return Iterator(this);
}

void State::finish() {
    if (finished_) return;
    cpuSeconds_ = internal::gCpuClock() - startCpu_;
    wallSeconds_ = internal::gWallClock() - startWall_;
    finished_ = true;
}

void Initialize(int* argc, char** argv) {
    if (*argc > 0) internal::gProgram = argv[0];
    std::string error;
    if (!internal::parseFlags(argc, argv, internal::gOptions, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
}

bool ReportUnrecognizedArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::fprintf(stderr, "%s: error: unrecognized command-line flag: %s\n",
                     internal::gProgram.c_str(), argv[i]);
    }
    return argc > 1;
}

std::size_t RunSpecifiedBenchmarks() {
    using internal::Benchmark;
    const internal::Options& options = internal::gOptions;
    const std::regex filter(options.filter.empty() ? std::string(".") : options.filter);
    std::vector<const Benchmark*> chosen;
    int nameWidth = 10;
    for (const auto& benchmark : internal::registered()) {
        if (!std::regex_search(benchmark->name(), filter)) continue;
        chosen.push_back(benchmark.get());
        nameWidth = std::max(nameWidth, static_cast<int>(benchmark->name().size()));
    }
    if (chosen.empty()) {
        std::fprintf(stderr, "Failed to match any benchmarks against regex: %s\n",
                     options.filter.c_str());
        return 0;
    }
    if (options.repetitions > 1) nameWidth += internal::kAggregateSuffixWidth;
    std::cout << "Running " << internal::gProgram << "\n"
              << "Minimal benchmark harness (bench/web), not Google Benchmark\n";
    const internal::Runner runner(options);
    bool headed = false;
    for (const Benchmark* benchmark : chosen) {
        for (const internal::Run& run : runner.run(*benchmark)) {
            if (!headed) internal::printHeader(std::cout, nameWidth, run.itemsPerSecond >= 0.0);
            headed = true;
            internal::printRun(std::cout, run, nameWidth);
        }
        std::cout.flush();
    }
    return chosen.size();
}

}  // namespace benchmark
