#pragma once

#include "popup/WordLookupSource.h"

namespace zarvik {

class DictionaryReader;

// The lookup's view of the main form's dictionary reader (Data1).
class DictionaryLookupSource final : public WordLookupSource {
public:
    explicit DictionaryLookupSource(DictionaryReader& reader) : m_reader(reader) {}

    void exactLookup(const QString& word) override;
    void reverseLookup(const QString& word) override;
    int recordCount() const override;
    void moveFirst() override;
    void moveLast() override;
    QString field(int position) const override;

private:
    DictionaryReader& m_reader;
};

} // namespace zarvik
