// The journal of looked-up words, full: 100,000 words in it.
//
// - record/handoff: what recording one word costs the interface thread (the recorder hands the
//   word to its own thread); the processor time of the calling thread, the write waited for
//   outside the measurement. A new word each time, so that every write also trims the oldest.
// - record/transaction: the write itself on the recorder's thread (one transaction: the lookup
//   of the word, the insert, the trim of the oldest word), for comparison.
// - window/first rows: from making the journal window to its first rows painted (offscreen).
#include "journal/Journal.h"
#include "journal/JournalRecorder.h"
#include "panel/JournalModel.h"
#include "panel/JournalWindow.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <memory>

using namespace zarvik;

namespace {

constexpr qint64 kT0 = 1'800'000'000;
QTemporaryDir* g_dir = nullptr;

// The journal filled once for the run: 100,000 words, the i-th met last at kT0 + i.
void fill()
{
    if (g_dir)
        return;
    g_dir = new QTemporaryDir;
    Journal journal(g_dir->path());
    for (int i = 0; i < Journal::kMaxWords; ++i)
        journal.record(QStringLiteral("word%1").arg(i), QStringLiteral("перевод слова номер %1; значение").arg(i),
                       LookupSource::Copy, kT0 + i);
}

void recordHandoff(benchmark::State& state)
{
    fill();
    qint64 now = kT0 + 2 * Journal::kMaxWords;
    JournalRecorder recorder(g_dir->path(), [] { return true; }, [&now] { return now; });
    int n = 0;
    for (auto _ : state) {
        recorder.wordShown(QStringLiteral("handoff%1").arg(++n), QStringLiteral("перевод"), LookupSource::DoubleClick);
        state.PauseTiming();
        recorder.flush();
        ++now;
        state.ResumeTiming();
    }
}
BENCHMARK(recordHandoff)->Name("record/handoff")->Iterations(2000)->Unit(benchmark::kMicrosecond);

void recordTransaction(benchmark::State& state)
{
    fill();
    Journal journal(g_dir->path());
    qint64 now = kT0 + 3 * Journal::kMaxWords;
    int n = 0;
    for (auto _ : state)
        journal.record(QStringLiteral("direct%1").arg(++n), QStringLiteral("перевод"), LookupSource::Copy, ++now);
    if (journal.count({}) != Journal::kMaxWords)
        state.SkipWithError("the journal is not at its bound");
}
BENCHMARK(recordTransaction)->Name("record/transaction")->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();

void windowFirstRows(benchmark::State& state)
{
    fill();
    for (auto _ : state) {
        Journal journal(g_dir->path(), 250);
        JournalWindow window(journal, {});
        window.show();
        window.table->viewport()->repaint();
        if (window.model().rowCount() == 0)
            state.SkipWithError("no rows");
    }
}
BENCHMARK(windowFirstRows)->Name("window/first rows")->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete g_dir;
    return 0;
}
