#include "platform/ProcFs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using zarvik::ProcFs;

class TestProcFs : public QObject {
    Q_OBJECT

private slots:
    void exeName_data()
    {
        QTest::addColumn<QString>("linkTarget"); // empty: no such process
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "/usr/bin/wish8.6" << "wish8.6";
        QTest::newRow("replaced executable") << "/usr/lib/firefox/firefox (deleted)" << "firefox";
        QTest::newRow("space in the name") << "/opt/My App/my app" << "my app";
        QTest::newRow("cyrillic") << "/opt/словарь/словарь" << "словарь";
        QTest::newRow("process gone") << "" << "";
    }
    void exeName()
    {
        QFETCH(QString, linkTarget);
        QFETCH(QString, expected);
        QTemporaryDir proc;
        if (!linkTarget.isEmpty()) {
            QVERIFY(QDir(proc.path()).mkpath(QStringLiteral("4242")));
            QVERIFY(::symlink(QFile::encodeName(linkTarget).constData(),
                              QFile::encodeName(proc.filePath(QStringLiteral("4242/exe"))).constData())
                    == 0);
        }
        QCOMPARE(ProcFs(proc.path()).exeName(4242), expected);
    }

    void exeNameOfThisProcess()
    {
        QCOMPARE(ProcFs().exeName(::getpid()), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QCOMPARE(ProcFs().exeName(0), QString());
        QCOMPARE(ProcFs().exeName(-1), QString());
    }

    void defaultRoute_data()
    {
        const QByteArray v4Header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
        QTest::addColumn<QByteArray>("ipv4");
        QTest::addColumn<QByteArray>("ipv6");
        QTest::addColumn<bool>("online");
        QTest::newRow("ethernet default route")
            << v4Header + "eth0\t00000000\t0102A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                          "eth0\t0002A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
            << QByteArray() << true;
        QTest::newRow("only a local network") << v4Header + "eth0\t0002A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
                                              << QByteArray() << false;
        QTest::newRow("default route through loopback")
            << v4Header + "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n" << QByteArray() << false;
        QTest::newRow("default route not up")
            << v4Header + "eth0\t00000000\t0102A8C0\t0002\t0\t0\t100\t00000000\t0\t0\t0\n" << QByteArray() << false;
        QTest::newRow("reject route") << v4Header + "eth0\t00000000\t00000000\t0201\t0\t0\t0\t00000000\t0\t0\t0\n"
                                      << QByteArray() << false;
        QTest::newRow("header only") << v4Header << QByteArray() << false;
        QTest::newRow("nothing readable") << QByteArray() << QByteArray() << false;
        QTest::newRow("ipv6 default route")
            << v4Header
            << QByteArray("00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                          "fe800000000000000000000000000001 00000400 00000001 00000000 00000003     eth0\n")
            << true;
        QTest::newRow("ipv6 unreachable default on lo")
            << v4Header
            << QByteArray("00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                          "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n")
            << false;
    }
    void defaultRoute()
    {
        QFETCH(QByteArray, ipv4);
        QFETCH(QByteArray, ipv6);
        QFETCH(bool, online);
        QCOMPARE(ProcFs::defaultRouteIn(ipv4, ipv6), online);
    }

    void defaultRouteReadFromTheFolder()
    {
        QTemporaryDir proc;
        QVERIFY(QDir(proc.path()).mkpath(QStringLiteral("net")));
        QFile route(proc.filePath(QStringLiteral("net/route")));
        QVERIFY(route.open(QIODevice::WriteOnly));
        route.write("Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
                    "wlan0\t00000000\t0102A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n");
        route.close();
        QVERIFY(ProcFs(proc.path()).hasDefaultRoute());
        QVERIFY(!ProcFs(proc.filePath(QStringLiteral("missing"))).hasDefaultRoute());
    }
};

QTEST_GUILESS_MAIN(TestProcFs)
#include "tst_procfs.moc"
