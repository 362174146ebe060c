// The charts window's period pass over a whole year of 100 000 connections, validation off.

#include "SampleData.h"

#include "platform/StreamPrompts.h"
#include "stats/Period.h"
#include "tariff/ImpulseComputation.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

using namespace evidor;

struct Year
{
    std::filesystem::path dir;
    ConnectionLog log;
    std::int32_t rows = 0;

    explicit Year(std::int64_t connections)
    {
        dir = std::filesystem::temp_directory_path() / ("evidor-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        StreamPrompts prompts(std::cerr);
        sample::Options options;
        options.dir = dir.string();
        options.years = 1;
        options.end = {2001, 12, 31};
        options.lines = connections;
        const auto result = sample::generate(options, prompts);
        if (!result.error.empty())
            std::cerr << result.error << '\n';
        log = LoadLog(options.dir, prompts);
        rows = ShowPeriod(log, 0, 2001, slovakRegional()).rows;
    }
    ~Year()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

void BM_WholeYearPass(benchmark::State& state)
{
    static Year year(100000);
    StreamPrompts prompts(std::cerr);
    LogPeriodHost host(year.dir.string(), sample::kTariffName, year.log, year.rows, false);
    const auto rs = slovakRegional();
    PassSummary sum;
    for (auto _ : state) {
        ImpulseComputation computation(prompts);
        sum = computation.RunPeriodPass(host, rs);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["connections"] = static_cast<double>(sum.connections);
    state.counters["impulses"] = static_cast<double>(sum.impulses);
    state.counters["mismatches"] = static_cast<double>(sum.mismatches);
    state.counters["impulses/s"] =
        benchmark::Counter(static_cast<double>(sum.impulses), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WholeYearPass)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
