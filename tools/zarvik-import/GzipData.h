#pragma once

#include <QByteArray>
#include <QString>

namespace zarvik {

// The whole content of a gzip file (a dictzip ".dz" is one): every member inflated and
// concatenated. Throws ImportError naming `what` when the data is not gzip or is cut short.
QByteArray gunzip(const QByteArray& data, const QString& what);

// Reads a file whole, inflating it when its name ends in ".gz" or ".dz".
QByteArray readDataFile(const QString& path);

} // namespace zarvik
