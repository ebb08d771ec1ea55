#include "popup/DictionaryLookupSource.h"

#include "dictionary/DictionaryReader.h"

namespace zarvik {

void DictionaryLookupSource::openLookup()
{
    m_budget.emplace(m_reader);
}

void DictionaryLookupSource::closeLookup()
{
    m_budget.reset();
}

void DictionaryLookupSource::exactLookup(const QString& word)
{
    m_reader.exactLookup(word, DictionaryReader::Table::EngRus, kRowsNeeded);
}

void DictionaryLookupSource::reverseLookup(const QString& word)
{
    m_reader.exactLookup(word, DictionaryReader::Table::RusEng, kRowsNeeded);
}

int DictionaryLookupSource::recordCount() const
{
    return m_reader.recordCount();
}

void DictionaryLookupSource::moveFirst()
{
    m_reader.moveFirst();
}

void DictionaryLookupSource::moveLast()
{
    m_reader.moveLast();
}

QString DictionaryLookupSource::field(int position) const
{
    return m_reader.field(position);
}

QString DictionaryLookupSource::transcription(const QString& headword)
{
    return m_reader.transcription(headword);
}

} // namespace zarvik
