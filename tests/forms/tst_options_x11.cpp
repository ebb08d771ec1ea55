// The options dialog on a real X server, driven by xdotool as the user's mouse and keyboard:
// the four pages, the preview of each shipped skin, OK restyling the open panel, and a
// program added through the file dialog that is then really left alone by the double-click.
// Screenshots of every step go to build/artifacts/options.
#include "app/Form2.h"
#include "forms/options.h"
#include "panel/Form3.h"
#include "panel/PictureBox.h"
#include "platform/PlatformFactory.h"
#include "platform/X11Platform.h"
#include "settings/Settings.h"
#include "skins/Skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace zarvik;

namespace {

const QString kArtifacts = QStringLiteral(ZARVIK_PROGRAM_DIR "/../artifacts/options");

// Runs a command to its end while the program's own events go on being handled.
QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    QElapsedTimer t;
    t.start();
    // waitForFinished() says false for a process that ended inside processEvents(): ask the state.
    while (process.state() != QProcess::NotRunning && t.elapsed() < 20000) {
        process.waitForFinished(10);
        QCoreApplication::processEvents();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

template <typename F> bool eventually(F condition, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < ms)
        QTest::qWait(20);
    return condition();
}

void click(QPoint global)
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
         QString::number(global.y()), QStringLiteral("click"), QStringLiteral("1")});
    // Longer than the double-click time: two test clicks must never make a double-click,
    // which would send the copy keystroke into the dialog.
    QTest::qWait(700);
}

QPoint centre(QWidget* widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

QPoint itemCentre(QListWidget* list, int row)
{
    return list->viewport()->mapToGlobal(list->visualItemRect(list->item(row)).center());
}

void shot(const QString& name)
{
    QDir().mkpath(kArtifacts);
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                   kArtifacts + QLatin1Char('/') + name + QStringLiteral(".png")});
}

// The colour the user sees at a screen pixel.
QColor onScreen(QPoint global)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, global.x(), global.y(), 1, 1)
        .toImage()
        .pixelColor(0, 0);
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 && qAbs(a.blue() - b.blue()) < 24;
}

// Notes whether the pop-up strip (the main form) came on the screen, however briefly.
class StripWatch final : public QObject {
public:
    bool cameOnScreen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Parked, the strip stands about 667 pixels left of the screen.
        if (event->type() == QEvent::Move && static_cast<QWidget*>(watched)->x() > -600)
            cameOnScreen = true;
        return false;
    }
};

} // namespace

