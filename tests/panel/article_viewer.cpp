// Shows the article window with a whole hand-made article on a real display, for a look with
// one's own eyes:
//   tests/with-x.sh -- sh -c 'build/tests/article_viewer 3 & sleep 2; import -window root /tmp/article.png'
// The optional argument is how many seconds it stays.
#include "panel/ArticleWindow.h"
#include "panel/SkinDressing.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"
#include "skins/Skin.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

using namespace zarvik;
using Kind = ArticleBlock::Kind;

namespace {
class OneArticle final : public ArticleSource {
public:
    std::optional<Article> article(const QString& headword) override
    {
        if (headword.compare(QStringLiteral("run"), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        const auto b = [](Kind kind, const char* number, const char* text, const char* extra = "") {
            return ArticleBlock{kind, QString::fromUtf8(number), QString::fromUtf8(text), QString::fromUtf8(extra)};
        };
        return Article{QStringLiteral("run"),
                       {b(Kind::Homonym, "I", ""), b(Kind::Transcription, "", "rʌn"), b(Kind::Part, "1.", "n."),
                        b(Kind::Sense, "1)", "бег; пробег"), b(Kind::Sense, "2)", "короткая поездка, прогулка"),
                        b(Kind::Example, "", "to go for a run in the car", "прокатиться на машине"),
                        b(Kind::Sense, "3)", "разг. спрос"), b(Kind::Subsense, "а)", "на товары"),
                        b(Kind::Subsense, "б)", "<b>не разметка</b> <img src=http://example.invalid/x.png>"),
                        b(Kind::Part, "2.", "v."), b(Kind::Sense, "1)", "бежать; бегать"),
                        b(Kind::Example, "", "to run for one's life", "спасаться бегством"),
                        b(Kind::Idiom, "", "in the long run", "в конечном счёте"),
                        b(Kind::Idiom, "", "run across", "случайно встретить"),
                        b(Kind::Reference, "", "прош. вр. и p. p. см.", "ran")}};
    }
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    FakePlatform platform;
    const QRect screen = app.primaryScreen() ? app.primaryScreen()->geometry() : QRect(0, 0, 1280, 1024);
    platform.setScreenSize(screen.size());
    platform.setPointer(screen.center());
    Settings settings(dir.filePath(QStringLiteral("Zarvik5.ini")));
    SkinLoader skins(dir.path());
    OneArticle source;
    ArticleWindow window(platform, dir.path());
    window.setSource(source);
    applyskin(settings, skins, window);
    window.openHeadword(QStringLiteral("run"));
    QTimer::singleShot((argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5) * 1000, &app, &QApplication::quit);
    return app.exec();
}
