#include "panel/ArticleText.h"
#include "panel/ArticleWindow.h"
#include "panel/Speaker.h"
#include "platform/fake/FakePlatform.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <map>
#include <memory>

using namespace zarvik;
using Kind = ArticleBlock::Kind;

Q_DECLARE_METATYPE(zarvik::Article)

namespace {

ArticleBlock block(Kind kind, const QString& number, const QString& text, const QString& extra = {})
{
    return ArticleBlock{kind, number, text, extra};
}

Article article(const QString& headword, std::vector<ArticleBlock> blocks)
{
    return Article{headword, std::move(blocks)};
}

// A few hand-made entries.
class FakeArticles final : public ArticleSource {
public:
    std::map<QString, Article> entries;
    QStringList asked;
    std::optional<Article> article(const QString& headword) override
    {
        asked.append(headword);
        const auto it = entries.find(headword.toLower());
        if (it == entries.end())
            return std::nullopt;
        return it->second;
    }
};

class FakeSpeaker final : public Speaker {
public:
    FakeSpeaker(bool available, QStringList& said) : m_available(available), m_said(said) {}
    bool available() const override { return m_available; }
    void say(const QString& text) override { m_said.append(text); }

private:
    bool m_available;
    QStringList& m_said;
};

// The text of the page as it reads, one paragraph a line.
QString plain(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        lines.append(b.text());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestArticleWindow : public QObject {
    Q_OBJECT
private slots:
    // The page of an article: dictionary text is text, references are the program's own
    // links, the parts of the article in their places.
    void page_data()
    {
        QTest::addColumn<Article>("entry");
        QTest::addColumn<QString>("reads");      // the page's text, paragraph by paragraph
        QTest::addColumn<QStringList>("present"); // in the rich text
        QTest::addColumn<QStringList>("absent");  // not in the rich text
        QTest::newRow("markup in a sense is text")
            << article(QStringLiteral("x"), {block(Kind::Sense, QStringLiteral("1)"), QStringLiteral("<b>x</b>"))})
            << QStringLiteral("x\n1) <b>x</b>") << QStringList{QStringLiteral("&lt;b&gt;x&lt;/b&gt;")}
            << QStringList{QStringLiteral("<b>x</b>")};
        QTest::newRow("a remote picture is text")
            << article(QStringLiteral("img"),
                       {block(Kind::Text, {}, QStringLiteral("<img src=http://example.invalid/a.png>"))})
            << QStringLiteral("img\n<img src=http://example.invalid/a.png>")
            << QStringList{QStringLiteral("&lt;img src=http://example.invalid/a.png&gt;")}
            << QStringList{QStringLiteral("<img")};
        QTest::newRow("markup in the headword and an example is text")
            << article(QStringLiteral("<i>a</i>"),
                       {block(Kind::Example, {}, QStringLiteral("<a href=x>go</a>"), QStringLiteral("&amp;"))})
            << QStringLiteral("<i>a</i>\n<a href=x>go</a> — &amp;")
            << QStringList{QStringLiteral("&lt;a href=x&gt;go&lt;/a&gt;"), QStringLiteral("&amp;amp;")}
            << QStringList{QStringLiteral("<a href=x>"), QStringLiteral("<i>a</i>")};
        QTest::newRow("a reference is an internal link")
            << article(QStringLiteral("ran"), {block(Kind::Reference, {}, QStringLiteral("прош. вр. от"), QStringLiteral("run"))})
            << QStringLiteral("ran\nпрош. вр. от run")
            << QStringList{QStringLiteral("<a href=\"zarvik-article:run\">run</a>")} << QStringList{};
        QTest::newRow("a reference's target with markup is escaped in the link and the text")
            << article(QStringLiteral("y"), {block(Kind::Reference, {}, QString(), QStringLiteral("a\"<b>"))})
            << QStringLiteral("y\na\"<b>")
            << QStringList{QStringLiteral("<a href=\"zarvik-article:a%22%3Cb%3E\">a&quot;&lt;b&gt;</a>")}
            << QStringList{QStringLiteral("<b>")};
        QTest::newRow("homonym, transcription, parts, senses, examples, idioms")
            << article(QStringLiteral("run"),
                       {block(Kind::Homonym, QStringLiteral("I"), {}),
                        block(Kind::Transcription, {}, QStringLiteral("rʌn")),
                        block(Kind::Part, QStringLiteral("1."), QStringLiteral("n.")),
                        block(Kind::Sense, QStringLiteral("1)"), QStringLiteral("бег")),
                        block(Kind::Subsense, QStringLiteral("а)"), QStringLiteral("пробег")),
                        block(Kind::Example, {}, QStringLiteral("a morning run"), QStringLiteral("утренняя пробежка")),
                        block(Kind::Idiom, {}, QStringLiteral("in the long run"), QStringLiteral("в конечном счёте")),
                        block(Kind::Part, QStringLiteral("2."), QStringLiteral("v.")),
                        block(Kind::Sense, QStringLiteral("1)"), QStringLiteral("бежать"))})
            << QStringLiteral("run\nI\n[rʌn]\n1. сущ.\n1) бег\nа) пробег\na morning run — утренняя пробежка\n"
                              "in the long run — в конечном счёте\n2. гл.\n1) бежать")
            << QStringList{QStringLiteral("margin-left:48px; color:#555753; font-style:italic\">a morning run"),
                           QStringLiteral("<b>1)</b> бег"), QStringLiteral("<i>а)</i> пробег"),
                           QStringLiteral("<b>in the long run</b> — в конечном счёте")}
            << QStringList{};
        QTest::newRow("an unknown part label stays as it is")
            << article(QStringLiteral("z"), {block(Kind::Part, {}, QStringLiteral("sl."))}) << QStringLiteral("z\nsl.")
            << QStringList{} << QStringList{};
        QTest::newRow("direction controls are dropped")
            << article(QStringLiteral("r"), {block(Kind::Text, {}, QStringLiteral("\u202Eкошка"))})
            << QStringLiteral("r\nкошка") << QStringList{} << QStringList{QStringLiteral("\u202E")};
    }
    void page()
    {
        QFETCH(Article, entry);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const QString html = ArticleText::html(entry);
        for (const QString& part : present)
            QVERIFY2(html.contains(part), qPrintable(part + QStringLiteral("\n") + html));
        for (const QString& part : absent)
            QVERIFY2(!html.contains(part), qPrintable(part + QStringLiteral("\n") + html));
        ArticleBrowser browser;
        browser.setHtml(html);
        QTEST(plain(*browser.document()), "reads");
    }

    void headwordsOfALine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("candidates");
        QTest::newRow("plain") << "run - бег, пробег" << QStringList{QStringLiteral("run")};
        QTest::newRow("a headword holding the separator")
            << "up - to - date - современный"
            << QStringList{QStringLiteral("up - to - date"), QStringLiteral("up - to"), QStringLiteral("up")};
        QTest::newRow("empty line") << "" << QStringList{};
        QTest::newRow("no separator") << "run" << QStringList{};
        QTest::newRow("empty headword") << " - x" << QStringList{};
        QTest::newRow("no-match line") << "xyz - ???" << QStringList{QStringLiteral("xyz")};
    }
    void headwordsOfALine()
    {
        QFETCH(QString, line);
        QTEST(ArticleText::headwordCandidates(line), "candidates");
    }

    void linksGoBothWays_data()
    {
        QTest::addColumn<QString>("headword");
        QTest::newRow("plain") << "go";
        QTest::newRow("spaces and a dash") << "up - to - date";
        QTest::newRow("url characters") << "a?b#c/d%20e:f";
        QTest::newRow("Cyrillic") << "кошка";
    }
    void linksGoBothWays()
    {
        QFETCH(QString, headword);
        const QUrl url = ArticleText::link(headword);
        QCOMPARE(url.scheme(), QStringLiteral("zarvik-article"));
        QCOMPARE(ArticleText::target(url), std::optional<QString>(headword));
        QCOMPARE(ArticleText::target(QUrl(url.toString(QUrl::FullyEncoded))), std::optional<QString>(headword));
    }

    void foreignLinksAreNotOurs_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("web") << "http://example.invalid/run";
        QTest::newRow("file") << "file:///etc/passwd";
        QTest::newRow("our scheme with a host") << "zarvik-article://example.invalid/run";
        QTest::newRow("our scheme, nothing") << "zarvik-article:";
    }
    void foreignLinksAreNotOurs()
    {
        QFETCH(QString, url);
        QCOMPARE(ArticleText::target(QUrl(url)), std::nullopt);
    }

