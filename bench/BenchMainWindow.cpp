// The export command of the main window on the published list, all 47
// ticked, with the file chooser answered at once: what the window adds
// beyond the chooser. Run: build/bench/bench_main_window
#include "RunningProgram.h"
#include "tests/support/RealList.h"

#include <QApplication>
#include <QCheckBox>
#include <benchmark/benchmark.h>

namespace {

void BM_WindowExportAll(benchmark::State& state)
{
    std::string why;
    auto list = testsupport::realList(&why);
    if (!list) {
        state.SkipWithError(("skipped: " + why).c_str());
        return;
    }
    testsupport::TempDir dir;
    testsupport::MemorySettingsStore store;
    testsupport::RunningProgram program(store, dir.path(), *list);
    ui::MainWindow& window = program.open();
    for (int i = 0; i < postal::kPrefectureCount; ++i)
        window.prefectureBox(i)->setChecked(true);
    const QString target = QString::fromStdString((dir / "all.csv").string());
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(dir / "all.csv");  // saved as a new file each time
        state.ResumeTiming();
        program.fake.files.answers.enqueue(target);
        window.saveTickedPrefectures();
    }
    const auto& shown = program.fake.messages.shown;
    if (shown.isEmpty() || shown.back().icon != ui::MessageIcon::Information ||
        std::filesystem::file_size(dir / "all.csv") != std::filesystem::file_size(*list))
        state.SkipWithError("the export did not succeed");
}

} // namespace

BENCHMARK(BM_WindowExportAll)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
