// When the pop-up machinery's polls run: the schedule's table, then the main form that applies
// it, driven by the fake platform's reports and clock.
#include "app/Form2.h"
#include "app/HiddenState.h"
#include "app/TickSchedule.h"
#include "platform/Module1.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvik;

namespace {

// Puts the watcher's state named by `what` into `state`: any of "held", "clk", "clk2",
// "clktrans", separated by spaces; everything not named is cleared.
void setState(FakePlatform& platform, HiddenState& state, const QString& what)
{
    const QStringList names = what.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto on = [&](const char* name) { return names.contains(QLatin1String(name)) ? QStringLiteral("1") : QString(); };
    platform.setLeftButtonDown(names.contains(QLatin1String("held")));
    state.clk = on("clk");
    state.setClk2(on("clk2"));
    state.clktrans = on("clktrans");
}

} // namespace

class TestTickSchedule : public QObject {
    Q_OBJECT
private slots:
    void table_data()
    {
        QTest::addColumn<bool>("reports");  // the platform reports presses and owner changes
        QTest::addColumn<bool>("press");    // a press is reported at the start
        QTest::addColumn<QString>("busy");  // the state at the start
        QTest::addColumn<QString>("after"); // the state `later` seconds on
        QTest::addColumn<double>("later");
        QTest::addColumn<bool>("watcher"); // Timer1 needed then
        QTest::addColumn<bool>("lookup");  // Timer3 needed then

        QTest::newRow("nothing happens") << true << false << "" << "" << 60.0 << false << false;
        QTest::newRow("no reports: both poll as ever") << false << false << "" << "" << 60.0 << true << true;
        QTest::newRow("a quick click, at once") << true << true << "" << "" << 0.0 << true << false;
        QTest::newRow("a quick click, just inside the grace") << true << true << "" << "" << 0.49 << true << false;
        QTest::newRow("a quick click, grace over") << true << true << "" << "" << 0.5 << false << false;
        QTest::newRow("button held for a minute") << true << true << "held" << "held" << 60.0 << true << false;
        QTest::newRow("a counted press not yet released") << true << true << "clk" << "clk" << 60.0 << true << false;
        QTest::newRow("double-click window open") << true << true << "clk2" << "clk2" << 60.0 << true << false;
        QTest::newRow("a capture waits for its copy") << true << true << "clktrans" << "clktrans" << 60.0 << true << true;
        // The grace counts from the end of the work, not from the press that started it.
        QTest::newRow("window closed, inside the grace") << true << false << "clk2" << "" << 0.4 << true << false;
        QTest::newRow("window closed, grace over") << true << false << "clk2" << "" << 0.6 << false << false;
        QTest::newRow("capture over, both sleep") << true << false << "clk clktrans" << "" << 0.6 << false << false;
    }
    void table()
    {
        QFETCH(bool, reports);
        QFETCH(bool, press);
        QFETCH(QString, busy);
        QFETCH(QString, after);
        QFETCH(double, later);
        QFETCH(bool, watcher);
        QFETCH(bool, lookup);

        FakePlatform platform;
        platform.setReportsWakeups(reports);
        HiddenState state;
        TickSchedule schedule(platform, state);
        platform.setLeftButtonPressHandler([&] { schedule.leftButtonPressed(); });

        if (press)
            platform.pressLeftButton();
        setState(platform, state, busy);
        schedule.watcherNeeded(); // asked after every event, as the form does
        setState(platform, state, after);
        platform.advanceClock(later);
        QCOMPARE(schedule.watcherNeeded(), watcher);
        QCOMPARE(schedule.lookupNeeded(), lookup);
    }
};

