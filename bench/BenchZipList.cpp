// The published ken_all.zip read straight from the archive.
// Run: build/bench/bench_ziplist
#include "platform/ZipList.h"

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

} // namespace

BENCHMARK_MAIN();