class TestOptionsX11 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(displayReachable(nullptr));
        QVERIFY(m_dir.isValid());
        // As the program does, so that the file dialog is seen as the user sees it.
        if (m_russian.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&m_russian);
        QString error;
        m_platform = X11Platform::create(m_dir.filePath(QStringLiteral("registry.json")), &error);
        QVERIFY2(m_platform, qPrintable(error));
        m_settings = std::make_unique<Settings>(m_dir.filePath(QStringLiteral("Zarvik5.ini")));
        // The panel stays open while the dialog is worked: no closing on a click elsewhere,
        // no auto-hide.
        m_settings->writeFlag(Key::lastfocus, false);
        m_settings->writeFlag(Key::hide5sec, false);
        // The built program folder: its dictionary, silent sound and shipped skins.
        m_form = std::make_unique<Form2>(*m_platform, *m_settings, QStringLiteral(ZARVIK_PROGRAM_DIR));
        Main(*m_form);
        QVERIFY(eventually([&] { return m_form->form3().isVisible(); }));
    }
    void cleanupTestCase()
    {
        if (m_wish.state() != QProcess::NotRunning) {
            m_wish.kill();
            m_wish.waitForFinished(3000);
        }
        m_form.reset();
    }

    void pagesAndPreviews()
    {
        m_form->mnuopen_Click(); // the panel slides open
        QVERIFY(eventually([&] { return !m_form->form3().isClosedPosition(); }));
        m_form->showOptions();
        options* d = m_form->optionsDialog();
        QVERIFY(d);
        d->move(30, 30);
        QVERIFY(QTest::qWaitForWindowExposed(d));
        QTest::qWait(300);
        QWidget* const pages[] = {d->Picture1, d->Picture3, d->Picture5, d->Picture7};
        for (int i = 0; i < 4; ++i) {
            click(itemCentre(d->pvlistbox1, i));
            QVERIFY2(eventually([&] { return pages[i]->isVisible(); }), qPrintable(QString::number(i)));
            for (int j = 0; j < 4; ++j)
                QCOMPARE(pages[j]->isVisible(), i == j);
            shot(QStringLiteral("page-%1").arg(i));
        }
        // Each shipped skin previews with its own panel background where the user looks.
        for (const QString& name : {QStringLiteral("Night"), QStringLiteral("Мята"), kBuiltInSkin}) {
            const QList<QListWidgetItem*> items = d->listskins->findItems(name, Qt::MatchExactly);
            QVERIFY2(!items.isEmpty(), qPrintable(name));
            click(itemCentre(d->listskins, d->listskins->row(items.first())));
            QVERIFY(eventually([&] { return d->selectedSkin() == name; }));
            QVERIFY(d->previewVisible());
            const QPixmap expected = m_form->skins().load(name).picture(SkinFile::panelmain);
            // A spot of the strip between the grip and the input line.
            const QPoint spot(88, 12);
            QTest::qWait(200);
            QVERIFY2(near(onScreen(d->Image1->mapToGlobal(spot)), expected.toImage().pixelColor(spot)),
                     qPrintable(name));
            shot(QStringLiteral("preview-%1").arg(name == kBuiltInSkin ? QStringLiteral("builtin") : name));
        }
        // OK with the dark skin: the open panel changes at once.
        const QList<QListWidgetItem*> night =
            d->listskins->findItems(QStringLiteral("Night"), Qt::MatchExactly);
        click(itemCentre(d->listskins, d->listskins->row(night.first())));
        QPointer<options> dialog = d;
        click(centre(d->Command1));
        QVERIFY(eventually([&] { return dialog.isNull(); }));
        QCOMPARE(m_settings->text(Key::skinname), QStringLiteral("Night"));
        const QImage nightPanel =
            m_form->skins().load(QStringLiteral("Night")).picture(SkinFile::panelmain).toImage();
        Form3& panel = m_form->form3();
        QVERIFY(eventually([&] {
            return near(onScreen(panel.mapToGlobal(QPoint(60, 12))), nightPanel.pixelColor(60, 12));
        }));
        QVERIFY(!panel.isClosedPosition());
        shot(QStringLiteral("panel-Night"));
    }

    // A program added through the file dialog is stored under the name the platform reports
    // for it, so that its window really gets no pop-up afterwards.
    void addedProgramIsLeftAlone()
    {
        if (!m_form->form3().isClosedPosition())
            m_form->form3().closingSequence();
        m_wish.start(QStringLiteral("wish"),
                     {QStringLiteral(ZARVIK_SOURCE_DIR "/tests/e2e/popup/wordwindow.tcl"),
                      QStringLiteral("Words"), QStringLiteral("cat table")});
        QString log; // "word cat X Y": the middle of the word within the window
        QVERIFY(eventually([&] {
            return (log += QString::fromUtf8(m_wish.readAllStandardOutput()))
                .contains(QStringLiteral("words done"));
        }));
        const QStringList cat = log.section(QStringLiteral("word cat "), 1)
                                    .section(QLatin1Char('\n'), 0, 0)
                                    .split(QLatin1Char(' '));
        const QString wid =
            run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                            QStringLiteral("--name"), QStringLiteral("^Words$")})
                .section(QLatin1Char('\n'), 0, 0);
        QVERIFY(cat.size() == 2 && !wid.isEmpty());
        // Parked, the strip stands about 667 pixels left of the screen.
        const auto stripShown = [&] { return m_form->x() > -600; };
        const auto doubleClick = [&] {
            QTest::qWait(800);
            run(QStringLiteral("sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("xdotool mousemove --window %1 %2 %3 click --repeat 2 --delay 80 1")
                     .arg(wid, cat[0], cat[1])});
        };
        // Before: the double-click translates.
        StripWatch watch;
        m_form->installEventFilter(&watch);
        doubleClick();
        QVERIFY2(eventually([&] { return watch.cameOnScreen; }),
                 "no pop-up over the text window before it was listed");
        shot(QStringLiteral("before-listing"));
        QVERIFY(eventually([&] { return !stripShown(); }, 6000));

        // Добавить: the file dialog, where the user types the link /usr/bin/wish.
        m_form->showOptions();
        options* d = m_form->optionsDialog();
        QVERIFY(d && QTest::qWaitForWindowExposed(d));
        d->move(30, 30);
        QTest::qWait(300);
        QProcess typist;
        typist.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral(
                          "xdotool search --sync --name 'Добавить программу в список' >/dev/null; sleep 0.5;"
                          "import -window root '%1/file-dialog.png';"
                          "xdotool type --delay 30 /usr/bin/wish; sleep 0.5; xdotool key Return")
                          .arg(kArtifacts)});
        click(centre(d->Command3));
        QVERIFY(eventually([&] { return d->List1->count() == 1; }, 20000));
        typist.waitForFinished(5000);
        const QString listed = d->List1->item(0)->text();
        QCOMPARE(
            listed,
            QFileInfo(QStringLiteral("/usr/bin/wish")).canonicalFilePath().section(QLatin1Char('/'), -1));
        QCOMPARE(listed, m_platform->windowExeName(wid.toULongLong()));
        shot(QStringLiteral("page-0-listed"));
        QPointer<options> dialog = d;
        click(centre(d->Command1));
        QVERIFY(eventually([&] { return dialog.isNull(); }));
        QCOMPARE(m_settings->text(Key::Apps), listed + QLatin1Char(';'));

        // After: the same double-click brings nothing up.
        watch.cameOnScreen = false;
        m_form->state().word.clear();
        doubleClick();
        QVERIFY2(!eventually([&] { return watch.cameOnScreen; }, 2000),
                 "a pop-up came over a listed program");
        QCOMPARE(m_form->state().word, QString()); // nothing was even captured
        shot(QStringLiteral("after-listing"));
    }

private:
    QTranslator m_russian;
    QTemporaryDir m_dir;
    std::unique_ptr<X11Platform> m_platform;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Form2> m_form;
    QProcess m_wish;
};

QTEST_MAIN(TestOptionsX11)
#include "tst_options_x11.moc"