// The main form applies the schedule to its real timers; the ticks come from the event loop.
class TestFormPolls : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Form2> m_form;

    QString stripText() const { return m_form->strip().Label1()->text() + m_form->strip().Label2()->text(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = std::make_unique<FakePlatform>();
        m_platform->setForegroundWindow(7);
        m_platform->setWindowExeName(7, QStringLiteral("kwrite"));
        m_platform->setRegistryValue(kDefaultSoundKey, QString(), QStringLiteral("ding.wav"));
        m_platform->setClipboardText(QStringLiteral("user text"));
        m_settings = std::make_unique<Settings>(m_dir->filePath(QStringLiteral("Zarvik5.ini")));
        // No dictionary in the folder: every text is a miss, shown with "??? ".
        m_form = std::make_unique<Form2>(*m_platform, *m_settings, m_dir->path());
        m_form->state().oldbuffer = QStringLiteral("user text");
    }
    void cleanup()
    {
        m_form.reset();
        m_settings.reset();
        m_platform.reset();
    }

    void doubleClickFromSleepTranslatesAndSleepsAgain()
    {
        QVERIFY(!m_form->Timer1.isActive());
        QVERIFY(!m_form->Timer3.isActive());

        // The press itself wakes the watcher, in the same turn of the event loop.
        m_platform->pressLeftButton();
        QVERIFY(m_form->Timer1.isActive());
        QTRY_COMPARE(m_form->state().clk, QStringLiteral("1"));
        m_platform->setLeftButtonDown(false);
        QTRY_COMPARE(m_form->state().clk2(), QStringLiteral("1"));

        // The program under the pointer copies its selection when asked; the desktop reports
        // the new owner later, from the event loop.
        m_platform->onCopyKeystroke([this] { m_platform->setClipboardText(QStringLiteral("xyz")); });
        m_platform->pressLeftButton();
        QTRY_COMPARE(m_platform->sentKeys(), 1);
        QVERIFY(m_form->Timer3.isActive()); // the capture waits for its copy
        m_platform->reportClipboardOwnerChange();
        QCOMPARE(stripText(), QStringLiteral("xyz - ??? "));
        QCOMPARE(m_platform->clipboardText(), QStringLiteral("user text"));
        QVERIFY(!m_form->Timer3.isActive());

        // The release arms the window again; once it has run out and the grace is over, the
        // watcher sleeps too.
        m_platform->setLeftButtonDown(false);
        QTRY_COMPARE(m_form->state().clk2(), QStringLiteral("1"));
        QTRY_VERIFY(m_form->state().clk2().isEmpty());
        QVERIFY(m_form->Timer1.isActive());
        m_platform->advanceClock(TickSchedule::kWatcherGraceSeconds + 0.01);
        QTRY_VERIFY(!m_form->Timer1.isActive());
        QVERIFY(!m_form->Timer2.isActive());
        QVERIFY(!m_form->Timer3.isActive());
    }

    void copyIsShownAtOnceWithoutAPoll()
    {
        m_platform->copyByAnotherProgram(QStringLiteral("dog"));
        QCOMPARE(stripText(), QStringLiteral("dog - ??? "));
        QVERIFY(m_form->Timer4.isActive());
        QVERIFY(!m_form->Timer1.isActive());
        QVERIFY(!m_form->Timer3.isActive());
    }

    void captureWhoseCopyNeverComesIsGivenUp()
    {
        m_platform->pressLeftButton();
        QTRY_COMPARE(m_form->state().clk, QStringLiteral("1"));
        m_platform->setLeftButtonDown(false);
        QTRY_COMPARE(m_form->state().clk2(), QStringLiteral("1"));
        m_platform->pressLeftButton(); // nothing selected: the copy changes nothing
        QTRY_COMPARE(m_platform->sentKeys(), 1);
        m_platform->setLeftButtonDown(false);
        QCOMPARE(m_platform->registryValue(kDefaultSoundKey, QString()), m_form->watcher().silentSound());

        // The lookup keeps polling until the capture has expired and the sound is back.
        m_platform->advanceClock(CapturedWordLookup::kCaptureExpirySeconds + 0.01);
        QTRY_VERIFY(!m_form->Timer3.isActive());
        QVERIFY(m_form->state().clktrans.isEmpty());
        QCOMPARE(m_platform->registryValue(kDefaultSoundKey, QString()), QStringLiteral("ding.wav"));
        QCOMPARE(m_platform->clipboardText(), QStringLiteral("user text"));
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestTickSchedule schedule;
    TestFormPolls form;
    return QTest::qExec(&schedule, argc, argv) | QTest::qExec(&form, argc, argv);
}

#include "tst_tickschedule.moc"
