#pragma once

#include "journal/Journal.h"

#include <QAbstractTableModel>

namespace zarvik {

// The journal's words for a table view, read a page at a time as the view scrolls, so that a
// journal of 100,000 words opens with its first rows at once.
class JournalModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Star, Word, Line, Count, Last, ColumnCount };
    static constexpr int kPageRows = 200;

    explicit JournalModel(Journal& journal, QObject* parent = nullptr);

    // Reads the words anew for the query (and the sort the view set).
    void setQuery(const JournalQuery& query);
    const JournalQuery& query() const { return m_query; }
    // Reads the words anew (after the journal changed).
    void reload();
    // Words the query selects, loaded or not.
    int total() const { return m_total; }

    QString headword(int row) const;
    void toggleFavourite(int row);
    // Deletes the words of these rows from the journal.
    void removeWords(const QList<int>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // The word, count and last-time columns sort; the others keep the current order.
    void sort(int column, Qt::SortOrder order) override;

private:
    Journal& m_journal;
    JournalQuery m_query;
    QVector<JournalEntry> m_rows;
    int m_total = 0;
};

} // namespace zarvik
