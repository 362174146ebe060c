// Microbenchmarks of the hot paths behind the main window: loading the log, listing a period,
// producing the grid's cells, and walking one long connection impulse by impulse.

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

// A ten-year log of 1 000 000 connections, generated once per run.
struct TenYears
{
    std::filesystem::path dir;
    ConnectionLog log;

    TenYears()
    {
        dir = std::filesystem::temp_directory_path() / ("evidor-logbench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        StreamPrompts prompts(std::cerr);
        sample::Options options;
        options.dir = dir.string();
        options.years = 10;
        options.end = {2025, 12, 31};
        options.lines = 1000000;
        if (const auto result = sample::generate(options, prompts); !result.error.empty())
            std::cerr << result.error << '\n';
        log = LoadLog(options.dir, prompts);
    }
    ~TenYears()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

TenYears& data()
{
    static TenYears d;
    return d;
}

void BM_LoadLog(benchmark::State& state)
{
    StreamPrompts prompts(std::cerr);
    const std::string dir = data().dir.string();
    for (auto _ : state) {
        ConnectionLog log = LoadLog(dir, prompts);
        benchmark::DoNotOptimize(log.RecordCount);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(data().dir / "evidor.log")));
}
BENCHMARK(BM_LoadLog)->Unit(benchmark::kMillisecond);

void BM_ShowPeriod(benchmark::State& state)
{
    const auto rs = slovakRegional();
    const auto month = static_cast<std::uint16_t>(state.range(0));
    for (auto _ : state) {
        const PeriodResult r = ShowPeriod(data().log, month, 2020, rs);
        benchmark::DoNotOptimize(r.rows);
    }
}
BENCHMARK(BM_ShowPeriod)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_GridCellsOfAScreen(benchmark::State& state)
{
    const auto rs = slovakRegional();
    const PeriodResult r = ShowPeriod(data().log, 0, 2020, rs);
    for (auto _ : state) {
        // What a repaint of 14 visible rows asks of the model.
        for (int row = 1; row <= 14; ++row)
            for (int c = 0; c < 10; ++c)
                benchmark::DoNotOptimize(gridCell(data().log, recordOfRow(data().log, row), c, rs));
    }
    (void)r;
}
BENCHMARK(BM_GridCellsOfAScreen)->Unit(benchmark::kMicrosecond);

void BM_WalkConnection(benchmark::State& state)
{
    StreamPrompts prompts(std::cerr);
    ImpulseComputation computation(prompts);
    computation.LoadComputationTariff(data().dir.string(), sample::kTariffName);
    computation.LoadHolidayDates(data().dir.string(), slovakRegional());
    // A Friday evening connection of ten hours, across midnight into the weekend.
    const Instant start = Instant::of({2020, 5, 15}, 18 * 3600);
    const Instant end = start.plus(10 * 3600);
    WalkResult w;
    for (auto _ : state) {
        w = computation.WalkConnection(start, end);
        benchmark::DoNotOptimize(w);
    }
    state.counters["impulses"] = static_cast<double>(w.impulses);
}
BENCHMARK(BM_WalkConnection)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
