// From a keystroke in the panel's input line to the updated panel: a real key event delivered
// to Text1 of a real Form3, whose change handler queries its own reader on the dictionary
// file, refills the list and resizes the panel before the event returns. Words are typed
// letter by letter (c, ca, cat) and deleted back again (cat, ca, c, empty).
//
// Beside it, in the same run: the reader's prefix listing alone for the same texts (what the
// dictionary costs), and the same keystrokes with a lister that hands back ten fixed lines
// (what the widgets cost). Each keystroke is timed on its own; the counters give the median
// and the 90th percentile per keystroke.
//
// The dictionary is the build's program folder's zarvik.bdd (Mueller's when mueller7-dict is
// installed) or the file named by ZARVIK_BENCH_BDD.
#include "dictionary/DictionaryReader.h"
#include "panel/Form3.h"
#include "panel/PanelGeometry.h"
#include "panel/PrefixLister.h"
#include "panel/ResultList.h"
#include "panel/SearchInput.h"
#include "platform/fake/FakePlatform.h"
#include "popup/HiddenState.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

using namespace zarvik;

namespace {

using Clock = std::chrono::steady_clock;

// Fixed counts: each keystroke is followed by an unmeasured repaint about ten times as long,
// so a time-based count would make the run take many minutes.
constexpr int kKeystrokes = 1200;
constexpr int kListings = 20000;

// Typical words, and one whose prefixes stop matching after the first letter.
const char* const kWords[] = {"cat", "string", "house", "water", "translation", "zxq"};

// Ten lines as long as real ones, Cyrillic included, whatever the text: the widgets' share.
class FixedLister final : public PrefixLister {
public:
    QStringList listPrefix(const QString&) override
    {
        QStringList lines;
        for (int i = 0; i < 10; ++i)
            lines << QStringLiteral("catalogue%1 - каталог, список; вносить в каталог").arg(i);
        return lines;
    }
};

// One panel for the whole run, as the program has.
struct Rig {
    QTemporaryDir dir;
    FakePlatform platform;
    std::unique_ptr<Settings> settings;
    HiddenState state;
    std::unique_ptr<Form3> form;
    std::unique_ptr<ReaderPrefixLister> readerLister;
    FixedLister fixedLister;
    DictionaryReader reader; // for the dictionary-only baseline
    QString path;
    qint64 entries = 0;
    QString error;

    Rig()
    {
        path = qEnvironmentVariable("ZARVIK_BENCH_BDD", QStringLiteral(ZARVIK_PROGRAM_DIR "/zarvik.bdd"));
        if (!QFileInfo::exists(path)) {
            error = QStringLiteral("dictionary file missing: %1 (build the project, install mueller7-dict, or set "
                                   "ZARVIK_BENCH_BDD)")
                        .arg(path);
            return;
        }
        platform.setScreenSize(QSize(1280, 1024));
        settings = std::make_unique<Settings>(dir.path() + QStringLiteral("/Zarvik5.ini"));
        // The default: every change restarts the auto-hide countdown, which belongs to the cost.
        settings->write(Key::hide5sec, QStringLiteral("1"));
        form = std::make_unique<Form3>(platform, *settings, state, dir.path());
        form->Data1().setDatabaseName(path);
        readerLister = std::make_unique<ReaderPrefixLister>(form->Data1());
        form->setLister(*readerLister);
        form->show();
        QCoreApplication::processEvents();
        reader.setDatabaseName(path);
        entries = form->Data1().wordCount();
        if (entries <= 0)
            error = QStringLiteral("%1 holds no entries").arg(path);
    }

    // Made at the first use, and gone before the application object (see main).
    static std::unique_ptr<Rig>& instance()
    {
        static std::unique_ptr<Rig> rig;
        return rig;
    }
    static Rig& get()
    {
        if (!instance())
            instance() = std::make_unique<Rig>();
        return *instance();
    }

