#include "panel/ArticleWindow.h"

#include "dictionary/Cyrillic.h"
#include "dictionary/DisplayText.h"
#include "panel/ArticleText.h"
#include "panel/Speaker.h"
#include "platform/Monitors.h"
#include "platform/Platform.h"
#include "skins/Skin.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace zarvik {

namespace {
// The title strip of the dictionary window's picture (345 twips).
constexpr int kTitleStripPixels = 23;
} // namespace

ArticleBrowser::ArticleBrowser(QWidget* parent) : QTextBrowser(parent)
{
    // Links are followed by the window, never by the browser itself.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // Selectable and copyable with the mouse and the keyboard; links reached by both.
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
}

QVariant ArticleBrowser::loadResource(int, const QUrl&)
{
    // The pages hold no pictures or style sheets of their own: nothing is ever fetched.
    return {};
}

void ArticleBrowser::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::AltModifier && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        event->ignore();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

QSize articleWindowSize(const QRect& monitor)
{
    const int width = std::min(560, monitor.width() * 9 / 10);
    const int height = std::min(monitor.height() * 6 / 10, 720);
    return {std::max(width, 1), std::max(height, 1)};
}

ArticleWindow::ArticleWindow(Platform& platform, const QString& programDir, QWidget* parent)
    // Above the panel and the dictionary window it is opened from, which stay on top too.
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_platform(platform), m_makeSpeaker(makeSpeaker)
{
    setObjectName(QStringLiteral("ArticleWindow"));
    setWindowTitle(QStringLiteral("Статья"));
    m_data1.setDatabaseName(programDir + QStringLiteral("/zarvik.bdd"));

    cmdBack = new QPushButton(QStringLiteral("Назад"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdForward = new QPushButton(QStringLiteral("Вперёд"), this);
    cmdForward->setObjectName(QStringLiteral("cmdForward"));
    cmdSpeak = new QPushButton(QStringLiteral("Произнести"), this);
    cmdSpeak->setObjectName(QStringLiteral("cmdSpeak"));
    cmdSpeak->hide();
    for (QPushButton* button : {cmdBack, cmdForward, cmdSpeak})
        button->setFocusPolicy(Qt::NoFocus);

    Text1 = new ArticleBrowser(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10.0);
    Text1->setFont(font);
    // The skin's picture shows round the text, which stays on a white ground to be read.
    Text1->setStyleSheet(QStringLiteral("QTextBrowser { background: white; color: black; "
                                        "border: 1px solid rgba(0, 0, 0, 60); }"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdForward);
    buttons->addStretch(1);
    buttons->addWidget(cmdSpeak);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(buttons);
    layout->addWidget(Text1, 1);
    setFocusProxy(Text1);

    connect(cmdBack, &QPushButton::clicked, this, [this] { back(); });
    connect(cmdForward, &QPushButton::clicked, this, [this] { forward(); });
    connect(cmdSpeak, &QPushButton::clicked, this, [this] {
        if (m_speaker)
            m_speaker->say(headword());
    });
    connect(Text1, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { followLink(url); });
    cmdBack->setEnabled(false);
    cmdForward->setEnabled(false);
}

ArticleWindow::~ArticleWindow() = default;

void ArticleWindow::wearSkin(const Skin& skin)
{
    if (const QPixmap& p = skin.picture(SkinFile::dictmain); !p.isNull()) {
        m_picture = p;
        // The body's colour: a point of the picture's lower left corner, below its list.
        const QImage image = p.toImage();
        m_body = image.pixelColor(std::min(3, image.width() - 1), std::max(image.height() - 3, 0));
        update();
    }
}

namespace {

// A line whose headword has no entry of its own: the line itself is its article, so that at
// least all of it can be read. A Russian word of the reverse index lists the English
// headwords that translate to it: each is a link to its entry.
Article lineArticle(const QString& line)
{
    const qsizetype at = line.indexOf(QStringLiteral(" - "));
    Article own;
    own.headword = at > 0 ? line.left(at) : line;
    const QString rest = at > 0 ? line.mid(at + 3) : QString();
    const auto cyrillic = [](const QString& text) {
        return std::any_of(text.begin(), text.end(), [](QChar c) { return isCyrillicLetter(c); });
    };
    if (cyrillic(own.headword) && !cyrillic(rest)) {
        for (QString word : rest.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
            word = word.trimmed();
            if (word.endsWith(QChar(0x2026)))
                word.chop(1);
            if (!word.isEmpty())
                own.blocks.push_back(ArticleBlock{ArticleBlock::Kind::Reference, {}, {}, word});
        }
    }
    if (own.blocks.empty())
        own.blocks.push_back(ArticleBlock{ArticleBlock::Kind::Text, {}, rest, {}});
    return own;
}

} // namespace

bool ArticleWindow::openLine(const QString& line)
{
    if (line.isEmpty() || line.endsWith(QStringLiteral(" - ???")))
        return false;
    const QStringList candidates = ArticleText::headwordCandidates(line);
    for (const QString& candidate : candidates) {
        if (std::optional<Article> article = m_source->article(candidate)) {
            m_history = {candidate};
            m_at = 0;
            showPage(*article);
            return true;
        }
    }
    const Article own = lineArticle(line);
    m_history = {own.headword};
    m_at = 0;
    showPage(own);
    return true;
}

void ArticleWindow::openHeadword(const QString& headword)
{
    m_history = {headword};
    m_at = 0;
    showEntry(headword);
}

void ArticleWindow::followLink(const QUrl& url)
{
    const std::optional<QString> target = ArticleText::target(url);
    if (!target)
        return;
    m_history.erase(m_history.begin() + m_at + 1, m_history.end());
    m_history.append(*target);
    ++m_at;
    showEntry(*target);
}

void ArticleWindow::back()
{
    if (m_at <= 0)
        return;
    --m_at;
    showEntry(m_history.at(m_at));
}

void ArticleWindow::forward()
{
    if (m_at + 1 >= m_history.size())
        return;
    ++m_at;
    showEntry(m_history.at(m_at));
}

QString ArticleWindow::headword() const
{
    return m_at >= 0 && m_at < m_history.size() ? m_history.at(m_at) : QString();
}

bool ArticleWindow::canSpeak() const
{
    return m_speaker && m_speaker->available();
}

void ArticleWindow::showEntry(const QString& headword)
{
    if (std::optional<Article> article = m_source->article(headword)) {
        showPage(*article);
        return;
    }
    // A Russian word of the reverse index (a panel line gone back to, a word of the journal)
    // has no entry of its own: it shows the English headwords that translate it.
    m_data1.exactLookup(headword, DictionaryReader::Table::RusEng, 1);
    if (m_data1.recordCount() > 0) {
        m_data1.moveFirst();
        showPage(lineArticle(displayLine(m_data1.field(0), m_data1.field(1))));
        return;
    }
    Article missing;
    missing.headword = headword;
    missing.blocks.push_back(ArticleBlock{ArticleBlock::Kind::Text, {}, QStringLiteral("Этого слова нет в словаре."), {}});
    showPage(missing);
}

void ArticleWindow::showPage(const Article& article)
{
    Text1->setHtml(ArticleText::html(article));
    setWindowTitle(ArticleText::title(article.headword));
    cmdBack->setEnabled(m_at > 0);
    cmdForward->setEnabled(m_at + 1 < m_history.size());
    showWindow();
    emit articleShown(article.headword);
}

void ArticleWindow::showWindow()
{
    ensureSpeaker();
    if (!isVisible()) {
        // Sized to the monitor under the pointer and centred on it at every opening: the
        // user may be on another monitor than last time.
        const QRect monitor = m_platform.screenGeometryAt(m_platform.cursorPos());
        resize(articleWindowSize(monitor));
        move(Monitors::centredAtPointer(m_platform, size()));
        show();
    }
    raise();
    activateWindow();
    Text1->setFocus();
}

void ArticleWindow::ensureSpeaker()
{
    if (m_speakerMade)
        return;
    m_speakerMade = true;
    if (m_makeSpeaker)
        m_speaker = m_makeSpeaker();
    cmdSpeak->setVisible(canSpeak());
}

void ArticleWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if (event->modifiers() == Qt::AltModifier && event->key() == Qt::Key_Left) {
        back();
        return;
    }
    if (event->modifiers() == Qt::AltModifier && event->key() == Qt::Key_Right) {
        forward();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ArticleWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_picture.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // The dictionary window's picture is drawn for its own size, its title and input frame
    // included; stretched whole over this larger window they would show through as ghosts.
    // So the window wears a thin slice of its title strip, taken right of the title's text
    // and left of the close button, stretched across the band of the buttons, and the
    // colour of its body below.
    const int stripPixels = std::min(kTitleStripPixels, m_picture.height());
    const int x = std::min(m_picture.width() * 4 / 5, m_picture.width() - 1);
    const int band = cmdBack->geometry().bottom() + 6;
    painter.drawPixmap(QRect(0, 0, width(), band), m_picture, QRect(x, 0, 1, stripPixels));
    painter.fillRect(QRect(0, band, width(), height() - band), m_body);
}

} // namespace zarvik
