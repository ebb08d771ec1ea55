#include "RunSorter.h"

#include "ImportError.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace zarvik {

namespace {

constexpr size_t kHeader = 2 * sizeof(std::uint32_t);
// What one run reads from the file at a time while the runs are merged: the runs of a huge
// dictionary number a few dozen, so this stays far below the bound on the chunk.
constexpr size_t kReadBuffer = 64 * 1024;
constexpr size_t kWriteBuffer = 1024 * 1024;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

std::uint32_t lengthAt(const char* at)
{
    std::uint32_t n;
    std::memcpy(&n, at, sizeof n);
    return n;
}

// SQLite's BINARY order: char_traits<char> compares as unsigned char, as memcmp does.
int compareKeys(std::string_view a, std::string_view b)
{
    return a.compare(b);
}

} // namespace

// One sorted run of the file, read front to back through a small buffer.
struct RunSorter::Run {
    int fd = -1;
    qint64 position = 0; // in the file, of what the buffer does not hold yet
    qint64 end = 0;
    std::string buffer;
    size_t taken = 0; // of the buffer
    std::string record;
    std::uint32_t keyLength = 0;

    std::string_view key() const { return std::string_view(record).substr(0, keyLength); }
    std::string_view payload() const { return std::string_view(record).substr(keyLength); }

    void take(char* out, size_t n)
    {
        while (n > 0) {
            if (taken == buffer.size()) {
                const qint64 left = end - position;
                if (left <= 0)
                    throw ImportError(QStringLiteral("the sort's temporary file ended early"));
                buffer.resize(size_t(std::min<qint64>(left, qint64(kReadBuffer))));
                ssize_t got;
                do
                    got = ::pread(fd, buffer.data(), buffer.size(), position);
                while (got < 0 && errno == EINTR);
                if (got <= 0)
                    throw ImportError(QStringLiteral("cannot read the sort's temporary file back (%1)")
                                          .arg(got < 0 ? systemError() : QStringLiteral("it is shorter")));
                buffer.resize(size_t(got));
                position += got;
                taken = 0;
            }
            const size_t part = std::min(n, buffer.size() - taken);
            std::memcpy(out, buffer.data() + taken, part);
            out += part;
            n -= part;
            taken += part;
        }
    }

    // The next record into `record`; false at the end of the run.
    bool load()
    {
        if (taken == buffer.size() && position >= end)
            return false;
        char header[kHeader];
        take(header, kHeader);
        keyLength = lengthAt(header);
        record.resize(size_t(keyLength) + lengthAt(header + sizeof(std::uint32_t)));
        take(record.data(), record.size());
        return true;
    }
};

RunSorter::RunSorter(QString spillFolder, qsizetype memoryBytes)
    : m_folder(std::move(spillFolder)), m_bound(std::clamp<qsizetype>(memoryBytes, 4096, qsizetype(1) << 30))
{
}

RunSorter::~RunSorter()
{
    if (m_fd >= 0)
        ::close(m_fd); // the file has no name: closing it gives its room back
}

void RunSorter::add(QByteArrayView key, QByteArrayView payload)
{
    if (m_reading)
        throw ImportError(QStringLiteral("internal error: a record added to a sort being read"));
    // A record never comes near this (a translation line is bounded); the lengths must fit
    // their fields.
    constexpr qsizetype kMaxPart = 1 << 30;
    if (key.size() > kMaxPart || payload.size() > kMaxPart)
        throw ImportError(QStringLiteral("a record too large to sort (%1 bytes)").arg(key.size() + payload.size()));
    const size_t size = kHeader + size_t(key.size()) + size_t(payload.size());
    if (!m_chunk.empty() && qsizetype(m_chunk.size() + size + m_offsets.size() * sizeof(std::uint32_t)) > m_bound)
        spill();
    if (m_chunk.capacity() < size_t(m_bound))
        m_chunk.reserve(size_t(m_bound)); // pages count only once written: no copies as it fills
    m_offsets.push_back(std::uint32_t(m_chunk.size()));
    const std::uint32_t lengths[2] = {std::uint32_t(key.size()), std::uint32_t(payload.size())};
    m_chunk.append(reinterpret_cast<const char*>(lengths), kHeader);
    m_chunk.append(key.data(), size_t(key.size()));
    m_chunk.append(payload.data(), size_t(payload.size()));
    ++m_count;
}

void RunSorter::sortChunk()
{
    const char* base = m_chunk.data();
    const auto keyOf = [base](std::uint32_t at) {
        return std::string_view(base + at + kHeader, lengthAt(base + at));
    };
    // Offsets grow with arrival, so they break ties in the order records came.
    std::sort(m_offsets.begin(), m_offsets.end(), [&keyOf](std::uint32_t a, std::uint32_t b) {
        const int c = compareKeys(keyOf(a), keyOf(b));
        return c != 0 ? c < 0 : a < b;
    });
}