    // Puts text into the input line outside the measurement, and lets pending events run.
    void setInput(const QString& text)
    {
        form->Text1->setText(text);
        settle();
    }
    // What the event loop would do between two keystrokes: paint, and no auto-hide in the
    // middle of the run (the fake clock never lets a slide end).
    void settle()
    {
        form->Timer2.stop();
        QCoreApplication::processEvents();
    }
    // The panel shows what the text asks for: the list and the height agree with each other.
    bool consistent(const QString& expectedText) const
    {
        const int lines = form->List1->count();
        return form->Text1->text() == expectedText && lines >= 1 && lines <= 10 &&
               form->heightTwips() == PanelGeometry::formHeight(lines, expectedText.isEmpty());
    }
};

void reportPercentiles(benchmark::State& state, std::vector<double>& micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) { return micros[std::min(micros.size() - 1, size_t(q * double(micros.size())))]; };
    state.counters["median_us"] = at(0.5);
    state.counters["p90_us"] = at(0.9);
    state.counters["max_us"] = micros.back();
}

enum class Mode { Type, Delete };

// One iteration is one keystroke; the word is typed (or deleted) over and over.
void keystrokes(benchmark::State& state, const QString& word, Mode mode, bool fixedLines)
{
    Rig& rig = Rig::get();
    if (!rig.error.isEmpty()) {
        state.SkipWithError(qPrintable(rig.error));
        return;
    }
    if (fixedLines)
        rig.form->setLister(rig.fixedLister);
    const int n = int(word.size());
    int typed = mode == Mode::Type ? 0 : n;
    rig.setInput(word.left(typed));
    std::vector<double> micros;
    for (auto _ : state) {
        if (mode == Mode::Type && typed == n) {
            typed = 0;
            rig.setInput(QString());
        } else if (mode == Mode::Delete && typed == 0) {
            typed = n;
            rig.setInput(word);
        }
        const QChar letter = mode == Mode::Type ? word[typed] : QChar();
        QKeyEvent key(QEvent::KeyPress, mode == Mode::Type ? Qt::Key_unknown : Qt::Key_Backspace, Qt::NoModifier,
                      mode == Mode::Type ? QString(letter) : QString());
        const auto start = Clock::now();
        QApplication::sendEvent(rig.form->Text1, &key);
        const auto end = Clock::now();
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        micros.push_back(seconds * 1e6);
        typed += mode == Mode::Type ? 1 : -1;
        if (!rig.consistent(word.left(typed))) {
            state.SkipWithError("the keystroke did not update the panel as expected");
            break;
        }
        rig.settle();
    }
    if (fixedLines)
        rig.form->setLister(*rig.readerLister);
    reportPercentiles(state, micros);
}

// The dictionary's share: the same texts listed by a reader on the same file.
void listingOnly(benchmark::State& state, const QString& word)
{
    Rig& rig = Rig::get();
    if (!rig.error.isEmpty()) {
        state.SkipWithError(qPrintable(rig.error));
        return;
    }
    const int n = int(word.size());
    int k = 0;
    std::vector<double> micros;
    for (auto _ : state) {
        const QString text = word.left(k % n + 1);
        ++k;
        const auto start = Clock::now();
        QStringList lines = rig.reader.listPrefix(text);
        benchmark::DoNotOptimize(lines);
        const auto end = Clock::now();
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        micros.push_back(seconds * 1e6);
    }
    reportPercentiles(state, micros);
}

void registerAll()
{
    for (const char* w : kWords) {
        const QString word = QString::fromLatin1(w);
        benchmark::RegisterBenchmark((std::string("Keystroke/type/") + w).c_str(),
                                     [word](benchmark::State& s) { keystrokes(s, word, Mode::Type, false); })
            ->Iterations(kKeystrokes)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("Keystroke/delete/") + w).c_str(),
                                     [word](benchmark::State& s) { keystrokes(s, word, Mode::Delete, false); })
            ->Iterations(kKeystrokes)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("Baseline/listing-only/") + w).c_str(),
                                     [word](benchmark::State& s) { listingOnly(s, word); })
            ->Iterations(kListings)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("Baseline/widgets-only/type/") + w).c_str(),
                                     [word](benchmark::State& s) { keystrokes(s, word, Mode::Type, true); })
            ->Iterations(kKeystrokes)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Widgets without a display: the offscreen platform, unless the caller chose another.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);

    Rig& rig = Rig::get();
    if (rig.error.isEmpty())
        std::printf("dictionary: %s (%lld entries)\n", qPrintable(QFileInfo(rig.path).canonicalFilePath()),
                    static_cast<long long>(rig.entries));
    else
        std::printf("SKIPPED: %s\n", qPrintable(rig.error));
    std::fflush(stdout);

    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Widgets must not outlive the application object.
    Rig::instance().reset();
    return 0;
}
