// Load and export on the published list. Run: build/bench/bench_postal
#include "postal/BusinessList.h"
#include "postal/Export.h"
#include "postal/PostalList.h"
#include "tests/support/RealList.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

std::filesystem::path listOrSkip(benchmark::State& state)
{
    std::string why;
    auto path = testsupport::realList(&why);
    if (!path)
        state.SkipWithError(("skipped: " + why).c_str());
    return path.value_or("");
}

void BM_Load(benchmark::State& state)
{
    const auto path = listOrSkip(state);
    std::size_t rows = 0;
    for (auto _ : state) {
        auto result = postal::PostalList::load(path);
        if (!result) {
            state.SkipWithError(result.error->message().c_str());
            break;
        }
        rows = result.list->rowCount();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The business-office list's check alone, its bytes already in memory.
void BM_CheckBusinessList(benchmark::State& state)
{
    std::string why;
    const auto path = testsupport::realBusinessList(&why);
    if (!path) {
        state.SkipWithError(("skipped: " + why).c_str());
        return;
    }
    const std::string bytes = testsupport::readFile(*path);
    postal::BusinessList list;
    for (auto _ : state) {
        if (auto e = postal::parseBusinessList(bytes, list)) {
            state.SkipWithError(e->message().c_str());
            break;
        }
    }
    state.counters["blocks"] = static_cast<double>(list.blocks.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// A new file each time, or replacing the last one (which syncs it to disk
// first, so that a crash leaves the old or the new file).
void exportBench(benchmark::State& state, const postal::PrefectureSet& chosen, bool replacing)
{
    const auto path = listOrSkip(state);
    auto loaded = postal::PostalList::load(path);
    if (!loaded) {
        state.SkipWithError("the list did not load");
        return;
    }
    testsupport::TempDir dir;
    const auto target = dir / "out.csv";
    if (replacing)
        testsupport::writeFile(target, "old");
    for (auto _ : state) {
        if (!replacing) {
            state.PauseTiming();
            std::filesystem::remove(target);
            state.ResumeTiming();
        }
        if (auto e = postal::exportToFile(*loaded.list, chosen, target)) {
            state.SkipWithError(e->reason().c_str());
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target));
}

postal::PrefectureSet tokyoKanagawa()
{
    postal::PrefectureSet chosen;
    chosen.add(13);
    chosen.add(14);
    return chosen;
}

void BM_ExportAll(benchmark::State& state) { exportBench(state, postal::PrefectureSet::all(), false); }
void BM_ExportAllReplacing(benchmark::State& state) { exportBench(state, postal::PrefectureSet::all(), true); }
void BM_ExportTokyoKanagawa(benchmark::State& state) { exportBench(state, tokyoKanagawa(), false); }

} // namespace

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_CheckBusinessList)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportAll)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportAllReplacing)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportTokyoKanagawa)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