    void windowSize_data()
    {
        QTest::addColumn<QRect>("monitor");
        QTest::addColumn<QSize>("size");
        QTest::newRow("1366 x 768") << QRect(0, 0, 1366, 768) << QSize(560, 460);
        QTest::newRow("scale 2: 683 x 384") << QRect(0, 0, 683, 384) << QSize(560, 230);
        QTest::newRow("narrow: nine tenths") << QRect(0, 0, 622, 500) << QSize(559, 300);
        QTest::newRow("a pixel wider: the reading width") << QRect(0, 0, 623, 500) << QSize(560, 300);
        QTest::newRow("tall: just under the height cap") << QRect(0, 0, 1920, 1199) << QSize(560, 719);
        QTest::newRow("taller: the cap") << QRect(0, 0, 1920, 1200) << QSize(560, 720);
        QTest::newRow("taller still: the cap") << QRect(0, 0, 1920, 2160) << QSize(560, 720);
    }
    void windowSize()
    {
        QFETCH(QRect, monitor);
        QTEST(articleWindowSize(monitor), "size");
    }

    void loadsNothing()
    {
        ArticleBrowser browser;
        for (const char* url : {"http://example.invalid/a.png", "file:///etc/hostname", "zarvik-article:run"}) {
            QVERIFY(browser.loadResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(url))).isNull());
            QVERIFY(browser.loadResource(QTextDocument::StyleSheetResource, QUrl(QString::fromLatin1(url))).isNull());
        }
        QVERIFY(!browser.openLinks());
        QVERIFY(!browser.openExternalLinks());
    }

    // Open from a line, follow a link, back, forward, a link not ours, Escape; sized to and
    // centred on the monitor under the pointer.
    void opensFollowsAndGoesBack()
    {
        FakePlatform platform;
        platform.setScreenSize(QSize(1024, 768));
        platform.setPointer(QPoint(500, 400));
        FakeArticles source;
        source.entries[QStringLiteral("ran")] =
            article(QStringLiteral("ran"), {block(Kind::Reference, {}, QStringLiteral("прош. вр. от"), QStringLiteral("run"))});
        source.entries[QStringLiteral("run")] =
            article(QStringLiteral("run"), {block(Kind::Transcription, {}, QStringLiteral("rʌn")),
                                            block(Kind::Sense, QStringLiteral("1)"), QStringLiteral("бег"))});
        QStringList said;
        int made = 0;
        ArticleWindow window(platform, QStringLiteral("/nonexistent"));
        window.setSource(source);
        window.setSpeakerFactory([&] {
            ++made;
            return std::make_unique<FakeSpeaker>(true, said);
        });
        QCOMPARE(made, 0);
        QVERIFY(!window.isVisible());

        QVERIFY(window.openLine(QStringLiteral("ran - прош. вр. от run: бежать")));
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Статья — ran"));
        QCOMPARE(window.size(), QSize(560, 460));
        QCOMPARE(window.pos(), QPoint(232, 154));
        QVERIFY(!window.cmdBack->isEnabled());
        QVERIFY(!window.cmdForward->isEnabled());
        QCOMPARE(made, 1);
        QVERIFY(window.cmdSpeak->isVisible());
        QCOMPARE(window.cmdSpeak->text(), QStringLiteral("Произнести"));
        QCOMPARE(window.cmdBack->text(), QStringLiteral("Назад"));
        QCOMPARE(window.cmdForward->text(), QStringLiteral("Вперёд"));

        // A click on the link, where it is drawn.
        QTextCursor cursor = window.Text1->document()->find(QStringLiteral("run"));
        QVERIFY(!cursor.isNull());
        cursor.setPosition(cursor.selectionStart() + 1);
        const QPoint onLink = window.Text1->cursorRect(cursor).center();
        QTest::mouseClick(window.Text1->viewport(), Qt::LeftButton, {}, onLink);
        QCOMPARE(window.headword(), QStringLiteral("run"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Статья — run"));
        QVERIFY(plain(*window.Text1->document()).contains(QStringLiteral("[rʌn]")));
        QVERIFY(window.cmdBack->isEnabled());
        QTest::mouseClick(window.cmdSpeak, Qt::LeftButton);
        QCOMPARE(said, QStringList{QStringLiteral("run")});

        QTest::mouseClick(window.cmdBack, Qt::LeftButton);
        QCOMPARE(window.headword(), QStringLiteral("ran"));
        QVERIFY(window.cmdForward->isEnabled());
        QTest::keyClick(window.Text1, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(window.headword(), QStringLiteral("run"));
        QCOMPARE(window.history(), (QStringList{QStringLiteral("ran"), QStringLiteral("run")}));

        // Links not ours are not followed.
        emit window.Text1->anchorClicked(QUrl(QStringLiteral("http://example.invalid/ran")));
        QCOMPARE(window.headword(), QStringLiteral("run"));
        QCOMPARE(window.history().size(), 2);

        // The text can be selected and copied.
        QVERIFY(window.Text1->textInteractionFlags() & Qt::TextSelectableByMouse);
        QVERIFY(window.Text1->textInteractionFlags() & Qt::TextSelectableByKeyboard);

        QTest::keyClick(window.Text1, Qt::Key_Escape);
        QVERIFY(!window.isVisible());

        // Opened again, from outside: a new history, the same speaker.
        window.openHeadword(QStringLiteral("Run"));
        QVERIFY(window.isVisible());
        QCOMPARE(window.history(), QStringList{QStringLiteral("Run")});
        QCOMPARE(made, 1);
        // A headword the dictionary lacks says so.
        emit window.Text1->anchorClicked(ArticleText::link(QStringLiteral("nowhere")));
        QVERIFY(plain(*window.Text1->document()).contains(QStringLiteral("Этого слова нет в словаре.")));
    }

    void linesThatNameNoEntry_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("reads");
        QTest::newRow("empty") << "" << false << "" << "";
        QTest::newRow("no match") << "xyz - ???" << false << "" << "";
        QTest::newRow("a headword holding the separator")
            << "up - to - date - современный" << true << "Статья — up - to - date" << "up - to - date\nсовременный";
        QTest::newRow("a Russian word of the reverse index links its English words")
            << "кошка - cat; pussycat" << true << "Статья — кошка" << "кошка\ncat\npussycat";
        QTest::newRow("a line of no entry shows as it is")
            << "zzz - a; b" << true << "Статья — zzz" << "zzz\na; b";
    }
    void linesThatNameNoEntry()
    {
        QFETCH(QString, line);
        QFETCH(bool, opens);
        FakePlatform platform;
        platform.setScreenSize(QSize(1024, 768));
        FakeArticles source;
        source.entries[QStringLiteral("up")] = article(QStringLiteral("up"), {block(Kind::Text, {}, QStringLiteral("вверх"))});
        source.entries[QStringLiteral("up - to - date")] =
            article(QStringLiteral("up - to - date"), {block(Kind::Text, {}, QStringLiteral("современный"))});
        ArticleWindow window(platform, QStringLiteral("/nonexistent"));
        window.setSource(source);
        window.setSpeakerFactory([] { return std::unique_ptr<Speaker>(); });
        QCOMPARE(window.openLine(line), opens);
        QCOMPARE(window.isVisible(), opens);
        if (opens) {
            QTEST(window.windowTitle(), "title");
            QTEST(plain(*window.Text1->document()), "reads");
            // No speaker: no button.
            QVERIFY(!window.cmdSpeak->isVisible());
            QCOMPARE(window.Text1->toHtml().contains(QStringLiteral("href=\"zarvik-article:cat\"")),
                     line.startsWith(QStringLiteral("кошка")));
        }
    }
};

QTEST_MAIN(TestArticleWindow)
#include "tst_articlewindow.moc"
