// What one timer tick of the click watcher and the lookup costs on a real X server: the
// queries they make every 10 / 50 ms, next to a single round trip to the server (the price
// each of them would pay if it asked the server instead of answering from kept state).
#include "platform/X11Platform.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

zarvik::X11Platform* g_platform = nullptr;

void tick(zarvik::X11Platform& p)
{
    const zarvik::WindowId w = p.foregroundWindow();
    benchmark::DoNotOptimize(p.windowExeName(w));
    benchmark::DoNotOptimize(p.leftButtonDown());
    benchmark::DoNotOptimize(p.clipboardText());
}

// foregroundWindow + windowExeName + leftButtonDown + clipboardText, as one watcher tick
// followed by the lookup's clipboard read. Ticks are a millisecond apart (real ones 10 ms),
// so each one looks at the connection for new events afresh.
void BM_TickQueries(benchmark::State& state)
{
    auto& p = *g_platform;
    const quint64 before = p.requestsSent();
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state.ResumeTiming();
        tick(p);
    }
    state.counters["x_requests_per_tick"] =
        benchmark::Counter(double(p.requestsSent() - before) / double(state.iterations()));
}
BENCHMARK(BM_TickQueries)->Iterations(1000);

// Floor for the above: the same pauses with no query at all (timer and cache effects).
void BM_EmptyTick(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state.ResumeTiming();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EmptyTick)->Iterations(1000);

// The same queries back to back, as within one tick: they share one look at the connection.
void BM_TickQueriesBackToBack(benchmark::State& state)
{
    auto& p = *g_platform;
    const quint64 before = p.requestsSent();
    for (auto _ : state)
        tick(p);
    state.counters["x_requests_per_tick"] =
        benchmark::Counter(double(p.requestsSent() - before) / double(state.iterations()));
}
BENCHMARK(BM_TickQueriesBackToBack);

// Baseline: one request that needs the server's answer (the pointer position).
void BM_OneRoundTrip(benchmark::State& state)
{
    auto& p = *g_platform;
    for (auto _ : state)
        benchmark::DoNotOptimize(p.cursorPos());
}
BENCHMARK(BM_OneRoundTrip);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString error;
    auto platform = zarvik::X11Platform::create(dir.filePath(QStringLiteral("registry.json")), &error);
    if (!platform) {
        std::fprintf(stderr, "platform_tick: %s\n", qPrintable(error));
        return 2;
    }
    g_platform = platform.get();

    // A window of ours in front, so the tick names a real program.
    QWidget window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    for (int i = 0; i < 50 && platform->foregroundWindow() != window.winId(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::fflush(stdout);
    }
    std::fprintf(stderr, "foreground window %#llx (%s)\n", static_cast<unsigned long long>(platform->foregroundWindow()),
                 qPrintable(platform->windowExeName(platform->foregroundWindow())));

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
