#pragma once

#include "SourceEntry.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryFile>
#include <memory>

namespace zarvik {

// The whole content of gzip data (a dictzip ".dz" is one): every member inflated and
// concatenated. Throws ImportError naming `what` when the data is not gzip, is cut short, or
// inflates to more than `limit` bytes.
QByteArray gunzip(const QByteArray& data, const QString& what, quint64 limit = SourceLimits{}.maxInflatedBytes);

// A data file read by ranges. A plain file is read where it is; a compressed one (name
// ending in ".gz" or ".dz") is inflated once, as a stream, into a temporary file, within
// SourceLimits::maxInflatedBytes. Either way memory holds only what one read asks for.
// Reads one line (with its line break) into `line`, keeping at most `max` bytes of it; the
// rest of a longer line is read and dropped, and `cut` says so. False at the end of the input.
bool readLineBounded(QIODevice& in, QByteArray& line, qint64 max, bool* cut);

class DataFile final {
public:
    // Throws ImportError when the file cannot be read or inflated.
    DataFile(const QString& path, const SourceLimits& limits);
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    const QString& path() const { return m_path; }
    quint64 size() const { return m_size; }
    // `length` bytes from `offset` (the caller keeps both inside size()).
    QByteArray read(quint64 offset, qint64 length);
    // The content from its start, for reading it once in order.
    QIODevice& stream();

private:
    QString m_path;
    QFile m_plain;
    std::unique_ptr<QTemporaryFile> m_inflated;
    QFileDevice* m_device = nullptr;
    quint64 m_size = 0;
};

} // namespace zarvik
