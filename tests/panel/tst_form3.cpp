#include "DictionaryDouble.h"

#include "panel/DictionaryWindow.h"
#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/PanelCommands.h"
#include "panel/PanelMask.h"
#include "panel/PictureBox.h"
#include "panel/ResultList.h"
#include "panel/SearchInput.h"
#include "platform/fake/FakePlatform.h"
#include "popup/HiddenState.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace zarvik;

namespace {
// The fake screen: 1024 x 768 pixels.
constexpr int W = 1024 * 15;
constexpr int H = 768 * 15;

// Types text as key presses; QTest's own typing knows Latin letters only.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

QPixmap solid(QColor color)
{
    QPixmap pixmap(17, 27);
    pixmap.fill(color);
    return pixmap;
}
} // namespace

class TestForm3 : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(iniPath());
        m_platform = std::make_unique<FakePlatform>();
        m_platform->setScreenSize(QSize(1024, 768));
        m_settings = std::make_unique<Settings>(iniPath());
        m_state = std::make_unique<HiddenState>();
        m_panel = std::make_unique<Form3>(*m_platform, *m_settings, *m_state, m_dir.path());
        m_panel->setLister(m_dict);
        m_dict.queries.clear();
        m_closed = solid(Qt::blue);
        m_open = solid(Qt::red);
        m_panel->Picture3->setPicture(m_closed);
        m_panel->Picture4->setPicture(m_open);
        m_panel->Picture2->setPicture(m_closed);
    }
    void cleanup()
    {
        m_panel.reset();
        m_state.reset();
        m_settings.reset();
        m_platform.reset();
    }

    void loadShowsOnlyTheStrip()
    {
        QCOMPARE(m_panel->heightTwips(), 380);
        QCOMPARE(m_panel->List1->lines(), QStringList{QString()});
        QCOMPARE(m_panel->listHeightTwips(), 255);
        QCOMPARE(m_panel->width(), 383);
        QCOMPARE(m_panel->pos(), QPoint(-10000, -10000));
        QVERIFY(m_panel->Timer1.isActive());
        QCOMPARE(m_panel->Timer1.interval(), 100);
        QVERIFY(!m_panel->Timer2.isActive());
        QCOMPARE(m_panel->Timer2.interval(), 7000);
        QCOMPARE(m_panel->mask(), PanelMask::region());
        QCOMPARE(m_panel->Data1().databaseName(), m_dir.path() + QStringLiteral("/zarvik.bdd"));
        QVERIFY(m_panel->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(m_panel->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(m_panel->Text1->geometry(), QRect(96, 4, 283, 19));
        QCOMPARE(m_panel->List1->geometry(), QRect(96, 28, 283, 17));
        QCOMPARE(m_panel->Picture2->geometry(), QRect(0, 0, 17, 27));
        QVERIFY(m_panel->Text1->toolTip().startsWith(QStringLiteral("В это поле")));
        QVERIFY(m_panel->List1->toolTip().startsWith(QStringLiteral("Здесь отображается")));
        QCOMPARE(m_panel->Picture2->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(m_panel->Label4->cursor().shape(), Qt::PointingHandCursor);
    }

    // The start-up makes the panel without its input line and list, which wait for the fonts;
    // whatever makes them first, they are the whole panel's: in place, above the strip's mouse
    // areas, listing as the user types.
    // The outline: the window shaped on a bare X server; see-through corners where a
    // compositing manager blends windows (a shape there shows black corners).
    void outline_data()
    {
        QTest::addColumn<bool>("compositing");
        QTest::newRow("no compositing manager: the window is shaped") << false;
        QTest::newRow("compositing manager: see-through corners") << true;
    }
    void outline()
    {
        QFETCH(bool, compositing);
        m_platform->setCompositingManager(compositing);
        Form3 panel(*m_platform, *m_settings, *m_state, m_dir.path());
        QCOMPARE(panel.testAttribute(Qt::WA_TranslucentBackground), compositing);
        QCOMPARE(panel.mask(), compositing ? QRegion() : PanelMask::region());
        QCOMPARE(panel.Picture1->mask(), compositing ? PanelMask::region() : QRegion());
        if (compositing) {
            // Drawn, the corner outside the outline stays clear and the handle is painted.
            panel.Picture1->setPicture(solid(Qt::red));
            panel.resize(383, 25);
            QImage drawn(panel.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::transparent);
            panel.render(&drawn, QPoint(), QRegion(), QWidget::DrawChildren);
            QCOMPARE(qAlpha(drawn.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(drawn.pixel(8, 12)), 255);
        }
    }

    void textControlsMadeWhenNeeded_data()
    {
        QTest::addColumn<QString>("maker");
        QTest::newRow("a click opens the panel") << QStringLiteral("click");
        QTest::newRow("the panel takes the keyboard") << QStringLiteral("keyboard");
        QTest::newRow("the fonts are read") << QStringLiteral("fonts");
    }
    void textControlsMadeWhenNeeded()
    {
        QFETCH(QString, maker);
        Form3 panel(*m_platform, *m_settings, *m_state, m_dir.path(), Form3::TextControls::WhenNeeded);
        panel.setLister(m_dict);
        panel.show();
        QVERIFY(!panel.Text1 && !panel.List1);
        panel.closingSequence(); // nothing typed yet, nothing to clear
        QVERIFY(!panel.Text1);
        if (maker == QLatin1String("click")) {
            QTest::mouseClick(panel.Label3, Qt::LeftButton, {}, QPoint(5, 10));
            QCOMPARE(panel.leftTwips(), W - 5750);
        } else if (maker == QLatin1String("keyboard")) {
            panel.takeKeyboard();
        } else {
            panel.makeTextControls();
        }
        QVERIFY(panel.Text1 && panel.List1);
        QVERIFY(panel.Text1->isVisible() && panel.List1->isVisible());
        QCOMPARE(panel.Text1->geometry(), QRect(96, 4, 283, 19));
        QCOMPARE(panel.List1->geometry(), QRect(96, 28, 283, 17));
        QCOMPARE(panel.List1->lines(), QStringList{QString()});
        QCOMPARE(panel.Picture1->childAt(panel.Text1->geometry().center()), panel.Text1);
        QTest::keyClicks(panel.Text1, QStringLiteral("cat"));
        QCOMPARE(panel.List1->lines().value(0), QStringLiteral("cat - кошка"));
        QCOMPARE(panel.heightTwips(), 1186);
    }

    void typingListsAndSizes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("height");
        QTest::newRow("c") << QStringLiteral("c") << 10 << QStringLiteral("cab - такси") << 2642;
        QTest::newRow("ca") << QStringLiteral("ca") << 10 << QStringLiteral("cab - такси") << 2642;
        QTest::newRow("cat") << QStringLiteral("cat") << 3 << QStringLiteral("cat - кошка") << 1186;
        QTest::newRow("catc") << QStringLiteral("catc") << 1 << QStringLiteral("catch - ловить") << 770;
        QTest::newRow("no match") << QStringLiteral("zzz") << 1 << QStringLiteral("zzz - ???") << 770;
        QTest::newRow("capitals") << QStringLiteral("CAT") << 3 << QStringLiteral("cat - кошка") << 1186;
        QTest::newRow("Cyrillic") << QStringLiteral("до") << 1 << QStringLiteral("дом - house") << 770;
        // cat, catch, cattle, cot, cut
        QTest::newRow("question mark is a pattern") << QStringLiteral("c?t") << 5 << QStringLiteral("cat - кошка")
                                                    << 1602;
        QTest::newRow("number sign accepted") << QStringLiteral("c#") << 1 << QStringLiteral("c# - ???") << 770;
    }
    void typingListsAndSizes()
    {
        QFETCH(QString, typed);
        QFETCH(int, lines);
        QFETCH(QString, first);
        QFETCH(int, height);
        typeText(m_panel->Text1, typed);
        QCOMPARE(m_panel->Text1->text(), typed);
        QCOMPARE(m_dict.queries.size(), typed.size()); // one query per keystroke
        QCOMPARE(m_dict.queries.last(), typed);
        QCOMPARE(m_panel->List1->count(), lines);
        QCOMPARE(m_panel->List1->lines().first(), first);
        QCOMPARE(m_panel->listHeightTwips(), 255 + 208 * (lines - 1));
        QCOMPARE(m_panel->heightTwips(), height);
        QCOMPARE(m_panel->height(), qRound(height / 15.0));
    }

    void tenLinesShowWithoutScrollBar()
    {
        m_panel->show();
        QTest::keyClicks(m_panel->Text1, QStringLiteral("c"));
        QCOMPARE(m_panel->List1->count(), 10);
        QCOMPARE(m_panel->List1->font().family(), QStringLiteral("DejaVu Sans"));
        const QRect last = m_panel->List1->visualItemRect(m_panel->List1->item(9));
        QVERIFY2(last.bottom() < m_panel->List1->viewport()->height(),
                 qPrintable(QStringLiteral("line 10 ends at %1 of %2").arg(last.bottom()).arg(m_panel->List1->viewport()->height())));
        QVERIFY(!m_panel->List1->verticalScrollBar()->isVisible());
        // The list lies inside the panel.
        QVERIFY(m_panel->List1->geometry().bottom() < m_panel->height());
        // The font's lines fit the fixed line height.
        QVERIFY(m_panel->List1->fontMetrics().height() <= ResultList::kLinePixels);
    }

    void deletingTheLastCharacterShrinks()
    {
        QTest::keyClicks(m_panel->Text1, QStringLiteral("ca"));
        QTest::keyClick(m_panel->Text1, Qt::Key_Backspace);
        QCOMPARE(m_panel->heightTwips(), 2642);
        QTest::keyClick(m_panel->Text1, Qt::Key_Backspace);
        QCOMPARE(m_panel->Text1->text(), QString());
        QCOMPARE(m_panel->List1->lines(), QStringList{QString()});
        QCOMPARE(m_panel->heightTwips(), 380);
    }

    void asteriskClearsAtOnce()
    {
        QTest::keyClick(m_panel->Text1, '*');
        QCOMPARE(m_panel->Text1->text(), QString());
        QCOMPARE(m_panel->List1->lines(), QStringList{QString()});
        QCOMPARE(m_panel->heightTwips(), 380);
        QVERIFY(m_dict.queries.isEmpty());
    }

    void refusedKeysDoNothing_data()
    {
        QTest::addColumn<char>("key");
        QTest::newRow("vertical bar") << '|';
        QTest::newRow("opening bracket") << '[';
        QTest::newRow("closing bracket") << ']';
        QTest::newRow("double quote") << '"';
    }
    void refusedKeysDoNothing()
    {
        QFETCH(char, key);
        QTest::keyClicks(m_panel->Text1, QStringLiteral("ca"));
        const QStringList before = m_panel->List1->lines();
        const qsizetype queries = m_dict.queries.size();
        QTest::keyClick(m_panel->Text1, key);
        QCOMPARE(m_panel->Text1->text(), QStringLiteral("ca"));
        QCOMPARE(m_dict.queries.size(), queries);
        QCOMPARE(m_panel->List1->lines(), before);
    }

    // The help page offers pattern characters; each one it offers can be typed after a
    // letter (a lone "*" empties the line, as the help says).
    void helpOffersOnlyTypeablePatterns()
    {
        QFile page(QStringLiteral(ZARVIK_SOURCE_DIR "/data/help/panel.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        const qsizetype start = html.indexOf(QStringLiteral("знаки шаблона"));
        QVERIFY(start >= 0);
        const QString paragraph = html.mid(start, html.indexOf(QStringLiteral("</p>"), start) - start);
        QStringList offered;
        const QRegularExpression bold(QStringLiteral("<b>(.*?)</b>"));
        for (auto it = bold.globalMatch(paragraph); it.hasNext();)
            offered.append(it.next().captured(1));
        QVERIFY(offered.size() >= 3);
        for (const QString& pattern : offered) {
            m_panel->Text1->clear();
            typeText(m_panel->Text1, QStringLiteral("c") + pattern);
            QVERIFY2(m_panel->Text1->text() == QStringLiteral("c") + pattern, qPrintable(pattern));
        }
    }

    // Lines of the list are plain text in their own direction, and bounded.
    void listShowsDictionaryTextPlain()
    {
        const QString longTranslation(5'000'000, QChar(0x0436));
        m_panel->List1->setLines({QStringLiteral("cat - \u202Eкошка"), QStringLiteral("x - ") + longTranslation});
        const QStringList shown = m_panel->List1->lines();
        QCOMPARE(shown.first(), QStringLiteral("cat - кошка"));
        QCOMPARE(shown.last().size(), 1001); // 1000 characters and "…"
        QVERIFY(shown.last().endsWith(QChar(0x2026)));
    }

    void pastedTextIsNotFiltered_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("query");
        QTest::newRow("trailing line break dropped from the query") << QStringLiteral("cat\r\n")
                                                                    << QStringLiteral("cat");
        QTest::newRow("refused characters pass when pasted") << QStringLiteral("a\"b[c]|") << QStringLiteral("a\"b[c]|");
    }
    void pastedTextIsNotFiltered()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, query);
        QGuiApplication::clipboard()->setText(clipboard);
        m_panel->Text1->paste();
        QVERIFY(!m_dict.queries.isEmpty());
        QCOMPARE(m_dict.queries.last(), query);
        QCOMPARE(m_panel->List1->count(), query == QLatin1String("cat") ? 3 : 1);
    }

    // A huge paste (a whole page of brackets) is cut to the line's bound: the search reads a
    // bounded text, whatever the clipboard held.
    void pasteIsCutToTheBound()
    {
        m_panel->Text1->clear();
        QGuiApplication::clipboard()->setText(QString(32000, QLatin1Char('[')));
        m_panel->Text1->paste();
        QCOMPARE(m_panel->Text1->text(), QString(SearchInput::kMaxLength, QLatin1Char('[')));
        QCOMPARE(m_dict.queries.last(), m_panel->Text1->text());
    }

    void textKeepsTheLineBreakThatTheQueryDrops()
    {
        m_panel->Text1->setText(QStringLiteral("cat\r\n"));
        QCOMPARE(m_panel->Text1->text(), QStringLiteral("cat\r\n"));
        QCOMPARE(m_dict.queries.last(), QStringLiteral("cat"));
        QCOMPARE(m_panel->List1->lines().first(), QStringLiteral("cat - кошка"));
    }

    void activationPlacement_data()
    {
        QTest::addColumn<bool>("bigpanel");
        QTest::addColumn<QString>("stored"); // "<absent>": no key
        QTest::addColumn<double>("top");
        QTest::addColumn<QString>("afterwards"); // "<absent>": still no key
        QTest::newRow("first show, no settings") << false << QStringLiteral("<absent>") << H / 2.0
                                                 << QStringLiteral("<absent>");
        QTest::newRow("big panel") << true << QStringLiteral("<absent>") << H / 2.0 << QStringLiteral("<absent>");
        QTest::newRow("stored in range") << false << QStringLiteral("3000") << 3000.0 << QStringLiteral("3000");
        QTest::newRow("below the screen") << false << QStringLiteral("20000") << H / 2.0 << QStringLiteral("5760");
        QTest::newRow("negative") << false << QStringLiteral("-300") << H / 2.0 << QStringLiteral("5760");
        QTest::newRow("not a number") << false << QStringLiteral("middle") << H / 2.0 << QStringLiteral("5760");
    }
    void activationPlacement()
    {
        QFETCH(bool, bigpanel);
        QFETCH(QString, stored);
        QFETCH(double, top);
        QFETCH(QString, afterwards);
        m_settings->writeFlag(Key::bigpanel, bigpanel);
        if (stored != QLatin1String("<absent>"))
            m_settings->write(Key::PanelPos, stored);
        m_panel->show();
        QCOMPARE(m_panel->leftTwips(), W - 250 - (bigpanel ? 1100 : 0));
        QCOMPARE(m_panel->x(), qRound((W - 250 - (bigpanel ? 1100 : 0)) / 15.0));
        QCOMPARE(m_panel->topTwips(), top);
        QCOMPARE(m_panel->y(), qRound(top / 15));
        QCOMPARE(m_settings->text(Key::PanelPos, QStringLiteral("<absent>")), afterwards);
    }

    void activationKeepsAnOpenPanelOpen()
    {
        m_panel->show();
        m_panel->openingSequence();
        QCOMPARE(m_panel->leftTwips(), W - 5750);
        m_panel->Form_Activate();
        QCOMPARE(m_panel->leftTwips(), W - 5750);
    }

    // Monitors plugged in or out under a running panel (pixels; the first monitor primary).
    void followsTheMonitors_data()
    {
        QTest::addColumn<QList<QRect>>("before");
        QTest::addColumn<QList<QRect>>("after");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("left");
        QTest::addColumn<double>("top");
        const QRect laptop(0, 0, 1280, 800), external(1280, 0, 1920, 1080);
        QTest::newRow("undocked: the open panel comes to the laptop, mid-height")
            << QList<QRect>{laptop, external} << QList<QRect>{laptop} << true << QStringLiteral("13500")
            << 1280 * 15 - 5750 << 400 * 15.0;
        QTest::newRow("docked: the closed panel goes to the new right edge, its place kept")
            << QList<QRect>{laptop} << QList<QRect>{laptop, external} << false << QStringLiteral("3000")
            << 3200 * 15 - 250 << 3000.0;
        QTest::newRow("resized: the closed panel follows the edge")
            << QList<QRect>{laptop} << QList<QRect>{QRect(0, 0, 1024, 768)} << false << QStringLiteral("3000")
            << 1024 * 15 - 250 << 3000.0;
        QTest::newRow("monitor left of it removed: nothing moves")
            << QList<QRect>{external, laptop} << QList<QRect>{external} << true << QStringLiteral("3000")
            << 3200 * 15 - 5750 << 3000.0;
    }
    void followsTheMonitors()
    {
        QFETCH(QList<QRect>, before);
        QFETCH(QList<QRect>, after);
        QFETCH(bool, open);
        QFETCH(QString, stored);
        QFETCH(int, left);
        QFETCH(double, top);
        m_platform->setMonitors(before);
        m_platform->setMonitorsChangedHandler([this] { m_panel->monitorsChanged(); });
        m_settings->write(Key::PanelPos, stored);
        m_panel->show();
        if (open)
            m_panel->openingSequence();
        m_platform->setMonitors(after);
        QCOMPARE(m_panel->leftTwips(), left);
        QCOMPARE(m_panel->isOpenPosition(), open);
        QCOMPARE(m_panel->topTwips(), top);
        QCOMPARE(m_panel->pos(), QPoint(qRound(left / 15.0), qRound(top / 15)));
        QCOMPARE(m_settings->text(Key::PanelPos), QString::number(top, 'g', 7));
    }

    void openListStaysOnItsMonitor()
    {
        // Two monitors one above the other; the handle sits at the bottom of the upper one.
        m_platform->setMonitors({QRect(0, 0, 1024, 768), QRect(0, 768, 1024, 768)});
        m_settings->write(Key::PanelPos, QStringLiteral("11140"));
        m_panel->show();
        QCOMPARE(m_panel->y(), 743);
        m_panel->openingSequence();
        typeText(m_panel->Text1, QStringLiteral("c"));
        // Ten lines, 2642 twips: the window rises to end on the upper monitor's last row.
        QCOMPARE(m_panel->heightTwips(), 2642);
        QCOMPARE(m_panel->geometry(), QRect(1024 - 383, 592, 383, 176));
        QCOMPARE(m_panel->topTwips(), 11140.0);
        typeText(m_panel->Text1, QStringLiteral("atc")); // one line, 770 twips
        QCOMPARE(m_panel->y(), 717);
        QTest::keyClick(m_panel->Text1, Qt::Key_Escape);
        QCOMPARE(m_panel->y(), 743);
        QCOMPARE(m_settings->text(Key::PanelPos), QStringLiteral("11140"));
    }

    void slidesStepThroughFourPositions_data()
    {
        QTest::addColumn<bool>("bigpanel");
        QTest::newRow("small panel") << false;
        QTest::newRow("big panel") << true;
    }
    void slidesStepThroughFourPositions()
    {
        QFETCH(bool, bigpanel);
        const int e = bigpanel ? 1100 : 0;
        m_settings->writeFlag(Key::bigpanel, bigpanel);
        m_panel->show();
        const int closed = W - 250 - e;
        QCOMPARE(m_panel->leftTwips(), closed);

        QList<int> seen;
        QList<double> stepTimes;
        m_platform->onProcessEvents([&] {
            if (seen.isEmpty() || seen.last() != m_panel->leftTwips()) {
                seen.append(m_panel->leftTwips());
                stepTimes.append(m_platform->clockSeconds());
                QCOMPARE(m_panel->x(), qRound(m_panel->leftTwips() / 15.0));
            }
        });
        const double start = m_platform->clockSeconds();
        m_panel->openingSequence();
        QCOMPARE(seen, (QList<int>{closed - 1000, closed - 2000, closed - 3000, closed - 4000}));
        QCOMPARE(m_panel->leftTwips(), W - 5750);
        QCOMPARE(m_panel->Picture2->picture().cacheKey(), m_open.cacheKey());
        // Each step waits at least 0.03 s on the clock before the next one.
        QVERIFY(m_platform->clockSeconds() - start >= 0.12 - 1e-9);
        for (int i = 1; i < stepTimes.size(); ++i)
            QVERIFY(stepTimes[i] - stepTimes[i - 1] >= 0.03 - 1e-9);

        seen.clear();
        QTest::keyClicks(m_panel->Text1, QStringLiteral("cat"));
        m_panel->closingSequence();
        const int open = W - 5750;
        QCOMPARE(seen, (QList<int>{open + 1000, open + 2000, open + 3000, open + 4000}));
        QCOMPARE(m_panel->leftTwips(), closed);
        QCOMPARE(m_panel->Text1->text(), QString());
        QCOMPARE(m_panel->heightTwips(), 380);
        QVERIFY(!m_panel->Timer2.isActive());
        QCOMPARE(m_panel->Picture2->picture().cacheKey(), m_closed.cacheKey());
    }

    void closingAClosedPanelStepsOutAndBack()
    {
        m_panel->show();
        const int closed = W - 250;
        QList<int> seen;
        m_platform->onProcessEvents([&] {
            if (seen.isEmpty() || seen.last() != m_panel->leftTwips())
                seen.append(m_panel->leftTwips());
        });
        m_panel->closingSequence();
        QCOMPARE(seen, (QList<int>{closed + 1000, closed + 2000, closed + 3000, closed + 4000}));
        QCOMPARE(m_panel->leftTwips(), closed);
    }

    void quickClickOpensAndCloses_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("handle") << QStringLiteral("Label3");
        QTest::newRow("strip") << QStringLiteral("Label4");
    }
    void quickClickOpensAndCloses()
    {
        QFETCH(QString, label);
        m_panel->show();
        MouseArea* area = label == QLatin1String("Label3") ? m_panel->Label3 : m_panel->Label4;
        m_state->takePanelPress();
        QTest::mousePress(area, Qt::LeftButton, {}, QPoint(5, 10));
        QVERIFY(m_state->Label3());
        QVERIFY(m_panel->dragging());
        QVERIFY(m_panel->Timer1.isActive());
        QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(m_panel->leftTwips(), W - 5750);
        QVERIFY(!m_panel->dragging());
        QVERIFY(m_panel->Timer2.isActive());
        QCOMPARE(m_settings->text(Key::PanelPos), QStringLiteral("5760"));

        QTest::keyClicks(m_panel->Text1, QStringLiteral("ca"));
        QTest::mousePress(area, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(m_panel->leftTwips(), W - 250);
        QCOMPARE(m_panel->Text1->text(), QString());
        QVERIFY(!m_panel->Timer2.isActive());
    }

    // A press that has not moved the panel is a click however long it lasts; one that moved
    // it (the pointer went the toolkit's drag distance, 10 pixels here) is a drag however
    // short. The button is really held for the time of each row.
    void pressLengthAndMovement_data()
    {
        QTest::addColumn<int>("heldMs");
        QTest::addColumn<int>("movedPixels");
        QTest::addColumn<bool>("click");
        QTest::newRow("20 ms, still: click") << 20 << 0 << true;
        QTest::newRow("90 ms, still: click") << 90 << 0 << true;
        QTest::newRow("150 ms, still: click") << 150 << 0 << true;
        QTest::newRow("300 ms, still: click") << 300 << 0 << true;
        QTest::newRow("150 ms, 9 px down: click") << 150 << 9 << true;
        QTest::newRow("150 ms, 10 px down: drag") << 150 << 10 << false;
        QTest::newRow("20 ms, 10 px down: drag") << 20 << 10 << false;
        QTest::newRow("300 ms, 9 px up: click") << 300 << -9 << true;
        QTest::newRow("300 ms, 10 px up: drag") << 300 << -10 << false;
    }
    void pressLengthAndMovement()
    {
        QFETCH(int, heldMs);
        QFETCH(int, movedPixels);
        QFETCH(bool, click);
        m_panel->show();
        // The activation that showing brings places the panel afresh: it comes first.
        QTest::qWait(20);
        const double top = m_panel->topTwips();
        MouseArea* strip = m_panel->Label4;
        const QPoint at(50, 10);
        const QPoint atGlobal = strip->mapToGlobal(at);
        QTest::mousePress(strip, Qt::LeftButton, {}, at);
        if (movedPixels != 0) {
            // Halfway first: below the distance the panel does not follow yet.
            for (const int step : {movedPixels / 2, movedPixels}) {
                const QPoint to = atGlobal + QPoint(0, step);
                QMouseEvent move(QEvent::MouseMove, strip->mapFromGlobal(QPointF(to)), QPointF(to), Qt::NoButton,
                                 Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(strip, &move);
            }
        }
        QTest::qWait(heldMs);
        const QPoint releasedAt = atGlobal + QPoint(0, movedPixels);
        QMouseEvent release(QEvent::MouseButtonRelease, strip->mapFromGlobal(QPointF(releasedAt)), QPointF(releasedAt),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(strip, &release);

        QCOMPARE(m_panel->leftTwips(), click ? W - 5750 : W - 250);
        QCOMPARE(m_panel->topTwips(), click ? top : top + movedPixels * 15);
        QCOMPARE(m_settings->panelPos(), std::optional<float>(static_cast<float>(click ? top : top + movedPixels * 15)));
    }

    void longPressDragsWithoutOpening()
    {
        m_panel->show();
        const double top = m_panel->topTwips();
        m_panel->Label_MouseDown(Qt::LeftButton, 150, {});
        m_panel->Timer1_Timer(); // 100 ms have passed
        QVERIFY(!m_panel->Timer1.isActive());
        // The pointer goes 300 and then 600 twips down from where it was pressed; positions
        // are within the strip, which moves with the panel.
        m_panel->Label_MouseMove(450);
        QCOMPARE(m_panel->topTwips(), top + 300);
        m_panel->Label_MouseMove(450);
        QCOMPARE(m_panel->topTwips(), top + 600);
        QCOMPARE(m_panel->y(), qRound((top + 600) / 15));
        m_panel->Label_MouseUp();
        QCOMPARE(m_panel->leftTwips(), W - 250);
        QVERIFY(!m_panel->dragging());
        QCOMPARE(m_settings->panelPos(), std::optional<float>(static_cast<float>(top + 600)));
        // Moves after the release do nothing.
        m_panel->Label_MouseMove(2000);
        QCOMPARE(m_panel->topTwips(), top + 600);
    }

    void dragStopsAtTheScreenEdges()
    {
        // A drag past either edge leaves the strip whole on the screen, and that is stored.
        m_panel->show();
        m_panel->Label_MouseDown(Qt::LeftButton, 0, {});
        m_panel->Timer1_Timer();
        m_panel->Label_MouseMove(-(H / 2.0) - 300);
        m_panel->Label_MouseUp();
        QCOMPARE(m_settings->text(Key::PanelPos), QStringLiteral("0"));
        QCOMPARE(m_panel->topTwips(), 0.0);
        m_panel->Label_MouseDown(Qt::LeftButton, 0, {});
        m_panel->Timer1_Timer();
        m_panel->Label_MouseMove(H + 1000);
        m_panel->Label_MouseUp();
        QCOMPARE(m_panel->topTwips(), H - 380.0);
        m_panel->Form_Activate();
        QCOMPARE(m_panel->topTwips(), H - 380.0);
        QCOMPARE(m_settings->text(Key::PanelPos), QString::number(H - 380));
    }

    void realMouseDragFollowsThePointer()
    {
        m_panel->show();
        const double top = m_panel->topTwips();
        QTest::mousePress(m_panel->Label4, Qt::LeftButton, {}, QPoint(50, 10));
        m_panel->Timer1_Timer();
        QMouseEvent move(QEvent::MouseMove, QPointF(50, 50), m_panel->Label4->mapToGlobal(QPointF(50, 50)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_panel->Label4, &move);
        QCOMPARE(m_panel->topTwips(), top + 40 * 15);
        QTest::mouseRelease(m_panel->Label4, Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(m_panel->leftTwips(), W - 250);
    }

    void rightButtonPopsTheMenuAndMovesNothing()
    {
        m_panel->show();
        m_panel->Timer1_Timer();
        QList<QPoint> menus;
        m_panel->setMenuHook([&](QPoint at) { menus.append(at); });
        const QPoint before = m_panel->pos();
        QTest::mousePress(m_panel->Label3, Qt::RightButton, {}, QPoint(4, 6));
        QCOMPARE(menus, QList<QPoint>{m_panel->Label3->mapToGlobal(QPoint(4, 6))});
        QVERIFY(m_state->Label3());
        QVERIFY(!m_panel->dragging());
        QVERIFY(!m_panel->Timer1.isActive());
        QTest::mouseRelease(m_panel->Label3, Qt::RightButton, {}, QPoint(4, 6));
        QCOMPARE(m_panel->pos(), before);
        QCOMPARE(m_panel->leftTwips(), W - 250);
    }

    void autoHide_data()
    {
        QTest::addColumn<QString>("hide5sec");
        QTest::newRow("on") << QStringLiteral("1");
        QTest::newRow("off") << QStringLiteral("0");
    }
    void autoHide()
    {
        QFETCH(QString, hide5sec);
        const bool on = hide5sec == QLatin1String("1");
        m_settings->write(Key::hide5sec, hide5sec);
        m_panel->show();
        m_panel->Label_MouseDown(Qt::LeftButton, 10, {});
        m_panel->Label_MouseUp();
        QCOMPARE(m_panel->leftTwips(), W - 5750);
        QCOMPARE(m_panel->Timer2.isActive(), on);

        // Each key postpones the auto-hide by the full 7 s. The countdown started by the click
        // is stopped first: a key that left it alone would otherwise look the same.
        m_panel->Timer2.stop();
        QTest::keyClick(m_panel->Text1, 'c');
        QCOMPARE(m_panel->Timer2.isActive(), on);
        if (on)
            QVERIFY(m_panel->Timer2.remainingTime() > 6000);

        // Handling the panel stops the countdown until the button goes up again; a drag
        // leaves it open.
        m_panel->Label_MouseDown(Qt::LeftButton, 10, {});
        QVERIFY(!m_panel->Timer2.isActive());
        m_panel->Timer1_Timer();
        m_panel->Label_MouseMove(610);
        m_panel->Label_MouseUp();
        QCOMPARE(m_panel->Timer2.isActive(), on);
        QCOMPARE(m_panel->leftTwips(), W - 5750);

        if (on) {
            m_panel->Timer2_Timer();
            QCOMPARE(m_panel->leftTwips(), W - 250);
            QVERIFY(!m_panel->Timer2.isActive());
            QCOMPARE(m_panel->Text1->text(), QString());
        }
    }

    void escapeClosesThePanel()
    {
        m_panel->show();
        m_panel->openingSequence();
        m_panel->Timer2.start();
        QTest::keyClicks(m_panel->Text1, QStringLiteral("cat"));
        QTest::keyClick(m_panel->Text1, Qt::Key_Escape);
        QCOMPARE(m_panel->leftTwips(), W - 250);
        QCOMPARE(m_panel->Text1->text(), QString());
        QCOMPARE(m_panel->heightTwips(), 380);
        QVERIFY(!m_panel->Timer2.isActive());
        QCOMPARE(m_panel->Picture2->picture().cacheKey(), m_closed.cacheKey());
    }

    // Down and Up move a mark through the list; Enter opens the marked line (the first with
    // no mark), a double-click the line clicked; an empty input opens nothing. Auto-hide
    // goes on counting from the last key.
    void keysMoveAndOpen_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("keys"); // d: Down, u: Up, e: Enter, 2: double-click on the third line
        QTest::addColumn<int>("marked");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("Enter without a mark opens the first line")
            << "cat" << "e" << -1 << QStringList{QStringLiteral("cat - кошка")};
        QTest::newRow("Down marks the first line") << "ca" << "d" << 0 << QStringList{};
        QTest::newRow("Down, Down, Enter opens the second")
            << "ca" << "dde" << 1 << QStringList{QStringLiteral("cabbage - капуста")};
        QTest::newRow("Up without a mark reaches the last line")
            << "cat" << "ue" << 2 << QStringList{QStringLiteral("cattle - скот")};
        QTest::newRow("Up stops at the first line") << "ca" << "duu" << 0 << QStringList{};
        QTest::newRow("Down stops at the last line") << "cat" << "ddddd" << 2 << QStringList{};
        QTest::newRow("typing drops the mark") << "ca" << "dd" << 1 << QStringList{};
        QTest::newRow("empty input: nothing to mark or open") << "" << "de" << -1 << QStringList{};
        QTest::newRow("double-click opens its line")
            << "ca" << "2" << -1 << QStringList{QStringLiteral("cable - кабель")};
    }
    void keysMoveAndOpen()
    {
        QFETCH(QString, typed);
        QFETCH(QString, keys);
        QStringList opened;
        m_panel->setArticleHook([&opened](const QString& line) { opened.append(line); });
        m_panel->show();
        m_panel->openingSequence();
        QTest::keyClicks(m_panel->Text1, typed);
        m_panel->Timer2.stop();
        for (const QChar key : keys) {
            if (key == QLatin1Char('d'))
                QTest::keyClick(m_panel->Text1, Qt::Key_Down);
            else if (key == QLatin1Char('u'))
                QTest::keyClick(m_panel->Text1, Qt::Key_Up);
            else if (key == QLatin1Char('e'))
                QTest::keyClick(m_panel->Text1, Qt::Key_Return);
            else
                QTest::mouseDClick(m_panel->List1->viewport(), Qt::LeftButton, {},
                                   m_panel->List1->visualItemRect(m_panel->List1->item(2)).center());
        }
        QTEST(m_panel->List1->markedRow(), "marked");
        QTEST(opened, "opened");
        QVERIFY(m_panel->Timer2.isActive());
        // The keys change neither the input nor the list, and the panel stays open.
        QCOMPARE(m_panel->Text1->text(), typed);
        QCOMPARE(m_panel->leftTwips(), W - 5750);
        if (QString(QTest::currentDataTag()) == QLatin1String("typing drops the mark")) {
            QTest::keyClick(m_panel->Text1, 'b');
            QCOMPARE(m_panel->List1->markedRow(), -1);
        }
    }

    // Opening an article leaves the keyboard to the article window: the panel's later
    // closing no longer hands it back to the program that had it.
    void openingAnArticleKeepsTheKeyboardThere()
    {
        m_panel->setArticleHook([](const QString&) {});
        m_platform->setForegroundWindow(4242);
        m_panel->show();
        QTest::mousePress(m_panel->Label3, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseRelease(m_panel->Label3, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::keyClicks(m_panel->Text1, QStringLiteral("cat"));
        QTest::keyClick(m_panel->Text1, Qt::Key_Return);
        QTest::keyClick(m_panel->Text1, Qt::Key_Escape);
        QCOMPARE(m_panel->leftTwips(), W - 250);
        QVERIFY(m_platform->activatedWindows().isEmpty());
    }


    void keyboardGoesBackToTheUsersWindowOnClose_data()
    {
        QTest::addColumn<QString>("closer");
        QTest::newRow("escape") << QStringLiteral("escape");
        QTest::newRow("click on the handle") << QStringLiteral("click");
        QTest::newRow("auto-hide") << QStringLiteral("timer");
    }
    void keyboardGoesBackToTheUsersWindowOnClose()
    {
        QFETCH(QString, closer);
        m_platform->setForegroundWindow(4242);
        m_panel->show();
        QTest::mousePress(m_panel->Label3, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseRelease(m_panel->Label3, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(m_panel->leftTwips(), W - 5750);
        QVERIFY(m_platform->activatedWindows().isEmpty());

        if (closer == QLatin1String("escape")) {
            QTest::keyClick(m_panel->Text1, Qt::Key_Escape);
        } else if (closer == QLatin1String("click")) {
            QTest::mousePress(m_panel->Label3, Qt::LeftButton, {}, QPoint(5, 10));
            QTest::mouseRelease(m_panel->Label3, Qt::LeftButton, {}, QPoint(5, 10));
        } else {
            m_panel->Timer2_Timer();
        }
        QCOMPARE(m_panel->leftTwips(), W - 250);
        QCOMPARE(m_platform->activatedWindows(), QList<WindowId>{4242});
        // Once given back, a second close has nothing to hand on.
        m_panel->closingSequence();
        QCOMPARE(m_platform->activatedWindows().size(), 1);
    }

    void pressesOnThePanelRaiseTheClickFlag()
    {
        m_panel->show();
        QTest::keyClicks(m_panel->Text1, QStringLiteral("ca"));
        const QStringList before = m_panel->List1->lines();
        for (QWidget* target : {static_cast<QWidget*>(m_panel->Text1), m_panel->List1->viewport(),
                                static_cast<QWidget*>(m_panel->Picture1)}) {
            m_state->takePanelPress();
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 5));
            QVERIFY2(m_state->Label3(), qPrintable(target->objectName()));
        }
        QCOMPARE(m_panel->List1->lines(), before);
        QCOMPARE(m_panel->Text1->text(), QStringLiteral("ca"));
    }

    void focusGoesBackToTheInput()
    {
        m_panel->show();
        m_panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_panel.get()));
        m_panel->List1->setFocus();
        QCOMPARE(QApplication::focusWidget(), m_panel->Text1);
        m_panel->Text1->clearFocus();
        QTest::mouseClick(m_panel->List1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), m_panel->Text1);
        m_panel->Text1->clearFocus();
        QTest::mouseClick(m_panel->Picture1, Qt::LeftButton, {}, QPoint(200, 100));
        QCOMPARE(QApplication::focusWidget(), m_panel->Text1);
    }

    void trayCommand_data()
    {
        QTest::addColumn<QString>("showPanel");
        QTest::newRow("ShowPanel 1") << QStringLiteral("1");
        QTest::newRow("ShowPanel absent") << QStringLiteral("<absent>");
        QTest::newRow("ShowPanel 0") << QStringLiteral("0");
    }
    void trayCommand()
    {
        QFETCH(QString, showPanel);
        if (showPanel != QLatin1String("<absent>"))
            m_settings->write(Key::ShowPanel, showPanel);
        int mainFocus = 0;
        DictionaryWindow dictionary(*m_platform, m_dir.path(), [this](Form1& form) { form.setLister(m_dict); });
        m_panel->show();
        const QPoint start = m_panel->pos();

        mnuopen(*m_settings, *m_panel, dictionary, [&] { ++mainFocus; });
        if (showPanel == QLatin1String("0")) {
            QVERIFY(dictionary.loaded());
            QVERIFY(dictionary.loaded()->isVisible());
            QCOMPARE(m_panel->pos(), start);
            QCOMPARE(m_panel->leftTwips(), W - 250);
            return;
        }
        QVERIFY(!dictionary.loaded());
        QCOMPARE(m_panel->leftTwips(), W - 5750);
        QVERIFY(m_panel->Timer2.isActive());
        QCOMPARE(mainFocus, 0);

        mnuopen(*m_settings, *m_panel, dictionary, [&] { ++mainFocus; });
        QCOMPARE(m_panel->leftTwips(), W - 250);
        QVERIFY(!m_panel->Timer2.isActive());
        QCOMPARE(mainFocus, 1);
    }

    void bigpanelChangeMakesTheNextClickClose()
    {
        m_panel->show();
        QCOMPARE(m_panel->leftTwips(), W - 250);
        m_settings->writeFlag(Key::bigpanel, true);
        QVERIFY(!m_panel->isClosedPosition());
        m_panel->Label_MouseDown(Qt::LeftButton, 10, {});
        m_panel->Label_MouseUp();
        QCOMPARE(m_panel->leftTwips(), W - 250 - 1100);
    }

    void closingDuringAnOpeningSlideWins()
    {
        // An event handled in a pause of the slide may close the panel; the opening then
        // still ends at the open position, as the slide sets it last.
        m_panel->show();
        bool fired = false;
        m_platform->onProcessEvents([&] {
            if (!fired) {
                fired = true;
                m_panel->closingSequence();
            }
        });
        m_panel->openingSequence();
        QCOMPARE(m_panel->leftTwips(), W - 5750);
    }

private:
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Zarvik5.ini")); }

    QTemporaryDir m_dir;
    DictionaryDouble m_dict;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<HiddenState> m_state;
    std::unique_ptr<Form3> m_panel;
    QPixmap m_closed;
    QPixmap m_open;
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
