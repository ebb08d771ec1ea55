#pragma once

#include "settings/OptionsChoices.h"

#include <QDialog>
#include <QMessageBox>
#include <QPixmap>
#include <functional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace zarvik {

class Platform;
class Settings;
class SkinLoader;

// The vendor's page of skins to download, opened by the link of the skins page.
inline const QString kSkinsPage = QStringLiteral("http://www.zarvik.example/zarvik/download.htm");

// The sample of the panel's list for the word "skin" shown over the preview; the runs of
// spaces are part of it.
inline const QString kPreviewSample =
    QStringLiteral("skin - кожа; шлура; кожура           skin diver - аквалангист                skin "
                   "harderning - упрочнение "
                   "пове  skin-deep - поверхностный            skinflint - скряга");

// What the dialog's OK does outside the dialog: dress the open forms in the skin now stored
// (returning whether every picture of it loaded) and show or hide the panel.
struct OptionsHost {
    std::function<bool()> applySkin;
    std::function<void(bool show)> showPanel;
};

// The options dialog "Настройки Zarvik": four pages of settings, the list of programs where
// Zarvik stays silent, and the skin choice with a preview. It is modeless; nothing is stored
// before OK, and OK, Отмена or the close box unload it.
class options final : public QDialog {
    Q_OBJECT
public:
    options(Settings& settings, Platform& platform, SkinLoader& skins, OptionsHost host,
            QWidget* parent = nullptr);
    ~options() override;

    // The page list and the pages (containers with their header strips).
    QListWidget* pvlistbox1 = nullptr;
    QWidget* Picture1 = nullptr; // "Общие"
    QWidget* Picture3 = nullptr; // "Панель Zarvik"
    QWidget* Picture5 = nullptr; // "Всплывающий перевод"
    QWidget* Picture7 = nullptr; // "Вид (Скин)"
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QPushButton* Command1 = nullptr; // OK
    QPushButton* Command2 = nullptr; // Отмена

    // "Общие"
    QCheckBox* showsplash = nullptr;
    QGroupBox* appsFrame = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* Command3 = nullptr; // Добавить
    QPushButton* Command4 = nullptr; // Удалить
    QLabel* Label8 = nullptr;
    // In a Wayland session: the list reaches X11 programs only (none otherwise).
    QLabel* waylandNote = nullptr;
    // "Панель Zarvik"
    QCheckBox* showpanel = nullptr;
    QCheckBox* hide5sec = nullptr;
    QCheckBox* hidelastfocus = nullptr;
    QCheckBox* bigpanel = nullptr;
    // "Всплывающий перевод"
    QCheckBox* transbuffer = nullptr;
    QGroupBox* clickFrame = nullptr;
    QCheckBox* transclick = nullptr;
    QRadioButton* trans2clk = nullptr;
    QRadioButton* trans3clk = nullptr;
    QCheckBox* findword = nullptr;
    QCheckBox* showquestions = nullptr;
    QCheckBox* showtranscription = nullptr;
    QCheckBox* keepjournal = nullptr; // "Вести журнал слов" on "Общие"
    // "Вид (Скин)"
    QListWidget* listskins = nullptr;
    QFrame* Picture9 = nullptr; // the preview area
    QLabel* Image1 = nullptr;   // the preview picture
    QLabel* Label5 = nullptr;   // "skin"
    QLabel* Label7 = nullptr;   // the sample list
    QLabel* Label6 = nullptr;   // link to the vendor's skins
    // The built-in panel background, for the preview of the built-in entry.
    QPixmap Picture10;

    // The file dialog that picks a program; "" when cancelled. Tests put their own here.
    void setProgramChooser(std::function<QString()> chooser) { m_chooseProgram = std::move(chooser); }
    // Message boxes go through here (tests record them instead of waiting for a click).
    using MessageBox = std::function<void(QMessageBox::Icon, const QString& title, const QString& text)>;
    void setMessageBox(MessageBox box) { m_message = std::move(box); }

    // The state of the controls, as OK would store it.
    OptionsChoices choices() const;
    // The entry of the skin list that is selected, if any.
    std::optional<QString> selectedSkin() const;
    // The preview picture is shown (hidden after a failed preview).
    bool previewVisible() const;

    // Handlers. The load handler fills the controls from the store; whoever creates the
    // dialog runs it once, after putting in its own program chooser or message boxes.
    void Form_Load();
    void pvlistbox1_Click();
    void showpanel_Click();
    void transclick_Click();
    void Command3_Click();
    void Command4_Click();
    void listskins_Click();
    void Label6_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QWidget* page(const QString& name, QLabel*& header);
    void message(QMessageBox::Icon icon, const QString& title, const QString& text);

    Settings& m_settings;
    Platform& m_platform;
    SkinLoader& m_skins;
    OptionsHost m_host;
    std::function<QString()> m_chooseProgram;
    MessageBox m_message;
};

} // namespace zarvik
