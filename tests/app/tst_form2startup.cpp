#include "app/Form2.h"
#include "app/TrayIcon.h"
#include "app/frmSplash.h"
#include "core/Units.h"
#include "panel/DictionaryWindow.h"
#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/PictureBox.h"
#include "panel/ResultList.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvik;

class TestForm2Startup : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = std::make_unique<Settings>(m_dir->filePath(QStringLiteral("Zarvik5.ini")));
        m_platform.setDoubleClickTime(537);
        m_platform.setClipboardText(QStringLiteral("текст пользователя"));
        m_platform.setScreenSize({1280, 1024});
    }

    void emptyStoreStartsResidentWithPanel()
    {
        Form2 form(m_platform, *m_settings, m_dir->path());
        Main(form);
        // Nothing pressed, nothing copied: both polls sleep until the desktop reports something.
        QVERIFY(!form.Timer1.isActive());
        QVERIFY(!form.Timer3.isActive());

        QCOMPARE(form.Timer2.interval(), 537);
        QVERIFY(!form.Timer2.isActive());
        QVERIFY(!form.Timer4.isActive());
        QCOMPARE(form.state().oldbuffer, QStringLiteral("текст пользователя"));
        QCOMPARE(form.Data1().databaseName(), m_dir->path() + QStringLiteral("/zarvik.bdd"));
        QCOMPARE(form.size(), QSize(twipsToPixels(4000), twipsToPixels(300)));
        QVERIFY(form.x() < -600); // parked off-screen, out of sight
        QVERIFY(!form.homePage().started()); // offline: no request

        // The panel is loaded, dressed in the built-in skin, shown closed at the right edge.
        QVERIFY(form.panel() != nullptr);
        QVERIFY(form.form3().isVisible());
        QCOMPARE(form.form3().leftTwips(), 1280 * 15 - 250);
        QVERIFY(!form.form3().Picture1->picture().isNull());
        // Its input line and list come once the fonts are read.
        QTRY_VERIFY(form.form3().Text1 != nullptr);
        QCOMPARE(form.form3().List1->lines(), QStringList{QString()});
        // The dictionary window is loaded and dressed once the panel is up, but hidden.
        QTRY_VERIFY(form.form1().loaded() != nullptr);
        QVERIFY(!form.form1().form().isVisible());
        QVERIFY(!form.form1().form().picclose->picture().isNull());
        // Nothing was written by the start-up.
        QVERIFY(!QFile::exists(m_settings->fileName()));
    }

    void panelSwitchedOffLeavesOnlyTheDictionaryWindow()
    {
        m_settings->write(Key::ShowPanel, QStringLiteral("0"));
        Form2 form(m_platform, *m_settings, m_dir->path());
        Main(form);
        QVERIFY(!form.form3().isVisible());
        form.mnuopen_Click();
        QVERIFY(form.form1().form().isVisible());
        QVERIFY(!form.form3().isVisible());
    }

    void brokenSkinFallsBackToBuiltInInTheSameStart()
    {
        QDir(m_dir->path()).mkpath(QStringLiteral("skins/Broken"));
        m_settings->write(Key::skinname, QStringLiteral("Broken"));
        Form2 form(m_platform, *m_settings, m_dir->path());
        Main(form);
        QCOMPARE(m_settings->text(Key::skinname), QStringLiteral("(по умолчанию)"));
        QVERIFY(!form.form3().Picture1->picture().isNull());
    }

    void onlineStartAsksForTheHomePageOnce()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        m_platform.setInternetConnected(true);
        Form2 form(m_platform, *m_settings, m_dir->path());
        form.setHomePageAddress(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort())));
        Main(form);
        QVERIFY(form.homePage().started());
        // The request may need a few more turns of the event loop (the splash already gave it
        // some), so wait while the loop runs rather than blocking it.
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
        QTcpSocket* socket = server.nextPendingConnection();
        QTRY_VERIFY_WITH_TIMEOUT(socket->canReadLine(), 5000);
        QCOMPARE(socket->readLine().trimmed(), QByteArray("GET / HTTP/1.1"));
        QTRY_VERIFY_WITH_TIMEOUT(socket->canReadLine(), 5000);
        QCOMPARE(socket->readLine().trimmed(), "Host: 127.0.0.1:" + QByteArray::number(server.serverPort()));
    }

    // What the user had on the clipboard at the start is not a copy to translate, also when
    // XWayland hands the native clipboard to X11 only some time after the start.
    void startClipboardIsTheUsers_data()
    {
        QTest::addColumn<QString>("x11");
        QTest::addColumn<QString>("native");
        QTest::addColumn<QString>("oldbuffer");
        QTest::newRow("X11 desktop") << "user's own text" << "" << "user's own text";
        QTest::newRow("Wayland, not handed to X11 yet") << "" << "user's own text" << "user's own text";
        QTest::newRow("Wayland, handed over already") << "user's own text" << "user's own text" << "user's own text";
        QTest::newRow("both empty") << "" << "" << "";
    }
    void startClipboardIsTheUsers()
    {
        QFETCH(QString, x11);
        QFETCH(QString, native);
        QFETCH(QString, oldbuffer);
        m_platform.setClipboardText(x11);
        m_platform.setNativeClipboardAtStart(native);
        Form2 form(m_platform, *m_settings, m_dir->path());
        Main(form);
        QCOMPARE(form.state().oldbuffer, oldbuffer);
        if (!oldbuffer.isEmpty()) {
            // XWayland hands it over: the X11 clipboard gets a new owner with the same text.
            m_platform.copyByAnotherProgram(oldbuffer);
            QTest::qWait(100);
            QCOMPARE(form.state().wd, QString()); // nothing looked up
        }
        m_platform.setNativeClipboardAtStart(QString());
        m_platform.setClipboardText(QStringLiteral("текст пользователя"));
    }

    void splashAndTrayIconFollowTheSettings_data()
    {
        QTest::addColumn<QString>("showSplash"); // "-" for absent
        QTest::addColumn<bool>("shown");
        QTest::newRow("ShowSplash absent") << "-" << true;
        QTest::newRow("ShowSplash 1") << "1" << true;
        QTest::newRow("ShowSplash 0: never loaded") << "0" << false;
    }

    void splashAndTrayIconFollowTheSettings()
    {
        QFETCH(QString, showSplash);
        QFETCH(bool, shown);
        if (showSplash != QLatin1String("-"))
            m_settings->write(Key::ShowSplash, showSplash);
        Form2 form(m_platform, *m_settings, m_dir->path());
        int loads = 0;
        bool visibleWhileStarting = false;
        bool iconBeforeSplash = true;
        connect(&form, &Form2::splashShown, this, [&](frmSplash& splash) {
            ++loads;
            visibleWhileStarting = splash.isVisible();
            iconBeforeSplash = form.TrayIcon1().shown();
        });
        Main(form);
        QCOMPARE(form.splashWasShown(), shown);
        QCOMPARE(loads, shown ? 1 : 0);
        if (shown) {
            QVERIFY(visibleWhileStarting);
            QVERIFY(!iconBeforeSplash);
        }
        // The start-up is over (the icon is there, the panel shown) while the splash stays
        // on until it has been seen; then it goes.
        const auto splashes = [] {
            int n = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                n += w->inherits("zarvik::frmSplash") && w->isVisible() ? 1 : 0;
            return n;
        };
        QCOMPARE(splashes(), shown ? 1 : 0);
        QTRY_COMPARE_WITH_TIMEOUT(splashes(), 0, 5000);
        QVERIFY(form.TrayIcon1().shown());
        QCOMPARE(form.TrayIcon1().shownTip(), QStringLiteral("Zarvik 5.0"));
    }

    // The splash reads the skin before the skin check: a broken folder with a splash picture
    // still dresses the splash, and the check then falls back to the built-in skin.
    void brokenSkinStillDressesTheSplash()
    {
        const QString folder = m_dir->filePath(QStringLiteral("skins/OnlySplash"));
        QDir().mkpath(folder);
        QImage red(370, 217, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(folder + QStringLiteral("/splash.jpg"), "JPEG"));
        m_settings->write(Key::skinname, QStringLiteral("OnlySplash"));
        Form2 form(m_platform, *m_settings, m_dir->path());
        bool fromSkin = false;
        connect(&form, &Form2::splashShown, this, [&](frmSplash& splash) { fromSkin = splash.pictureFromSkin(); });
        Main(form);
        QVERIFY(fromSkin);
        QCOMPARE(m_settings->text(Key::skinname), QStringLiteral("(по умолчанию)"));
    }

private:
    FakePlatform m_platform;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Settings> m_settings;
};

QTEST_MAIN(TestForm2Startup)
#include "tst_form2startup.moc"
