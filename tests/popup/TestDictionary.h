#pragma once

#include "popup/WordLookupSource.h"

#include <QList>
#include <QStringList>

namespace zarvik {

// A handful of dictionary rows in memory, matched like the real store (letter case ignored),
// recording every word it is asked for.
class TestDictionary final : public WordLookupSource {
public:
    struct Row {
        QString word;
        QString trans;
    };

    QList<Row> rows;
    QStringList queries;

    void exactLookup(const QString& word) override
    {
        queries.append(word);
        m_result.clear();
        for (const Row& row : rows) {
            if (row.word.compare(word, Qt::CaseInsensitive) == 0)
                m_result.append(row);
        }
        m_current = m_result.isEmpty() ? -1 : 0;
    }
    int recordCount() const override { return int(m_result.size()); }
    void moveFirst() override { m_current = m_result.isEmpty() ? -1 : 0; }
    void moveLast() override { m_current = int(m_result.size()) - 1; }
    QString field(int position) const override
    {
        if (m_current < 0)
            return QString();
        return position == 0 ? m_result[m_current].word : m_result[m_current].trans;
    }

private:
    QList<Row> m_result;
    int m_current = -1;
};

} // namespace zarvik
