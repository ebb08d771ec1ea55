// The article cleaner on hostile articles: time per article at sizes growing fourfold, with
// the growth the benchmark library fits to them (it should be N or N lgN, never N^2). The
// shapes are those that made earlier versions rescan the rest of the article at every step.
#include "ArticleCleaner.h"
#include "ReferenceResolver.h"

#include <benchmark/benchmark.h>

using namespace zarvik;

namespace {

void cleanHostile(benchmark::State& state, const char* unit)
{
    const QString u = QString::fromUtf8(unit);
    const QString article = QStringLiteral("w\n") + u.repeated(qsizetype(state.range(0)) / u.size());
    const ArticleCleaner cleaner;
    for (auto _ : state)
        benchmark::DoNotOptimize(cleaner.shortLine(QStringLiteral("w"), article));
    state.SetComplexityN(state.range(0));
}

// A whole dictionary of references in one chain: every entry refers to the next one.
void resolveChain(benchmark::State& state)
{
    std::vector<SourceEntry> entries;
    const int n = int(state.range(0));
    for (int i = 0; i < n; ++i)
        entries.push_back(SourceEntry{QStringLiteral("w%1").arg(i), QStringLiteral("= w%1").arg((i + 1) % n)});
    const ArticleCleaner cleaner;
    for (auto _ : state) {
        ReferenceOutcome outcome;
        benchmark::DoNotOptimize(ReferenceResolver::lines(cleaner, entries, outcome));
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

#define HOSTILE(name, unit)                                                                            \
    BENCHMARK_CAPTURE(cleanHostile, name, unit)                                                        \
        ->RangeMultiplier(4)                                                                           \
        ->Range(1 << 14, 1 << 20)                                                                      \
        ->Unit(benchmark::kMillisecond)                                                                \
        ->Complexity()

HOSTILE(open_parens, "(");
HOSTILE(open_brackets, "[");
HOSTILE(open_braces, "{");
HOSTILE(colons, "а: ");
HOSTILE(commas, ",");
HOSTILE(senses, "1) ");
HOSTILE(homonyms, "_I ");
HOSTILE(references, "= a ");
HOSTILE(russian_words, "слово ");
BENCHMARK(resolveChain)->RangeMultiplier(4)->Range(1 << 10, 1 << 14)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
