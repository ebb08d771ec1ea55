#include "app/LinkLabel.h"
#include "app/about.h"
#include "app/frmSplash.h"
#include "skins/Skin.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace zarvik;

class TestSplashAbout : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_platform = std::make_unique<FakePlatform>();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = std::make_unique<Settings>(m_dir->filePath(QStringLiteral("Zarvik5.ini")));
    }

    // Which picture the splash wears: the selected skin's "splash.jpg" when it can be read,
    // the built-in one otherwise.
    void splashPicture_data()
    {
        QTest::addColumn<QString>("skin");        // "-" for skinname absent
        QTest::addColumn<QString>("splashFile");  // "" none, "red", "garbage", "huge"
        QTest::addColumn<bool>("fromSkin");
        QTest::newRow("skinname absent") << "-" << "" << false;
        QTest::newRow("built-in skin named") << "(по умолчанию)" << "" << false;
        QTest::newRow("skin with its splash") << "Red" << "red" << true;
        QTest::newRow("skin lacking splash.jpg") << "Red" << "" << false;
        QTest::newRow("unreadable splash.jpg") << "Red" << "garbage" << false;
        QTest::newRow("skin folder missing") << "Nowhere" << "" << false;
        QTest::newRow("huge splash is decoded at the splash's size") << "Red" << "huge" << true;
    }

    void splashPicture()
    {
        QFETCH(QString, skin);
        QFETCH(QString, splashFile);
        QFETCH(bool, fromSkin);
        if (skin != QLatin1String("-"))
            m_settings->write(Key::skinname, skin);
        const QString folder = m_dir->filePath(QStringLiteral("skins/Red"));
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/splash.jpg");
        if (splashFile == QLatin1String("red") || splashFile == QLatin1String("huge")) {
            const QSize size = splashFile == QLatin1String("huge") ? QSize(6000, 4000) : QSize(370, 217);
            QImage red(size, QImage::Format_RGB32);
            red.fill(Qt::red);
            QVERIFY(red.save(file, "JPEG"));
        } else if (splashFile == QLatin1String("garbage")) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a picture at all");
        }

        SkinLoader skins(m_dir->path());
        frmSplash splash(*m_platform, *m_settings, skins);
        splash.Form_Load();
        QCOMPARE(splash.pictureFromSkin(), fromSkin);
        QCOMPARE(splash.picture().size(), QSize(370, 217));
        const QColor centre = splash.picture().pixelColor(185, 108);
        if (fromSkin)
            QVERIFY2(centre.red() > 200 && centre.green() < 60, qPrintable(centre.name()));
        else
            QVERIFY2(centre.red() < 200, qPrintable(centre.name())); // the built-in blue
        // The splash never changes the stored skin: that is the skin check's business.
        QCOMPARE(m_settings->text(Key::skinname, QStringLiteral("-")), skin);
    }

    void splashLayoutAndLinks()
    {
        SkinLoader skins(m_dir->path());
        frmSplash splash(*m_platform, *m_settings, skins);
        QCOMPARE(splash.size(), QSize(370, 217));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.Label2->text(), QStringLiteral("Zarvik 5.1"));
        QCOMPARE(splash.Label8->text(), QStringLiteral("E-mail:"));
        for (LinkLabel* link : {splash.Label6, splash.Label9}) {
            QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
            QCOMPARE(link->cursor().hotSpot(), QPoint(6, 0));
            QCOMPARE(link->cursor().pixmap().size(), QSize(32, 32));
            QVERIFY(splash.rect().contains(link->geometry())); // on the picture, not cut off
        }
        QTest::mouseClick(splash.Label6, Qt::LeftButton);
        QTest::mouseClick(splash.Label9, Qt::LeftButton);
        QTest::mouseClick(splash.Label9, Qt::RightButton); // not a link click
        QCOMPARE(m_platform->openedDocuments(), QStringList({QStringLiteral("http://www.zarvik.example/"),
                                                            QStringLiteral("mailto:support@zarvik.example")}));
    }

    // Once on the screen the splash stays 1.5 s, counted from its painting, however quick
    // the start-up; the start-up itself goes on without it.
    void staysLongEnoughToBeSeen_data()
    {
        QTest::addColumn<double>("startupTook");
        QTest::addColumn<int>("remainingMs");
        QTest::newRow("start-up at once") << 0.0 << 1500;
        QTest::newRow("quick start-up") << 0.003 << 1497;
        QTest::newRow("1.25 s") << 1.25 << 250;
        QTest::newRow("exactly 1.5 s: goes at once") << 1.5 << 0;
        QTest::newRow("slow start-up") << 2.0 << 0;
    }
    void staysLongEnoughToBeSeen()
    {
        QFETCH(double, startupTook);
        QFETCH(int, remainingMs);
        QCOMPARE(frmSplash::remainingMs(startupTook), remainingMs);

        SkinLoader skins(m_dir->path());
        frmSplash splash(*m_platform, *m_settings, skins);
        int finished = 0;
        connect(&splash, &frmSplash::finished, this, [&] { ++finished; });
        splash.Show();
        m_platform->advanceClock(startupTook);
        splash.startupDone();
        QCOMPARE(splash.isVisible(), remainingMs > 0);
        QCOMPARE(finished, remainingMs > 0 ? 0 : 1);
        if (remainingMs > 0) {
            QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 5000);
            QCOMPARE(finished, 1);
        }
    }

    void clickSendsTheSplashAway_data()
    {
        QTest::addColumn<bool>("beforeTheStartupIsDone");
        QTest::newRow("while starting") << true;
        QTest::newRow("after the start") << false;
    }
    void clickSendsTheSplashAway()
    {
        QFETCH(bool, beforeTheStartupIsDone);
        SkinLoader skins(m_dir->path());
        frmSplash splash(*m_platform, *m_settings, skins);
        int finished = 0;
        connect(&splash, &frmSplash::finished, this, [&] { ++finished; });
        splash.Show();
        if (!beforeTheStartupIsDone)
            splash.startupDone();
        QVERIFY(splash.isVisible());
        QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(185, 60));
        QVERIFY(!splash.isVisible());
        if (beforeTheStartupIsDone)
            splash.startupDone();
        QVERIFY(!splash.isVisible());
        QCOMPARE(finished, 1);
    }

    void aboutCountsTheWholeTable_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("caption");
        QTest::newRow("three words") << 3 << "(3 слов(а) в базе данных)";
        QTest::newRow("empty table") << 0 << "(0 слов(а) в базе данных)";
        QTest::newRow("no grouping of thousands") << 12345 << "(12345 слов(а) в базе данных)";
        QTest::newRow("no dictionary file") << -1 << "(0 слов(а) в базе данных)";
    }

    void aboutCountsTheWholeTable()
    {
        QFETCH(int, rows);
        QFETCH(QString, caption);
        const QString path = m_dir->filePath(QStringLiteral("zarvik.bdd"));
        if (rows >= 0)
            makeDictionary(path, rows);
        about box(*m_platform, path);
        QCOMPARE(box.Label7->text(), caption);
        QCOMPARE(box.windowTitle(), QStringLiteral("О программе Zarvik"));
    }

    // Both open centred on the monitor under the pointer, never across two monitors.
    void centredOnThePointersMonitor_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QRect>("monitor");
        const QRect left(0, 0, 1280, 1024), right(1280, 0, 1024, 768);
        QTest::newRow("pointer on the primary") << QPoint(10, 1000) << left;
        QTest::newRow("pointer on the other monitor") << QPoint(2000, 700) << right;
    }
    void centredOnThePointersMonitor()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QRect, monitor);
        m_platform->setMonitors({QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)});
        m_platform->setPointer(pointer);
        about box(*m_platform, m_dir->filePath(QStringLiteral("zarvik.bdd")));
        QCOMPARE(box.geometry().center(), monitor.center());
        SkinLoader skins(m_dir->path());
        frmSplash splash(*m_platform, *m_settings, skins);
        splash.Show();
        QCOMPARE(splash.geometry().center(), monitor.center());
    }

    void aboutCountsAfreshAtEachOpening()
    {
        const QString path = m_dir->filePath(QStringLiteral("zarvik.bdd"));
        makeDictionary(path, 2);
        {
            about first(*m_platform, path);
            QCOMPARE(first.Label7->text(), QStringLiteral("(2 слов(а) в базе данных)"));
        }
        {
            about again(*m_platform, path);
            QCOMPARE(again.Label7->text(), QStringLiteral("(2 слов(а) в базе данных)"));
        }
        QFile::remove(path);
        makeDictionary(path, 7);
        about changed(*m_platform, path);
        QCOMPARE(changed.Label7->text(), QStringLiteral("(7 слов(а) в базе данных)"));
    }

    void aboutCloses_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Закрыть") << false;
    }

    void aboutCloses()
    {
        QFETCH(bool, escape);
        about box(*m_platform, m_dir->filePath(QStringLiteral("zarvik.bdd")));
        QCOMPARE(box.PVButton4->text(), QStringLiteral("Закрыть"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        if (escape)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            QTest::mouseClick(box.PVButton4, Qt::LeftButton);
        QVERIFY(!box.isVisible());
    }

    void aboutLinks()
    {
        about box(*m_platform, m_dir->filePath(QStringLiteral("zarvik.bdd")));
        QCOMPARE(box.size(), QSize(456, 222));
        QTest::mouseClick(box.Label9, Qt::LeftButton);
        QTest::mouseClick(box.Label6, Qt::LeftButton);
        QCOMPARE(m_platform->openedDocuments(), QStringList({QStringLiteral("mailto:support@zarvik.example"),
                                                            QStringLiteral("http://www.zarvik.example/")}));
        QCOMPARE(box.Picture4->pixmap().size(), QSize(88, 31));
    }

private:
    static void makeDictionary(const QString& path, int rows)
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        QString sql = QStringLiteral("CREATE TABLE EngRus (Word TEXT, Trans TEXT);"
                                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                     " INSERT INTO EngRus SELECT 'w' || i, 'слово' FROM n WHERE %1 > 0;")
                          .arg(rows);
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QCOMPARE(rc, SQLITE_OK);
    }

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Settings> m_settings;
};

QTEST_MAIN(TestSplashAbout)
#include "tst_splashabout.moc"
