#pragma once

#include "dictionary/DictionaryReader.h"
#include "panel/ArticleSource.h"

#include <QPixmap>
#include <QStringList>
#include <QTextBrowser>
#include <QWidget>
#include <functional>
#include <memory>

class QPushButton;

namespace zarvik {

class Platform;
class Skin;
class Speaker;

// The text of an article: rich text made by the program from escaped dictionary text. Links
// are the program's own and are handed to the window; nothing is ever loaded, not from the
// network, not from a file.
class ArticleBrowser final : public QTextBrowser {
    Q_OBJECT
public:
    explicit ArticleBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

protected:
    // Alt+Left and Alt+Right go to the window's history, not the browser's own (unused) one.
    void keyPressEvent(QKeyEvent* event) override;
};

// The article window: an entry's whole article, with back and forward through the entries
// opened by its links, and a button that speaks the headword where the desktop can. One
// window, made when first needed and reused, so that opening an article costs no more than
// laying out its text.
class ArticleWindow final : public QWidget {
    Q_OBJECT
public:
    ArticleWindow(Platform& platform, const QString& programDir, QWidget* parent = nullptr);
    ~ArticleWindow() override;

    QPushButton* cmdBack = nullptr;    // «Назад»
    QPushButton* cmdForward = nullptr; // «Вперёд»
    QPushButton* cmdSpeak = nullptr;   // «Произнести», only where a voice speaks
    ArticleBrowser* Text1 = nullptr;

    DictionaryReader& Data1() { return m_data1; }
    // Reads from another source than the window's own reader (tests, other dictionaries).
    void setSource(ArticleSource& source) { m_source = &source; }
    // How the speaker is made, at the first opening (tests hand in their own).
    void setSpeakerFactory(std::function<std::unique_ptr<Speaker>()> factory) { m_makeSpeaker = std::move(factory); }
    void wearSkin(const Skin& skin);

    // Opens the entry of a result line (the panel's or the dictionary window's). False when
    // the line names no entry (the empty line, the no-match line).
    bool openLine(const QString& line);
    // Opens the entry; a headword the dictionary does not have shows as such. An opening from
    // outside the window starts a new history; a link adds to it.
    void openHeadword(const QString& headword);
    void back();
    void forward();

    // The headword shown, and the headwords the history holds.
    QString headword() const;
    const QStringList& history() const { return m_history; }
    int historyIndex() const { return m_at; }
    bool canSpeak() const;

signals:
    // An article is on the screen (after it was laid out and the window shown).
    void articleShown(const QString& headword);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void followLink(const QUrl& url);
    void showEntry(const QString& headword);
    void showPage(const Article& article);
    void showWindow();
    void ensureSpeaker();

    Platform& m_platform;
    DictionaryReader m_data1;
    ReaderArticleSource m_readerSource{m_data1};
    ArticleSource* m_source = &m_readerSource;
    std::function<std::unique_ptr<Speaker>()> m_makeSpeaker;
    std::unique_ptr<Speaker> m_speaker;
    bool m_speakerMade = false;
    QPixmap m_picture;
    QColor m_body;
    QStringList m_history;
    int m_at = -1;
};

// The size of the article window on a monitor: a reading width and at most 60 % of the
// monitor's height, never larger than the monitor.
QSize articleWindowSize(const QRect& monitor);

} // namespace zarvik
