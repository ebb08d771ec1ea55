#include "journal/Journal.h"
#include "panel/JournalModel.h"
#include "panel/JournalWindow.h"

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace zarvik;

namespace {
constexpr qint64 kT0 = 1'800'000'000;
}

class TestJournalWindow : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_journal = std::make_unique<Journal>(m_dir->path());
        // w0000 met longest ago, w0449 last; every tenth word met three times.
        for (int i = 0; i < 450; ++i) {
            const QString word = QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0'));
            for (int k = 0; k < (i % 10 == 0 ? 3 : 1); ++k)
                QVERIFY(m_journal->record(word, QStringLiteral("перевод %1").arg(i), LookupSource::Copy,
                                          kT0 + 10 * i + 100000 * k));
        }
        m_journal->record(QStringLiteral("кошка"), QStringLiteral("cat"), LookupSource::Copy, kT0 + 999999);
        m_opened.clear();
        JournalWindow::Hooks hooks;
        hooks.openArticle = [this](const QString& word) { m_opened << word; };
        hooks.chooseExportFile = [this](QWidget*) { return m_exportTo; };
        hooks.confirmClear = [this](QWidget*) { return m_confirm; };
        m_window = std::make_unique<JournalWindow>(*m_journal, hooks);
        m_window->show();
    }
    void cleanup()
    {
        m_window.reset();
        m_journal.reset();
        m_dir.reset();
    }

    void captionsAreRussian()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Журнал слов"));
        QStringList headers;
        for (int c = 0; c < m_window->model().columnCount(); ++c)
            headers << m_window->model().headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"★", "Слово", "Перевод", "Раз", "Последний раз"}));
        QCOMPARE(m_window->favouritesOnly->text(), QStringLiteral("Только избранное"));
        QCOMPARE(m_window->deleteButton->text(), QStringLiteral("Удалить"));
        QCOMPARE(m_window->exportButton->text(), QStringLiteral("Экспорт..."));
        QCOMPARE(m_window->clearButton->text(), QStringLiteral("Очистить журнал"));
    }

    // The first page only, then more as the view asks; the newest word first.
    void opensWithTheFirstPageNewestFirst()
    {
        JournalModel& model = m_window->model();
        QCOMPARE(model.total(), 451);
        QCOMPARE(model.rowCount(), 200);
        QCOMPARE(model.headword(0), QStringLiteral("кошка"));
        QCOMPARE(model.headword(1), QStringLiteral("w0440"));
        model.fetchMore({});
        QCOMPARE(model.rowCount(), 400);
        model.fetchMore({});
        QCOMPARE(model.rowCount(), 451);
        QVERIFY(!model.canFetchMore({}));
    }

    void sortsByEachColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("word, A to Z") << int(JournalModel::Word) << int(Qt::AscendingOrder) << "w0000" << "w0001";
        QTest::newRow("word, Z to A") << int(JournalModel::Word) << int(Qt::DescendingOrder) << "кошка" << "w0449";
        QTest::newRow("count, most first") << int(JournalModel::Count) << int(Qt::DescendingOrder) << "w0440" << "w0430";
        QTest::newRow("count, fewest first") << int(JournalModel::Count) << int(Qt::AscendingOrder) << "w0001" << "w0002";
        QTest::newRow("last time, oldest first") << int(JournalModel::Last) << int(Qt::AscendingOrder) << "w0001" << "w0002";
        QTest::newRow("translation does not sort") << int(JournalModel::Line) << int(Qt::AscendingOrder) << "кошка" << "w0440";
    }

    void sortsByEachColumn()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(QString, first);
        QFETCH(QString, second);
        m_window->model().sort(column, Qt::SortOrder(order));
        QCOMPARE(m_window->model().headword(0), first);
        QCOMPARE(m_window->model().headword(1), second);
    }

    void filterAndFavourites()
    {
        m_window->filter->setText(QStringLiteral("перевод 44"));
        QCOMPARE(m_window->model().total(), 11); // 44 and 440 to 449
        m_window->filter->setText(QStringLiteral("КОШ"));
        QCOMPARE(m_window->model().total(), 0); // Cyrillic letter case counts
        m_window->filter->clear();
        const QRect star = m_window->table->visualRect(m_window->model().index(1, JournalModel::Star));
        QTest::mouseClick(m_window->table->viewport(), Qt::LeftButton, {}, star.center());
        QCOMPARE(m_window->model().data(m_window->model().index(1, JournalModel::Star)).toString(), QStringLiteral("★"));
        QVERIFY(m_journal->entry(QStringLiteral("w0440"))->favourite);
        m_window->favouritesOnly->setChecked(true);
        QCOMPARE(m_window->model().total(), 1);
        QCOMPARE(m_window->model().headword(0), QStringLiteral("w0440"));
    }

    void enterAndDoubleClickOpenTheArticle()
    {
        m_window->table->setFocus();
        m_window->table->setCurrentIndex(m_window->model().index(2, JournalModel::Word));
        QTest::keyClick(m_window->table, Qt::Key_Return);
        const QRect cell = m_window->table->visualRect(m_window->model().index(0, JournalModel::Line));
        // A double-click as the server sends it: a press and release, then the second press.
        QTest::mouseClick(m_window->table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(m_window->table->viewport(), Qt::LeftButton, {}, cell.center());
        // Delete in the list removes the current selection (the word just double-clicked).
        QTest::keyClick(m_window->table, Qt::Key_Delete);
        QVERIFY(!m_journal->entry(QStringLiteral("кошка")));
        QCOMPARE(m_opened, QStringList({"w0430", "кошка"}));
    }

    void deleteSelectedRows()
    {
        m_window->table->selectRow(0);
        m_window->table->selectionModel()->select(m_window->model().index(2, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m_window->deleteButton->click();
        QCOMPARE(m_window->model().total(), 449);
        QVERIFY(!m_journal->entry(QStringLiteral("кошка")));
        QVERIFY(!m_journal->entry(QStringLiteral("w0430")));
        QVERIFY(m_journal->entry(QStringLiteral("w0440")));
    }

    void exportWritesTheShownWords()
    {
        m_exportTo = m_dir->filePath(QStringLiteral("shown.tsv"));
        m_window->filter->setText(QStringLiteral("перевод 44"));
        QCOMPARE(m_window->exportShown(), 11);
        QFile f(m_exportTo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 12); // the last line end leaves an empty piece
        QVERIFY(lines.first().startsWith("w0440\t\tперевод 440\t3\t"));
        m_exportTo.clear();
        QCOMPARE(m_window->exportShown(), -1); // cancelled
    }

    void clearAsksFirst()
    {
        m_confirm = false;
        m_window->clearButton->click();
        QCOMPARE(m_journal->count({}), 451);
        m_confirm = true;
        m_window->clearButton->click();
        QCOMPARE(m_journal->count({}), 0);
        QCOMPARE(m_window->model().rowCount(), 0);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Journal> m_journal;
    std::unique_ptr<JournalWindow> m_window;
    QStringList m_opened;
    QString m_exportTo;
    bool m_confirm = false;
};

QTEST_MAIN(TestJournalWindow)
#include "tst_journalwindow.moc"
