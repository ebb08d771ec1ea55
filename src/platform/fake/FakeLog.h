#pragma once

#include <QString>
#include <QStringList>

namespace zarvik {

// The ordered log that every part of the fake platform writes to, so that a test can check
// the order of what the logic did across concerns (a read of the store before a keystroke).
class FakeLog {
public:
    // Ordered log of the outputs and reads that matter for ordering checks.
    const QStringList& log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    // Appends a line to the log, so that a test double's calls show among the platform's.
    void note(const QString& line) { m_log.append(line); }

protected:
    FakeLog() = default;
    ~FakeLog() = default;

    QStringList m_log;
};

} // namespace zarvik
