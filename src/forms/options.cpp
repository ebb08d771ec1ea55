#include "forms/options.h"

#include "platform/Platform.h"
#include "settings/Settings.h"
#include "skins/Skin.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zarvik {

namespace {

// Said on the "Общие" page in a Wayland session.
const QString kWaylandAppsNote =
    QStringLiteral("В сеансе Wayland список действует только на программы X11: в программах Wayland "
                   "Zarvik не может узнать, какая программа скопировала или выделила текст.");

// The preview area is 7800 x 1530 twips.
constexpr int kPreviewWidth = 520;
constexpr int kPreviewHeight = 102;

const QStringList& pageNames()
{
    static const QStringList names{QStringLiteral("Общие"), QStringLiteral("Панель Zarvik"),
                                   QStringLiteral("Всплывающий перевод"), QStringLiteral("Вид (Скин)")};
    return names;
}

// The subfolders of the program folder's "skins", by name. A missing "skins" folder simply
// lists none: the built-in skin is always there.
QStringList skinFolders(const QString& programDir)
{
    return QDir(programDir + QStringLiteral("/skins"))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

} // namespace

options::options(Settings& settings, Platform& platform, SkinLoader& skins, OptionsHost host, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_platform(platform), m_skins(skins), m_host(std::move(host))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Настройки Zarvik"));
    m_chooseProgram = [this] {
        // Linux programs carry no ".exe": any file may be chosen, starting where installed
        // programs live.
        return QFileDialog::getOpenFileName(this, QStringLiteral("Добавить программу в список"),
                                            QStringLiteral("/usr/bin"), QStringLiteral("Программы (*)"));
    };
    m_message = [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        QMessageBox box(icon, title, text, QMessageBox::Ok, this);
        box.exec();
    };
    build();
}

options::~options() = default;

QWidget* options::page(const QString& name, QLabel*& header)
{
    auto* container = new QWidget(this);
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    header = new QLabel(name, container);
    header->setAutoFillBackground(true);
    QPalette strip = header->palette();
    strip.setColor(QPalette::Window, QColor(0x1f, 0x4a, 0x7c));
    strip.setColor(QPalette::WindowText, Qt::white);
    header->setPalette(strip);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    header->setContentsMargins(8, 5, 8, 5);
    layout->addWidget(header);
    return container;
}

void options::build()
{
    auto* root = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    root->addLayout(body);

    pvlistbox1 = new QListWidget(this);
    pvlistbox1->setObjectName(QStringLiteral("pvlistbox1"));
    pvlistbox1->setFixedWidth(170);
    body->addWidget(pvlistbox1);
    Line2 = new QFrame(this);
    Line2->setFrameShape(QFrame::VLine);
    Line2->setFrameShadow(QFrame::Sunken);
    body->addWidget(Line2);
    auto* pages = new QGridLayout;
    body->addLayout(pages, 1);

    // "Общие"
    Picture1 = page(pageNames()[0], Label1);
    auto* general = static_cast<QVBoxLayout*>(Picture1->layout());
    showsplash = new QCheckBox(QStringLiteral("Показывать заставку при загрузке"), Picture1);
    general->addWidget(showsplash);
    keepjournal = new QCheckBox(QStringLiteral("Вести журнал слов"), Picture1);
    keepjournal->setObjectName(QStringLiteral("keepjournal"));
    general->addWidget(keepjournal);
    appsFrame = new QGroupBox(QStringLiteral("Приложения"), Picture1);
    auto* apps = new QGridLayout(appsFrame);
    List1 = new QListWidget(appsFrame);
    List1->setObjectName(QStringLiteral("List1"));
    List1->installEventFilter(this);
    apps->addWidget(List1, 0, 0, 3, 1);
    Command3 = new QPushButton(QStringLiteral("Добавить"), appsFrame);
    Command4 = new QPushButton(QStringLiteral("Удалить"), appsFrame);
    apps->addWidget(Command3, 0, 1);
    apps->addWidget(Command4, 1, 1);
    Label8 = new QLabel(
        QStringLiteral("Добавьте в список те программы, в которых Zarvik не должен работать."), appsFrame);
    Label8->setWordWrap(true);
    apps->addWidget(Label8, 3, 0, 1, 2);
    // A copy or a selection made in a native Wayland program does not say which program made
    // it, so the list can only keep X11 programs out; the user is told where it applies.
    if (m_platform.nativeSelections() != NativeSelections::AllSeen) {
        waylandNote = new QLabel(kWaylandAppsNote, appsFrame);
        waylandNote->setWordWrap(true);
        apps->addWidget(waylandNote, 4, 0, 1, 2);
    }
    general->addWidget(appsFrame, 1);

    // "Панель Zarvik"
    Picture3 = page(pageNames()[1], Label2);
    auto* panel = static_cast<QVBoxLayout*>(Picture3->layout());
    showpanel = new QCheckBox(QStringLiteral("Показывать панель Zarvik"), Picture3);
    hide5sec = new QCheckBox(QStringLiteral("Скрывать после 7 секунд бездействия"), Picture3);
    hidelastfocus = new QCheckBox(QStringLiteral("Скрывать при при щелчке вне панели"), Picture3);
    bigpanel = new QCheckBox(QStringLiteral("Большая панель (как в Zarvik 4.x)"), Picture3);
    panel->addWidget(showpanel);
    for (QCheckBox* option : {hide5sec, hidelastfocus, bigpanel})
        panel->addWidget(option);
    panel->addStretch(1);

    // "Всплывающий перевод"
    Picture5 = page(pageNames()[2], Label3);
    auto* popup = static_cast<QVBoxLayout*>(Picture5->layout());
    transbuffer = new QCheckBox(QStringLiteral("Переводить буфер обмена"), Picture5);
    popup->addWidget(transbuffer);
    clickFrame = new QGroupBox(QStringLiteral("Перевод левой кнопкой мыши"), Picture5);
    auto* click = new QVBoxLayout(clickFrame);
    transclick = new QCheckBox(QStringLiteral("Переводить при нажатии левой кнопки мыши"), clickFrame);
    trans2clk = new QRadioButton(QStringLiteral("Двойным щелчком"), clickFrame);
    trans3clk = new QRadioButton(QStringLiteral("Caps Lock + двойной щелчок"), clickFrame);
    // One choice of two, but a stored pair may select neither: the exclusion is ours.
    trans2clk->setAutoExclusive(false);
    trans3clk->setAutoExclusive(false);
    click->addWidget(transclick);
    click->addWidget(trans2clk);
    click->addWidget(trans3clk);
    popup->addWidget(clickFrame);
    findword = new QCheckBox(QStringLiteral("Если слово не найдено, попытаться найти его словообразование"),
                             Picture5);
    showquestions =
        new QCheckBox(QStringLiteral("Показывать знаки вопроса, если слово не найдено"), Picture5);
    showtranscription = new QCheckBox(QStringLiteral("Показывать транскрипцию"), Picture5);
    showtranscription->setObjectName(QStringLiteral("showtranscription"));
    popup->addWidget(findword);
    popup->addWidget(showquestions);
    popup->addWidget(showtranscription);
    popup->addStretch(1);

    // "Вид (Скин)"
    Picture7 = page(pageNames()[3], Label4);
    auto* look = static_cast<QVBoxLayout*>(Picture7->layout());
    listskins = new QListWidget(Picture7);
    listskins->setObjectName(QStringLiteral("listskins"));
    look->addWidget(listskins, 1);
    Picture9 = new QFrame(Picture7);
    Picture9->setFixedSize(kPreviewWidth, kPreviewHeight);
    look->addWidget(Picture9);
    Image1 = new QLabel(Picture9);
    Image1->setGeometry(0, 0, kPreviewWidth, kPreviewHeight);
    // The panel background is shown from its top-left corner, unscaled, as the panel shows
    // it: the strip with the word in the input line and the start of the list below it.
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label5 = new QLabel(QStringLiteral("skin"), Picture9);
    Label5->setGeometry(100, 5, 270, 16);
    Label7 = new QLabel(kPreviewSample, Picture9);
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = Label7->font();
    small.setPixelSize(11);
    Label7->setFont(small);
    Label5->setFont(small);
    // The runs of spaces pad each entry of the sample to a line of its own when the label is
    // as wide as its longest entry: the preview then reads like the panel's list.
    const QFontMetrics metrics(small);
    int widest = 0;
    for (const QString& entry : kPreviewSample.split(QStringLiteral("  "), Qt::SkipEmptyParts))
        widest = qMax(widest, metrics.horizontalAdvance(entry.trimmed()));
    Label7->setGeometry(97, 28, qMin(widest + 4, 283), kPreviewHeight - 30);
    Label6 = new QLabel(QStringLiteral("Загрузить скины с сайта"), Picture7);
    Label6->setCursor(Qt::PointingHandCursor);
    Label6->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    Label6->installEventFilter(this);
    look->addWidget(Label6);

    // Every page gets the room of the largest, so the window keeps its size from page to page.
    QSize room;
    for (QWidget* p : {Picture1, Picture3, Picture5, Picture7})
        room = room.expandedTo(p->sizeHint());
    for (QWidget* p : {Picture1, Picture3, Picture5, Picture7}) {
        p->setMinimumSize(room);
        pages->addWidget(p, 0, 0);
    }

    Line1 = new QFrame(this);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    root->addWidget(Line1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Отмена"), this);
    Command1->setDefault(true);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    root->addLayout(buttons);

    Picture10 = m_skins.load(kBuiltInSkin).picture(SkinFile::panelmain);

    connect(pvlistbox1, &QListWidget::currentRowChanged, this, [this] { pvlistbox1_Click(); });
    connect(showpanel, &QCheckBox::toggled, this, [this] { showpanel_Click(); });
    connect(transclick, &QCheckBox::toggled, this, [this] { transclick_Click(); });
    connect(trans2clk, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            trans3clk->setChecked(false);
    });
    connect(trans3clk, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            trans2clk->setChecked(false);
    });
    // A click on the selected mode keeps it selected, as with any pair of option buttons.
    for (QRadioButton* mode : {trans2clk, trans3clk})
        connect(mode, &QRadioButton::clicked, mode, [mode] { mode->setChecked(true); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    // Selecting an entry, by the user or from code, previews it.
    connect(listskins, &QListWidget::itemSelectionChanged, this, [this] {
        if (!listskins->selectedItems().isEmpty())
            listskins_Click();
    });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void options::Form_Load()
{
    listskins->addItem(kBuiltInSkin);
    const OptionsChoices c = OptionsChoices::read(m_settings);
    showsplash->setChecked(c.showsplash);
    List1->addItems(c.apps);
    showpanel->setChecked(c.showpanel);
    hide5sec->setChecked(c.hide5sec);
    hidelastfocus->setChecked(c.hidelastfocus);
    bigpanel->setChecked(c.bigpanel);
    transbuffer->setChecked(c.transbuffer);
    transclick->setChecked(c.transclick);
    trans2clk->setChecked(c.trans2clk);
    trans3clk->setChecked(c.trans3clk);
    findword->setChecked(c.findword);
    showquestions->setChecked(c.showquestions);
    showtranscription->setChecked(c.showtranscription);
    keepjournal->setChecked(c.keepjournal);

    const QString current = m_settings.text(Key::skinname, kBuiltInSkin);
    listskins->addItems(skinFolders(m_skins.programDir()));
    // Exact text, letter case included; no entry matching leaves the list without selection.
    for (int i = 0; i < listskins->count(); ++i) {
        if (listskins->item(i)->text() == current)
            listskins->setCurrentRow(i);
    }

    showpanel_Click();
    transclick_Click();
    pvlistbox1->addItems(pageNames());
    pvlistbox1->setCurrentRow(0);
}

void options::pvlistbox1_Click()
{
    const int index = pvlistbox1->currentRow();
    QWidget* const pages[] = {Picture1, Picture3, Picture5, Picture7};
    for (int i = 0; i < 4; ++i)
        pages[i]->setVisible(i == index);
}

void options::showpanel_Click()
{
    const bool on = showpanel->isChecked();
    hide5sec->setEnabled(on);
    hidelastfocus->setEnabled(on);
    bigpanel->setEnabled(on);
}

void options::transclick_Click()
{
    const bool on = transclick->isChecked();
    trans2clk->setEnabled(on);
    trans3clk->setEnabled(on);
}

void options::Command3_Click()
{
    QStringList entries;
    for (int i = 0; i < List1->count(); ++i)
        entries.append(List1->item(i)->text());
    if (!OptionsChoices::canAddProgram(entries))
        return;
    const QString chosen = m_chooseProgram();
    if (chosen.isEmpty())
        return;
    const QString name = OptionsChoices::programName(chosen);
    if (OptionsChoices::isListed(entries, name)) {
        message(QMessageBox::Information, QStringLiteral("Внимание!"),
                QStringLiteral("Эта программа уже есть в списке. Выберите другую программу"));
        return;
    }
    List1->addItem(name);
}

void options::Command4_Click()
{
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    delete List1->takeItem(List1->row(selected.first()));
}

void options::listskins_Click()
{
    const QList<QListWidgetItem*> selected = listskins->selectedItems();
    if (selected.isEmpty())
        return;
    Image1->show();
    Label5->show();
    Label7->show();
    const int row = listskins->row(selected.first());
    bool loaded = true;
    if (row == 0) {
        Image1->setPixmap(Picture10);
    } else {
        // All seven pictures are read, so a skin that previews passes the skin test; the
        // panel background is the one shown.
        const Skin skin = m_skins.load(selected.first()->text());
        loaded = skin.isComplete();
        if (loaded)
            Image1->setPixmap(skin.picture(SkinFile::panelmain));
    }
    if (!loaded) {
        message(QMessageBox::Critical, QStringLiteral("Ошибка"),
                QStringLiteral("Не правильно установлен скин. Попробуйте его переустановить"));
        Image1->hide();
        Label5->hide();
        Label7->hide();
    }
}

void options::Label6_Click()
{
    m_platform.openDocument(kSkinsPage);
}

OptionsChoices options::choices() const
{
    OptionsChoices c;
    c.showsplash = showsplash->isChecked();
    for (int i = 0; i < List1->count(); ++i)
        c.apps.append(List1->item(i)->text());
    c.showpanel = showpanel->isChecked();
    c.hide5sec = hide5sec->isChecked();
    c.hidelastfocus = hidelastfocus->isChecked();
    c.bigpanel = bigpanel->isChecked();
    c.transbuffer = transbuffer->isChecked();
    c.transclick = transclick->isChecked();
    c.trans2clk = trans2clk->isChecked();
    c.trans3clk = trans3clk->isChecked();
    c.findword = findword->isChecked();
    c.showquestions = showquestions->isChecked();
    c.showtranscription = showtranscription->isChecked();
    c.keepjournal = keepjournal->isChecked();
    return c;
}

std::optional<QString> options::selectedSkin() const
{
    const QList<QListWidgetItem*> selected = listskins->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first()->text();
}

bool options::previewVisible() const
{
    return !Image1->isHidden();
}

void options::Command1_Click()
{
    const QString skin = OptionsChoices::skinToStore(previewVisible(), selectedSkin(),
                                                     m_settings.text(Key::skinname, kBuiltInSkin));
    choices().write(
        m_settings, skin, [this] { return !m_host.applySkin || m_host.applySkin(); },
        [this](OptionsChoices::PanelChange change) {
            if (change != OptionsChoices::PanelChange::None && m_host.showPanel)
                m_host.showPanel(change == OptionsChoices::PanelChange::Show);
        });
    close();
}

void options::Command2_Click()
{
    close();
}

bool options::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == List1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Insert) {
            Command3_Click();
            return true;
        }
        if (key == Qt::Key_Delete) {
            Command4_Click();
            return true;
        }
    } else if (watched == Label6 && event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label6_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void options::message(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    m_message(icon, title, text);
}

} // namespace zarvik
