#include "app/Form2.h"
#include "forms/options.h"
#include "panel/Form3.h"
#include "platform/fake/FakePlatform.h"
#include "settings/Settings.h"
#include "skins/Skin.h"
#include "skins/Skins.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvik;

namespace {

struct Message {
    QMessageBox::Icon icon;
    QString title, text;
};

const QString kDuplicate = QStringLiteral("Эта программа уже есть в списке. Выберите другую программу");
const QString kBroken = QStringLiteral("Не правильно установлен скин. Попробуйте его переустановить");

} // namespace

Q_DECLARE_METATYPE(zarvik::NativeSelections)

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = std::make_unique<Settings>(iniPath());
        m_skins = std::make_unique<SkinLoader>(m_dir->path());
        writeSkin(QStringLiteral("Dark"), {});
        writeSkin(QStringLiteral("Зелёный"), {});
        writeSkin(QStringLiteral("broken"), {QStringLiteral("dictbutton2.jpg")});
        m_messages.clear();
        m_applied.clear();
        m_panelCalls.clear();
        m_chooserCalls = 0;
        m_platform.setNativeSelections(NativeSelections::AllSeen);
    }
    void cleanup()
    {
        delete m_dialog;
        m_skins.reset();
        m_settings.reset();
        m_dir.reset();
    }

    void emptyStoreOpensWithTheDefaults()
    {
        options& d = open();
        QVERIFY(!d.Picture1->isHidden());
        QVERIFY(d.Picture3->isHidden() && d.Picture5->isHidden() && d.Picture7->isHidden());
        QVERIFY(d.showsplash->isChecked());
        QVERIFY(d.showpanel->isChecked());
        QVERIFY(d.hide5sec->isEnabled() && d.hidelastfocus->isEnabled() && d.bigpanel->isEnabled());
        QVERIFY(d.hide5sec->isChecked() && d.hidelastfocus->isChecked() && !d.bigpanel->isChecked());
        QVERIFY(d.transbuffer->isChecked() && d.transclick->isChecked());
        QVERIFY(d.trans2clk->isChecked() && !d.trans3clk->isChecked() && d.trans2clk->isEnabled());
        QVERIFY(d.findword->isChecked() && d.showquestions->isChecked());
        QCOMPARE(d.List1->count(), 0);
        // The built-in skin first, then the folders; it is selected and previewed.
        QCOMPARE(d.listskins->item(0)->text(), kBuiltInSkin);
        QCOMPARE(d.listskins->count(), 4);
        QCOMPARE(d.selectedSkin(), std::optional(kBuiltInSkin));
        QVERIFY(d.previewVisible() && !d.Label7->isHidden());
        QCOMPARE(d.Image1->pixmap().size(), QSize(516, 308));
        QCOMPARE(d.Picture9->size(), QSize(520, 102)); // 7800 x 1530 twips
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!QFile::exists(iniPath())); // opening writes nothing

        d.pvlistbox1->setCurrentRow(3);
        QVERIFY(d.Picture1->isHidden() && !d.Picture7->isHidden());
    }

    // The transcription box opens from the store and OK writes it back, on the pop-up page.
    void transcriptionBoxRoundTrip_data()
    {
        QTest::addColumn<QString>("stored"); // "<absent>" for no key
        QTest::addColumn<bool>("ticked");
        QTest::newRow("absent: off") << "<absent>" << false;
        QTest::newRow("1: on") << "1" << true;
        QTest::newRow("0: off") << "0" << false;
    }
    void transcriptionBoxRoundTrip()
    {
        QFETCH(QString, stored);
        QFETCH(bool, ticked);
        if (stored != QStringLiteral("<absent>"))
            m_settings->write(Key::ShowTranscription, stored);
        options& d = open();
        QCOMPARE(d.showtranscription->text(), QStringLiteral("Показывать транскрипцию"));
        QCOMPARE(d.showtranscription->parentWidget(), d.Picture5);
        QCOMPARE(d.showtranscription->isChecked(), ticked);
        d.showtranscription->setChecked(!ticked);
        QCOMPARE(d.choices().showtranscription, !ticked);
    }

    void enablingRules()
    {
        m_settings->write(Key::ShowPanel, QStringLiteral("0"));
        m_settings->write(Key::OnClick, QStringLiteral("0"));
        options& d = open();
        QVERIFY(!d.hide5sec->isEnabled() && !d.hidelastfocus->isEnabled() && !d.bigpanel->isEnabled());
        QVERIFY(!d.trans2clk->isEnabled() && !d.trans3clk->isEnabled());
        // The rules follow the boxes; disabled controls keep their state for OK.
        d.showpanel->click();
        QVERIFY(d.bigpanel->isEnabled() && d.hide5sec->isChecked() && !d.trans3clk->isEnabled());
    }

    void clickModesStayOneChoice()
    {
        m_settings->writeOption(Key::twoclk, false);
        m_settings->writeOption(Key::threeclk, false);
        options& d = open();
        QVERIFY(!d.trans2clk->isChecked() && !d.trans3clk->isChecked());
        d.trans3clk->click();
        QVERIFY(!d.trans2clk->isChecked() && d.trans3clk->isChecked());
        d.trans3clk->click(); // clicking the selected one keeps it
        QVERIFY(d.trans3clk->isChecked());
        d.trans2clk->click();
        QVERIFY(d.trans2clk->isChecked() && !d.trans3clk->isChecked());
    }

    void skinOnOpening_data()
    {
        QTest::addColumn<QString>("skinname"); // "<absent>": no key
        QTest::addColumn<QString>("selected"); // "" for none
        QTest::addColumn<bool>("preview");
        QTest::addColumn<QString>("stored"); // after OK
        QTest::newRow("absent: built-in")
            << QStringLiteral("<absent>") << kBuiltInSkin << true << kBuiltInSkin;
        QTest::newRow("Cyrillic folder")
            << QStringLiteral("Зелёный") << QStringLiteral("Зелёный") << true << QStringLiteral("Зелёный");
        QTest::newRow("other letter case: no selection")
            << QStringLiteral("dark") << QString() << true << kBuiltInSkin;
        QTest::newRow("broken skin: message, built-in stored")
            << QStringLiteral("broken") << QStringLiteral("broken") << false << kBuiltInSkin;
    }
    void skinOnOpening()
    {
        QFETCH(QString, skinname);
        QFETCH(QString, selected);
        QFETCH(bool, preview);
        QFETCH(QString, stored);
        if (skinname != QLatin1String("<absent>"))
            m_settings->write(Key::skinname, skinname);
        options& d = open();
        QCOMPARE(d.selectedSkin().value_or(QString()), selected);
        QCOMPARE(d.previewVisible(), preview);
        QCOMPARE(d.Label5->isHidden(), !preview);
        QCOMPARE(m_messages.size(), preview ? 0 : 1);
        if (!preview) {
            QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
            QCOMPARE(m_messages[0].title, QStringLiteral("Ошибка"));
            QCOMPARE(m_messages[0].text, kBroken);
        }
        d.Command1->click();
        QCOMPARE(m_settings->text(Key::skinname), stored);
        QCOMPARE(m_applied.last(), stored);
        QVERIFY(m_dialog.isNull() || !m_dialog->isVisible());
    }

    void addingAProgram_data()
    {
        QTest::addColumn<int>("listed");     // p1;..;pN; stored before opening
        QTest::addColumn<QString>("chosen"); // what the file dialog returns, "" for cancel
        QTest::addColumn<bool>("byKey");     // Insert in the list instead of the button
        QTest::addColumn<int>("chooserCalls");
        QTest::addColumn<QString>("added"); // the new last entry, "" for none
        QTest::addColumn<bool>("duplicate");
        QTest::newRow("link: the running program's name")
            << 2 << QStringLiteral("bin/wish") << true << 1 << QStringLiteral("Wish8.6") << false;
        QTest::newRow("duplicate in other letter case")
            << 2 << QStringLiteral("bin/P2") << false << 1 << QString() << true;
        QTest::newRow("50 listed: the 51st is refused silently")
            << 50 << QStringLiteral("bin/Wish8.6") << false << 0 << QString() << false;
    }
    void addingAProgram()
    {
        QFETCH(int, listed);
        QFETCH(QString, chosen);
        QFETCH(bool, byKey);
        QFETCH(int, chooserCalls);
        QFETCH(QString, added);
        QFETCH(bool, duplicate);
        QStringList apps;
        for (int i = 1; i <= listed; ++i)
            apps << QStringLiteral("p%1").arg(i);
        m_settings->write(Key::Apps, Settings::appsText(apps));
        const QString bin = m_dir->filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        for (const char* name : {"Wish8.6", "P2"}) {
            QFile file(bin + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QFile::link(bin + QStringLiteral("/Wish8.6"), bin + QStringLiteral("/wish"));
        m_chosen = chosen.isEmpty() ? QString() : m_dir->filePath(chosen);

        options& d = open();
        if (byKey)
            QTest::keyClick(d.List1, Qt::Key_Insert);
        else
            d.Command3->click();
        QCOMPARE(m_chooserCalls, chooserCalls);
        QStringList expected = apps;
        if (!added.isEmpty())
            expected << added;
        QCOMPARE(d.choices().apps, expected);
        QCOMPARE(m_messages.size(), duplicate ? 1 : 0);
        if (duplicate) {
            QCOMPARE(m_messages[0].icon, QMessageBox::Information);
            QCOMPARE(m_messages[0].title, QStringLiteral("Внимание!"));
            QCOMPARE(m_messages[0].text, kDuplicate);
        }
        d.Command1->click();
        QCOMPARE(m_settings->text(Key::Apps), Settings::appsText(expected));
    }

    // Delete with nothing selected does nothing; emptied, the list is stored as the empty text.
    void deletingPrograms()
    {
        m_settings->write(Key::Apps, QStringLiteral("a;b;"));
        m_settings->write(Key::ShowPanel, QStringLiteral("1"));
        options& d = open();
        QTest::keyClick(d.List1, Qt::Key_Delete);
        QCOMPARE(d.List1->count(), 2);
        d.List1->setCurrentRow(0);
        QTest::keyClick(d.List1, Qt::Key_Delete);
        d.List1->setCurrentRow(0);
        d.Command4->click();
        QCOMPARE(d.List1->count(), 0);
        d.showpanel->click(); // cleared: OK hides the panel at once
        d.Command1->click();
        QCOMPARE(m_settings->text(Key::Apps, QStringLiteral("<absent>")), QString());
        QCOMPARE(m_panelCalls, QStringList{QStringLiteral("hide")});
    }

    void cancelWritesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Отмена") << 0;
        QTest::newRow("close box") << 1;
    }
    void cancelWritesNothing()
    {
        QFETCH(int, how);
        m_settings->write(Key::skinname, QStringLiteral("Dark"));
        m_settings->write(Key::Apps, QStringLiteral("gimp;wish8.6;"));
        m_settings->write(Key::ShowPanel, QStringLiteral("1"));
        m_settings->write(Key::threeclk, QStringLiteral("True"));
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();

        options& d = open();
        d.showpanel->click();
        d.trans2clk->click();
        d.List1->setCurrentRow(0);
        d.Command4->click();
        selectSkin(d, QStringLiteral("broken"));
        if (how == 0)
            d.Command2->click();
        else
            d.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_dialog.isNull());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QVERIFY(m_applied.isEmpty() && m_panelCalls.isEmpty());
    }

    // In a Wayland session the Apps list reaches X11 programs only, and the page says so.
    void appsNoteInWaylandSessions_data()
    {
        QTest::addColumn<NativeSelections>("session");
        QTest::addColumn<bool>("note");
        QTest::newRow("x11 desktop") << NativeSelections::AllSeen << false;
        QTest::newRow("wayland with data-control") << NativeSelections::Watched << true;
        QTest::newRow("wayland without data-control") << NativeSelections::Unavailable << true;
    }
    void appsNoteInWaylandSessions()
    {
        QFETCH(NativeSelections, session);
        QFETCH(bool, note);
        m_platform.setNativeSelections(session);
        options& d = open();
        QCOMPARE(d.waylandNote != nullptr, note);
        if (note) {
            QVERIFY(d.waylandNote->isVisibleTo(&d));
            QVERIFY(d.waylandNote->text().contains(QStringLiteral("только на программы X11")));
        }
    }

    void linkOpensTheSkinsPage()
    {
        FakePlatform& platform = m_platform;
        options& d = open();
        QCOMPARE(d.Label6->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(d.Label6, Qt::LeftButton);
        QCOMPARE(platform.openedDocuments(), QStringList{kSkinsPage});
        QVERIFY(kSkinsPage.endsWith(QStringLiteral("/zarvik/download.htm")));
    }

    // The main form opens one dialog; a second request brings the same one forward, and
    // after it closed the next request loads a fresh one from the store.
    void mainFormKeepsOneDialog()
    {
        Form2 form(m_platform, *m_settings, m_dir->path());
        form.showOptions();
        QPointer<options> first = form.optionsDialog();
        QVERIFY(first && first->isVisible());
        first->showsplash->click();
        form.showOptions();
        QCOMPARE(form.optionsDialog(), first.data());
        QVERIFY(!first->showsplash->isChecked()); // not reloaded
        first->Command1->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(m_settings->text(Key::ShowSplash), QStringLiteral("0"));
        form.showOptions();
        QVERIFY(form.optionsDialog() && !form.optionsDialog()->showsplash->isChecked());
    }

    void noSkinsFolderListsTheBuiltInSkin()
    {
        QVERIFY(QDir(m_dir->filePath(QStringLiteral("skins"))).removeRecursively());
        options& d = open();
        QCOMPARE(d.listskins->count(), 1);
        QCOMPARE(d.selectedSkin(), std::optional(kBuiltInSkin));
        QVERIFY(d.previewVisible() && m_messages.isEmpty());
    }

    // Switched off while open, the panel is shut before it goes, and comes back closed.
    void panelSwitchedOffWhileOpen()
    {
        m_settings->writeFlag(Key::ShowPanel, true);
        m_platform.setScreenSize(QSize(1024, 768));
        Form2 form(m_platform, *m_settings, m_dir->path());
        form.form3().show();
        form.form3().openingSequence();
        for (const bool on : {false, true}) {
            form.showOptions();
            form.optionsDialog()->showpanel->setChecked(on);
            form.optionsDialog()->Command1->click();
            QCOMPARE(form.form3().isVisible(), on);
            QVERIFY(form.form3().isClosedPosition());
            QVERIFY(!form.form3().Timer2.isActive());
        }
    }

private:
    QString iniPath() const { return m_dir->filePath(QStringLiteral("Zarvik5.ini")); }

    options& open()
    {
        OptionsHost host;
        host.applySkin = [this] {
            m_applied << m_settings->text(Key::skinname);
            return m_skins->load(m_settings->text(Key::skinname)).isComplete();
        };
        host.showPanel = [this](bool show) {
            m_panelCalls << (show ? QStringLiteral("show") : QStringLiteral("hide"));
        };
        m_dialog = new options(*m_settings, m_platform, *m_skins, host);
        m_dialog->setProgramChooser([this] {
            ++m_chooserCalls;
            return m_chosen;
        });
        m_dialog->setMessageBox([this](QMessageBox::Icon icon, const QString& title, const QString& text) {
            m_messages.append({icon, title, text});
        });
        m_dialog->Form_Load();
        m_dialog->show();
        return *m_dialog;
    }

    static void selectSkin(options& d, const QString& name)
    {
        const QList<QListWidgetItem*> items = d.listskins->findItems(name, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        d.listskins->setCurrentItem(items.first());
    }

    void writeSkin(const QString& name, const QStringList& missing)
    {
        const QString folder = Skins::folder(m_dir->path(), name);
        QVERIFY(QDir().mkpath(folder));
        for (const QString& file : Skins::fileNames()) {
            if (missing.contains(file))
                continue;
            QImage image(40, 30, QImage::Format_RGB32);
            image.fill(file == QLatin1String("panelmain.jpg") ? qRgb(220, 20, 20) : qRgb(20, 20, 220));
            QVERIFY(image.save(folder + QLatin1Char('/') + file, "JPG"));
        }
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<SkinLoader> m_skins;
    FakePlatform m_platform;
    QPointer<options> m_dialog;
    QList<Message> m_messages;
    QStringList m_applied;
    QStringList m_panelCalls;
    QString m_chosen;
    int m_chooserCalls = 0;
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
