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
        int weight = 0; // in the reverse index: how common the word is
        QString transcription = {};
    };

    QList<Row> rows;
    // The reverse index (Russian word, English headwords); its queries are recorded apart.
    QList<Row> reverseRows;
    QStringList queries;
    QStringList reverseQueries;
    QStringList transcriptionQueries;

    void exactLookup(const QString& word) override
    {
        queries.append(word);
        select(rows, word);
    }
    void reverseLookup(const QString& word) override
    {
        reverseQueries.append(word);
        select(reverseRows, word);
    }
    int recordCount() const override { return int(m_result.size()); }
    void moveFirst() override { m_current = m_result.isEmpty() ? -1 : 0; }
    void moveLast() override { m_current = int(m_result.size()) - 1; }
    QString field(int position) const override
    {
        if (m_current < 0)
            return QString();
        const Row& row = m_result[m_current];
        return position == 0 ? row.word : position == 1 ? row.trans : QString::number(row.weight);
    }

    QString transcription(const QString& headword) override
    {
        transcriptionQueries.append(headword);
        for (const Row& row : rows)
            if (row.word.compare(headword, Qt::CaseInsensitive) == 0)
                return row.transcription;
        return {};
    }

private:
    void select(const QList<Row>& from, const QString& word)
    {
        m_result.clear();
        for (const Row& row : from) {
            if (row.word.compare(word, Qt::CaseInsensitive) == 0)
                m_result.append(row);
        }
        m_current = m_result.isEmpty() ? -1 : 0;
    }

    QList<Row> m_result;
    int m_current = -1;
};

} // namespace zarvik
