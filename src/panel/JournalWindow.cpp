#include "panel/JournalWindow.h"

#include "journal/Journal.h"
#include "journal/JournalExport.h"
#include "panel/JournalModel.h"
#include "skins/Skin.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zarvik {

namespace {
const QString kTitle = QStringLiteral("Журнал слов");
constexpr int kTitleHeight = 22;

QString askExportFile(QWidget* parent)
{
    const QString csv = QStringLiteral("CSV для Anki (*.csv)");
    const QString tsv = QStringLiteral("Текст с табуляциями (*.tsv *.txt)");
    QString chosenFilter;
    QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("Экспорт журнала"),
                                                QDir::homePath() + QStringLiteral("/zarvik-words.csv"),
                                                csv + QStringLiteral(";;") + tsv, &chosenFilter);
    // A name without a suffix takes the chosen kind's.
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty())
        file += chosenFilter == tsv ? QStringLiteral(".tsv") : QStringLiteral(".csv");
    return file;
}

bool askClear(QWidget* parent)
{
    return QMessageBox::question(parent, QStringLiteral("Очистить журнал"),
                                 QStringLiteral("Удалить из журнала все слова? Отменить это будет нельзя."),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
} // namespace

// The window's title drawn over the top of the dictionary window's picture, as that window's
// own title strip is.
class JournalWindow::TitleStrip final : public QWidget {
public:
    explicit TitleStrip(QWidget* parent) : QWidget(parent) { setFixedHeight(kTitleHeight); }
    QPixmap picture;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (!picture.isNull()) {
            // A slice of the picture's title strip right of its own caption, stretched across
            // the window's width, with this window's caption over it as that one has its own.
            const int slice = std::min(picture.width(), 40);
            const QRect source(std::max(0, picture.width() - slice - 40), 0, slice, std::min(picture.height(), kTitleHeight));
            painter.drawPixmap(rect(), picture, source);
            painter.setPen(Qt::white);
        } else {
            painter.fillRect(rect(), palette().window());
            painter.setPen(palette().windowText().color());
        }
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(rect().adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, kTitle);
    }
};

JournalWindow::JournalWindow(Journal& journal, Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), m_journal(journal), m_hooks(std::move(hooks))
{
    if (!m_hooks.chooseExportFile)
        m_hooks.chooseExportFile = askExportFile;
    if (!m_hooks.confirmClear)
        m_hooks.confirmClear = askClear;
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(kTitle);
    resize(640, 480);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    m_title = new TitleStrip(this);
    layout->addWidget(m_title);

    auto* filters = new QHBoxLayout;
    filters->setContentsMargins(6, 0, 6, 0);
    filters->addWidget(new QLabel(QStringLiteral("Фильтр:"), this));
    filter = new QLineEdit(this);
    filter->setObjectName(QStringLiteral("filter"));
    filters->addWidget(filter, 1);
    favouritesOnly = new QCheckBox(QStringLiteral("Только избранное"), this);
    favouritesOnly->setObjectName(QStringLiteral("favouritesOnly"));
    filters->addWidget(favouritesOnly);
    layout->addLayout(filters);

    m_model = new JournalModel(m_journal, this);
    table = new QTableView(this);
    table->setObjectName(QStringLiteral("table"));
    table->setModel(m_model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table->horizontalHeader()->setSectionResizeMode(JournalModel::Line, QHeaderView::Stretch);
    table->setColumnWidth(JournalModel::Star, 28);
    table->setColumnWidth(JournalModel::Word, 140);
    table->setColumnWidth(JournalModel::Count, 44);
    table->setColumnWidth(JournalModel::Last, 120);
    table->setWordWrap(false);
    // The newest words first, as the journal is most often opened for what was just met.
    table->setSortingEnabled(true);
    table->sortByColumn(JournalModel::Last, Qt::DescendingOrder);
    auto* tableRow = new QHBoxLayout;
    tableRow->setContentsMargins(6, 0, 6, 0);
    tableRow->addWidget(table);
    layout->addLayout(tableRow, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 0, 6, 0);
    deleteButton = new QPushButton(QStringLiteral("Удалить"), this);
    exportButton = new QPushButton(QStringLiteral("Экспорт..."), this);
    clearButton = new QPushButton(QStringLiteral("Очистить журнал"), this);
    buttons->addWidget(deleteButton);
    buttons->addWidget(exportButton);
    buttons->addStretch(1);
    buttons->addWidget(clearButton);
    layout->addLayout(buttons);

    connect(filter, &QLineEdit::textChanged, this, [this] { filter_Change(); });
    connect(favouritesOnly, &QCheckBox::toggled, this, [this] { filter_Change(); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportShown(); });
    connect(clearButton, &QPushButton::clicked, this, [this] { clearJournal(); });
    // A click on the star marks or unmarks the word.
    connect(table, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == JournalModel::Star)
            m_model->toggleFavourite(index.row());
    });
    // A double-click on a word opens its article (Enter does too, see eventFilter); not
    // `activated`, which some styles emit on a single click.
    connect(table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() != JournalModel::Star)
            openRow(index.row());
    });
    table->installEventFilter(this);
}

JournalWindow::~JournalWindow() = default;

void JournalWindow::wearSkin(const Skin& skin)
{
    if (const QPixmap& p = skin.picture(SkinFile::dictmain); !p.isNull()) {
        m_title->picture = p;
        m_title->update();
    }
}

void JournalWindow::reload()
{
    m_model->reload();
}

void JournalWindow::filter_Change()
{
    JournalQuery q = m_model->query();
    q.filter = filter->text().trimmed();
    q.favouritesOnly = favouritesOnly->isChecked();
    m_model->setQuery(q);
}

void JournalWindow::deleteSelected()
{
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows << index.row();
    m_model->removeWords(rows);
}

int JournalWindow::exportShown()
{
    const QString file = m_hooks.chooseExportFile(this);
    if (file.isEmpty())
        return -1;
    QString error;
    const int written =
        exportJournal(m_journal, m_model->query(), file, exportFormatFor(file), m_hooks.transcription, &error);
    if (written < 0)
        QMessageBox::warning(this, QStringLiteral("Экспорт журнала"),
                             QStringLiteral("Не удалось записать файл %1: %2").arg(file, error));
    return written;
}

void JournalWindow::clearJournal()
{
    if (!m_hooks.confirmClear(this))
        return;
    m_journal.clear();
    m_model->reload();
}

void JournalWindow::openRow(int row)
{
    const QString word = m_model->headword(row);
    if (!word.isEmpty() && m_hooks.openArticle)
        m_hooks.openArticle(word);
}

bool JournalWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openRow(table->currentIndex().row());
            return true;
        }
        if (key == Qt::Key_Delete) {
            deleteSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void JournalWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace zarvik
