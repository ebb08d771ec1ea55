#pragma once

#include "core/WordRecorder.h"

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

namespace zarvik {

class Journal;

// Keeps the journal from the words the strip and the panel show. The interface thread only
// hands the word over: the write runs on a thread of its own, begun at the first word, so a
// slow disk or another copy of the program holding the file never delays a strip.
class JournalRecorder final : public WordRecorder {
public:
    // `enabled` is asked at every word (the user's option); `clock` gives seconds since the
    // epoch.
    JournalRecorder(QString folder, std::function<bool()> enabled,
                    std::function<qint64()> clock = {});
    ~JournalRecorder() override;

    void wordShown(const QString& headword, const QString& line, LookupSource source) override;
    // Returns once every word handed over so far is written (tests, the end of the program).
    void flush();

private:
    QString m_folder;
    std::function<bool()> m_enabled;
    std::function<qint64()> m_clock;
    std::unique_ptr<Journal> m_journal;
    QThread m_thread;
    // Lives on m_thread: the words are delivered to it as queued calls.
    std::unique_ptr<QObject> m_context;
};

} // namespace zarvik
