#pragma once

#include "core/WordRecorder.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

struct sqlite3;

namespace zarvik {

// One word of the journal.
struct JournalEntry {
    QString headword;
    QString line;
    int count = 0;
    qint64 first = 0; // seconds since the epoch (UTC); shown in local time
    qint64 last = 0;
    QString source; // "double-click", "copy" or "panel": where the word was last met
    bool favourite = false;
};

// Which words a view shows, and in what order.
struct JournalQuery {
    enum class Sort { LastTime, Count, Word };
    // Words whose headword or line holds this text (letter case of Latin letters ignored).
    QString filter;
    bool favouritesOnly = false;
    Sort sort = Sort::LastTime;
    bool descending = true;
};

// The journal of looked-up words: an SQLite file of the user's own, shared safely by every
// running copy of the program (WAL, a busy timeout, every change one short transaction).
//
// It opens when first used. A journal that cannot be used never stops anything else: a file
// that is not a database or is damaged is renamed aside (never deleted) and a new one begun;
// one that stays locked, sits on a full disk or in a folder we may not write is left alone and
// the journal is off for the rest of the run. Either way one line goes to `warn` (standard
// error by default), once.
class Journal final {
public:
    using Warn = std::function<void(const QString&)>;

    // `folder` holds the file (made 0700 when it is made); `busyTimeoutMs` is how long a
    // statement waits for another copy's write before it gives up.
    explicit Journal(QString folder, int busyTimeoutMs = 1000, Warn warn = {});
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // $XDG_DATA_HOME/Zarvik5, or ~/.local/share/Zarvik5 when the variable is unset or not an
    // absolute path (as the base-directory convention says).
    static QString defaultFolder();
    static QString fileName() { return QStringLiteral("journal.sqlite"); }
    QString path() const;

    // The most words kept: beyond it the words met longest ago go.
    static constexpr int kMaxWords = 100000;
    // A word met again within this many seconds of its last time counts once: the same word
    // copied twice, or double-clicked and then copied, is one meeting, while a word looked up
    // again after reading on is another.
    static constexpr qint64 kRepeatSeconds = 5;

    static QString sourceName(LookupSource source);

    // Opens (or makes) the file; false when the journal is off for this run.
    bool open();
    bool isOff() const { return m_off; }

    // Records one meeting with the word at `now` (seconds since the epoch). False when the
    // journal is off or the write failed (it is then off).
    bool record(const QString& headword, const QString& line, LookupSource source, qint64 now);

    int count(const JournalQuery& query);
    QVector<JournalEntry> rows(const JournalQuery& query, int offset, int limit);
    // One word, if the journal has it.
    std::optional<JournalEntry> entry(const QString& headword);
    bool setFavourite(const QString& headword, bool favourite);
    bool remove(const QStringList& headwords);
    // Empties the journal (the file stays, with nothing in it).
    bool clear();

private:
    enum class Outcome { Ok, Damaged, Failed };
    Outcome openFile();
    void closeFile();
    void setAside();
    // Ends the journal for the run after a failure, with one line naming it.
    void fail(const QString& what, int code);
    bool exec(const char* sql);
    bool trim();

    QString m_folder;
    int m_busyTimeoutMs;
    Warn m_warn;
    sqlite3* m_db = nullptr;
    bool m_opened = false;
    bool m_off = false;
    bool m_warned = false;
    // The words in the file as this connection last counted them; another copy may have added
    // some, which the count at the next trim finds.
    int m_words = 0;
};

} // namespace zarvik
