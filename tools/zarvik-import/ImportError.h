#pragma once

#include <QString>
#include <stdexcept>

namespace zarvik {

// A refusal of the importer: the input is malformed or the output cannot be written. The
// message is for the person running the tool.
class ImportError final : public std::runtime_error {
public:
    explicit ImportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace zarvik
