// When the pop-up machinery's polls run, driven by the fake platform's reports and clock.
#include "app/TickSchedule.h"
#include "platform/fake/FakePlatform.h"
#include "popup/HiddenState.h"

#include <QTest>

using namespace zarvik;

namespace {

// Puts the watcher's state named by `what` into `state`: any of "held", "clk", "clk2",
// "clktrans", separated by spaces; everything not named is cleared.
void setState(FakePlatform& platform, HiddenState& state, const QString& what)
{
    const QStringList names = what.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto on = [&](const char* name) { return names.contains(QLatin1String(name)); };
    platform.setLeftButtonDown(on("held"));
    state.clk = on("clk");
    state.setClk2(on("clk2"));
    if (on("clktrans"))
        state.startCapture(platform.clockSeconds());
    else
        state.endCapture();
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

QTEST_GUILESS_MAIN(TestTickSchedule)
#include "tst_tickschedule.moc"
