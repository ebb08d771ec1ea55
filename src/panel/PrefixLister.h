#pragma once

#include <QString>
#include <QStringList>

namespace zarvik {

class DictionaryReader;

// The one thing the search of the panel and of the dictionary window asks of the dictionary:
// the display lines of a prefix search (at most ten, or the no-match line).
class PrefixLister {
public:
    PrefixLister() = default;
    virtual ~PrefixLister() = default;
    PrefixLister(const PrefixLister&) = delete;
    PrefixLister& operator=(const PrefixLister&) = delete;

    virtual QStringList listPrefix(const QString& text) = 0;
};

// A window's own dictionary reader seen as a PrefixLister.
class ReaderPrefixLister final : public PrefixLister {
public:
    explicit ReaderPrefixLister(DictionaryReader& reader) : m_reader(reader) {}
    QStringList listPrefix(const QString& text) override;

private:
    DictionaryReader& m_reader;
};

} // namespace zarvik
