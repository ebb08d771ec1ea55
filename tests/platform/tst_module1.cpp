#include "platform/Module1.h"
#include "platform/fake/FakePlatform.h"

#include <QTest>

using namespace zarvik;

class TestModule1 : public QObject {
    Q_OBJECT

private slots:
    void exclusion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("apps");
        QTest::addColumn<bool>("excluded");
        QTest::newRow("empty list excludes nothing") << QStringLiteral("notepad.exe") << QString() << false;
        QTest::newRow("empty list, empty name") << QString() << QString() << false;
        QTest::newRow("empty name by any list") << QString() << QStringLiteral("x") << true;
        QTest::newRow("listed name") << QStringLiteral("notepad.exe") << QStringLiteral("notepad.exe;") << true;
        QTest::newRow("tail of a listed name") << QStringLiteral("pad.exe") << QStringLiteral("notepad.exe;") << true;
        QTest::newRow("other letter case") << QStringLiteral("NOTEPAD.EXE") << QStringLiteral("notepad.exe;") << false;
        QTest::newRow("across the separator")
            << QStringLiteral("exe;wish") << QStringLiteral("notepad.exe;wish;") << true;
        QTest::newRow("longer than the list") << QStringLiteral("notepad.exe2") << QStringLiteral("notepad.exe") << false;
        QTest::newRow("second entry") << QStringLiteral("wish") << QStringLiteral("firefox;wish") << true;
        QTest::newRow("cyrillic name") << QStringLiteral("словарь") << QStringLiteral("Словарь;") << false;
    }
    void exclusion()
    {
        QFETCH(QString, name);
        QFETCH(QString, apps);
        QFETCH(bool, excluded);
        QCOMPARE(isExcluded(name, apps), excluded);
    }

    void windowZeroHasNoProgram()
    {
        FakePlatform platform;
        platform.setWindowExeName(0, QStringLiteral("ghost"));
        platform.setWindowExeName(7, QStringLiteral("wish"));
        QCOMPARE(Module1::GetWindowExeName(platform, 0), QString());
        QCOMPARE(platform.exeNameLookups(), 0);
        QCOMPARE(Module1::GetWindowExeName(platform, 7), QStringLiteral("wish"));
    }
};

QTEST_GUILESS_MAIN(TestModule1)
#include "tst_module1.moc"
