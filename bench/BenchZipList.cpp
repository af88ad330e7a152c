// The published ken_all.zip read straight from the archive.
// Run: build/bench/bench_ziplist
#include "platform/ZipList.h"
#include "postal/ListFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void BM_ReadListFromZip(benchmark::State& state)
{
    const std::filesystem::path zip = DOZUZEZO_REAL_LIST_ZIP;
    if (!std::filesystem::exists(zip)) {
        state.SkipWithError(("skipped: the published list " + zip.string() + " is not on this machine").c_str());
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto read = platform::readListFromZip(zip);
        if (auto* e = std::get_if<platform::ZipError>(&read)) {
            state.SkipWithError(e->message().c_str());
            break;
        }
        bytes = std::get<platform::ZipListBytes>(read).bytes.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadListFromZip)->Unit(benchmark::kMillisecond);

// The whole load from the archive: inflated into the reader's buffer, its
// CRC checked, then every line read and checked.
void BM_LoadListFromZip(benchmark::State& state)
{
    const std::filesystem::path zip = DOZUZEZO_REAL_LIST_ZIP;
    if (!std::filesystem::exists(zip)) {
        state.SkipWithError(("skipped: the published list " + zip.string() + " is not on this machine").c_str());
        return;
    }
    platform::FoundFile found{zip, true, {}, true};
    std::size_t rows = 0;
    for (auto _ : state) {
        const postal::ListFileLoad load = postal::loadListFile(found);
        if (!load) {
            state.SkipWithError(load.problem().c_str());
            break;
        }
        rows = load.list->rowCount();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_LoadListFromZip)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
