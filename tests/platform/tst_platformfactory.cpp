#include "platform/PlatformFactory.h"

#include <QFileInfo>
#include <QTest>

// Runs without an X server: what the program says when there is none to talk to.
class TestPlatformFactory : public QObject {
    Q_OBJECT

private slots:
    void unreachableDisplay_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not set") << QByteArray() << QStringLiteral("no X display (DISPLAY is not set)");
        QTest::newRow("nobody listening") << QByteArray(":4242") << QStringLiteral("cannot open X display :4242");
    }
    void unreachableDisplay()
    {
        QFETCH(QByteArray, display);
        QFETCH(QString, reason);
        if (!display.isEmpty() && QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X4242")))
            QSKIP("a server runs on :4242");
        if (display.isEmpty())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", display);
        QString error;
        QVERIFY(!zarvik::displayReachable(&error));
        QCOMPARE(error, reason);
        QVERIFY(!zarvik::displayReachable(nullptr));
        if (!display.isEmpty()) {
            QString createError;
            QVERIFY(!zarvik::createPlatform(zarvik::PlatformAhead(), &createError));
            QCOMPARE(createError, reason);
        }
    }
};

QTEST_GUILESS_MAIN(TestPlatformFactory)
#include "tst_platformfactory.moc"
