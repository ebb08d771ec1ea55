#pragma once

#include "dictionary/DictionaryReader.h"
#include "popup/WordLookupSource.h"

#include <optional>

namespace zarvik {

// The lookup's view of the main form's dictionary reader (Data1).
class DictionaryLookupSource final : public WordLookupSource {
public:
    explicit DictionaryLookupSource(DictionaryReader& reader) : m_reader(reader) {}

    // The lookup tells no row from one, two (it shows the second) and more (it shows the
    // first): a third row is all it needs to see of a headword with many.
    static constexpr int kRowsNeeded = 3;

    void openLookup() override;
    void closeLookup() override;
    void exactLookup(const QString& word) override;
    void reverseLookup(const QString& word) override;
    int recordCount() const override;
    void moveFirst() override;
    void moveLast() override;
    QString field(int position) const override;
    QString transcription(const QString& headword) override;

private:
    DictionaryReader& m_reader;
    std::optional<DictionaryReader::LookupBudget> m_budget;
};

} // namespace zarvik
