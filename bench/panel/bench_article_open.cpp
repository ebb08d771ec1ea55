// From Enter in the panel's input line to the article window painted on a live X server: a
// real Form3 on the dictionary file lists a word, Enter runs its article hook, which opens the
// program's one ArticleWindow; the clock stops when the window's text has been painted after
// the server exposed it. Between two openings Escape hides the window (unmeasured), as a user
// closes it. The first opening, which makes the window, is reported apart.
//
// Run it with bench/run-article.sh (Xvfb with a window manager). The dictionary is the build's
// program folder's zarvik.bdd or the file named by ZARVIK_BENCH_BDD.
#include "panel/ArticleWindow.h"
#include "panel/Form3.h"
#include "panel/ResultList.h"
#include "panel/SearchInput.h"
#include "platform/fake/FakePlatform.h"
#include "popup/HiddenState.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace zarvik;

namespace {

const char* const kWords[] = {"run", "light", "book", "water", "house", "cat", "play", "work"};
constexpr int kOpenings = 80;

// Notes the first paint of the article's text after each opening.
class PaintWatch final : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString path = qEnvironmentVariable("ZARVIK_BENCH_BDD", QStringLiteral(ZARVIK_PROGRAM_DIR "/zarvik.bdd"));
    if (!QFileInfo::exists(path)) {
        std::printf("SKIPPED: dictionary file missing: %s\n", qPrintable(path));
        return 0;
    }
    QTemporaryDir dir;
    QFile::copy(path, dir.filePath(QStringLiteral("zarvik.bdd")));
    FakePlatform platform;
    platform.setScreenSize(QSize(1280, 1024));
    platform.setPointer(QPoint(640, 512));
    Settings settings(dir.filePath(QStringLiteral("Zarvik5.ini")));
    HiddenState state;
    Form3 panel(platform, settings, state, dir.path());
    ArticleWindow article(platform, dir.path());
    // The speaker is not what is measured; the program makes it once, at the first opening.
    panel.setArticleHook([&article](const QString& line) { article.openLine(line); });
    panel.show();
    panel.openingSequence();
    PaintWatch watch;

    std::vector<double> times;
    std::vector<double> inProgram; // until the Enter key's handler returned
    double first = 0;
    for (int i = 0; i < kOpenings; ++i) {
        panel.Text1->setText(QString::fromLatin1(kWords[i % std::size(kWords)]));
        QCoreApplication::processEvents();
        watch.painted = false;
        QElapsedTimer t;
        t.start();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(panel.Text1, &enter);
        const double handled = t.nsecsElapsed() / 1e6;
        if (i == 0)
            article.Text1->viewport()->installEventFilter(&watch);
        const bool shown = waitFor(
            [&] { return watch.painted && article.windowHandle() && article.windowHandle()->isExposed(); }, 5000);
        const double ms = t.nsecsElapsed() / 1e6;
        if (!shown) {
            std::printf("ERROR: the article window was not painted within 5 s (opening %d)\n", i + 1);
            return 1;
        }
        if (i == 0) {
            first = ms;
        } else {
            times.push_back(ms);
            inProgram.push_back(handled);
        }
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(article.Text1, &escape);
        waitFor([&] { return !article.windowHandle()->isExposed(); }, 2000);
    }
    std::printf("dictionary: %s\n", qPrintable(path));
    std::printf("first opening (window made)   %7.2f ms\n", first);
    std::printf("opening from the panel        median %6.2f ms   p90 %6.2f ms   (%zu openings)\n",
                percentile(times, 0.5), percentile(times, 0.9), times.size());
    std::printf("  of which Enter handled       median %6.2f ms   p90 %6.2f ms   (the article read, laid out, "
                "the window shown)\n",
                percentile(inProgram, 0.5), percentile(inProgram, 0.9));
    return 0;
}
