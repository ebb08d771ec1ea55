// Placeholder so the tree builds; the SQLite reader replaces it.
#include "dictionary/DictionaryReader.h"

namespace zarvik {

struct DictionaryReader::Impl {
    QString path;
};

DictionaryReader::DictionaryReader() : d(std::make_unique<Impl>()) {}
DictionaryReader::~DictionaryReader() = default;
void DictionaryReader::setDatabaseName(const QString& path) { d->path = path; }
QString DictionaryReader::databaseName() const { return d->path; }
void DictionaryReader::exactLookup(const QString&) {}
void DictionaryReader::prefixSearch(const QString&, int) {}
int DictionaryReader::recordCount() const { return 0; }
void DictionaryReader::moveFirst() {}
void DictionaryReader::moveLast() {}
void DictionaryReader::setAbsolutePosition(int) {}
QString DictionaryReader::field(int) const { return {}; }
qint64 DictionaryReader::wordCount() { return 0; }
QStringList DictionaryReader::listPrefix(const QString&) { return {}; }
QString displayLine(const QString& word, const QString& trans) { return word + QStringLiteral(" - ") + trans; }
QString noMatchLine(const QString& text) { return text + QStringLiteral(" - ???"); }

} // namespace zarvik
