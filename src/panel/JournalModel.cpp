#include "panel/JournalModel.h"

#include <QDateTime>
#include <algorithm>

namespace zarvik {

JournalModel::JournalModel(Journal& journal, QObject* parent) : QAbstractTableModel(parent), m_journal(journal) {}

void JournalModel::setQuery(const JournalQuery& query)
{
    m_query = query;
    reload();
}

void JournalModel::reload()
{
    beginResetModel();
    m_total = m_journal.count(m_query);
    m_rows = m_journal.rows(m_query, 0, kPageRows);
    endResetModel();
}

QString JournalModel::headword(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].headword : QString();
}

void JournalModel::toggleFavourite(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    JournalEntry& e = m_rows[row];
    if (!m_journal.setFavourite(e.headword, !e.favourite))
        return;
    e.favourite = !e.favourite;
    emit dataChanged(index(row, Star), index(row, Star));
}

void JournalModel::removeWords(const QList<int>& rows)
{
    QStringList words;
    for (int row : rows)
        if (row >= 0 && row < m_rows.size())
            words << m_rows[row].headword;
    if (words.isEmpty() || !m_journal.remove(words))
        return;
    reload();
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int JournalModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const JournalEntry& e = m_rows[index.row()];
    if (role == Qt::TextAlignmentRole)
        return index.column() == Count || index.column() == Star ? int(Qt::AlignCenter)
                                                                  : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == Line)
        return e.line;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Star:
        return e.favourite ? QStringLiteral("★") : QStringLiteral("☆");
    case Word:
        return e.headword;
    case Line:
        return e.line;
    case Count:
        return e.count;
    case Last:
        return QDateTime::fromSecsSinceEpoch(e.last).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    default:
        return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Star:
        return QStringLiteral("★");
    case Word:
        return QStringLiteral("Слово");
    case Line:
        return QStringLiteral("Перевод");
    case Count:
        return QStringLiteral("Раз");
    case Last:
        return QStringLiteral("Последний раз");
    default:
        return {};
    }
}

bool JournalModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_rows.size() < m_total;
}

void JournalModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid())
        return;
    const QVector<JournalEntry> more = m_journal.rows(m_query, int(m_rows.size()), kPageRows);
    if (more.isEmpty()) {
        // The journal lost words since it was counted (another copy deleted them).
        m_total = int(m_rows.size());
        return;
    }
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + more.size()) - 1);
    m_rows += more;
    endInsertRows();
}

void JournalModel::sort(int column, Qt::SortOrder order)
{
    JournalQuery q = m_query;
    switch (column) {
    case Word:
        q.sort = JournalQuery::Sort::Word;
        break;
    case Count:
        q.sort = JournalQuery::Sort::Count;
        break;
    case Last:
        q.sort = JournalQuery::Sort::LastTime;
        break;
    default:
        return;
    }
    q.descending = order == Qt::DescendingOrder;
    setQuery(q);
}

} // namespace zarvik