void RunSorter::spill()
{
    if (m_fd < 0) {
        QByteArray name = QFile::encodeName(m_folder) + "/.zarvik-sort.XXXXXX";
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd < 0)
            throw ImportError(QStringLiteral("%1: cannot create a temporary file for the sort (%2)")
                                  .arg(m_folder, systemError()));
        // Nameless from the start: whatever becomes of the import, nothing is left behind.
        ::unlink(name.constData());
    }
    sortChunk();
    auto run = std::make_unique<Run>();
    run->fd = m_fd;
    run->position = m_spilled;
    std::string out;
    out.reserve(kWriteBuffer);
    const auto flush = [this, &out] {
        const char* at = out.data();
        size_t left = out.size();
        while (left > 0) {
            const ssize_t n = ::pwrite(m_fd, at, left, m_spilled);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw ImportError(QStringLiteral("%1: cannot write the sort's temporary file (%2)")
                                      .arg(m_folder, n < 0 ? systemError() : QStringLiteral("nothing written")));
            at += n;
            left -= size_t(n);
            m_spilled += n;
        }
        out.clear();
    };
    const char* base = m_chunk.data();
    for (const std::uint32_t at : m_offsets) {
        const size_t size = kHeader + lengthAt(base + at) + lengthAt(base + at + sizeof(std::uint32_t));
        if (out.size() + size > kWriteBuffer)
            flush();
        if (size > kWriteBuffer)
            out.assign(base + at, size); // a record longer than the buffer goes on its own
        else
            out.append(base + at, size);
    }
    flush();
    run->end = m_spilled;
    m_runs.push_back(std::move(run));
    m_chunk.clear();
    m_offsets.clear();
}

void RunSorter::startReading()
{
    m_reading = true;
    if (m_runs.empty()) {
        sortChunk();
        m_position = 0;
        return;
    }
    if (!m_chunk.empty())
        spill();
    std::string().swap(m_chunk); // the merge needs only the runs' buffers
    std::vector<std::uint32_t>().swap(m_offsets);
    for (size_t i = 0; i < m_runs.size(); ++i) {
        if (m_runs[i]->load())
            m_heap.push_back(int(i));
    }
    std::make_heap(m_heap.begin(), m_heap.end(), [this](int a, int b) { return later(a, b); });
}

bool RunSorter::later(int a, int b) const
{
    const int c = compareKeys(m_runs[size_t(a)]->key(), m_runs[size_t(b)]->key());
    return c != 0 ? c > 0 : a > b;
}

bool RunSorter::nextMerged(QByteArrayView& key, QByteArrayView& payload)
{
    const auto later = [this](int a, int b) { return this->later(a, b); };
    if (m_current >= 0) {
        std::pop_heap(m_heap.begin(), m_heap.end(), later);
        if (m_runs[size_t(m_heap.back())]->load())
            std::push_heap(m_heap.begin(), m_heap.end(), later);
        else
            m_heap.pop_back();
        m_current = -1;
    }
    if (m_heap.empty())
        return false;
    m_current = m_heap.front();
    const Run& run = *m_runs[size_t(m_current)];
    key = QByteArrayView(run.key().data(), qsizetype(run.key().size()));
    payload = QByteArrayView(run.payload().data(), qsizetype(run.payload().size()));
    return true;
}

bool RunSorter::next(QByteArrayView& key, QByteArrayView& payload)
{
    if (!m_reading)
        startReading();
    if (!m_runs.empty())
        return nextMerged(key, payload);
    if (m_position >= m_offsets.size())
        return false;
    const char* at = m_chunk.data() + m_offsets[m_position++];
    const std::uint32_t keyLength = lengthAt(at);
    key = QByteArrayView(at + kHeader, keyLength);
    payload = QByteArrayView(at + kHeader + keyLength, lengthAt(at + sizeof(std::uint32_t)));
    return true;
}

namespace record {

void appendField(QByteArray& payload, std::optional<QByteArrayView> field)
{
    const std::uint32_t length = field ? std::uint32_t(field->size()) : kMissing;
    payload.append(reinterpret_cast<const char*>(&length), sizeof length);
    if (field)
        payload.append(*field);
}

std::optional<QByteArrayView> takeField(QByteArrayView& payload)
{
    if (payload.size() < qsizetype(sizeof(std::uint32_t)))
        throw ImportError(QStringLiteral("internal error: a sorted record without its field"));
    const std::uint32_t length = lengthAt(payload.data());
    payload = payload.sliced(sizeof length);
    if (length == kMissing)
        return std::nullopt;
    if (qsizetype(length) > payload.size())
        throw ImportError(QStringLiteral("internal error: a sorted record cut short"));
    const QByteArrayView field = payload.first(length);
    payload = payload.sliced(length);
    return field;
}

} // namespace record

} // namespace zarvik
