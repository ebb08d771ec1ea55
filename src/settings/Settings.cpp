#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <array>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace zarvik {

namespace {

struct KeyInfo {
    Key key;
    const char* name;
    const char* defaultText;
};

// Defaults are those the readers pass; numeric defaults are their decimal text, so an absent
// key reads exactly like a stored one. PanelPos has no fixed default (half the screen height).
constexpr std::array<KeyInfo, kKeyCount> kKeys{{
    {Key::skinname, "skinname", nullptr},
    {Key::ShowSplash, "ShowSplash", "1"},
    {Key::Apps, "Apps", ""},
    {Key::ShowPanel, "ShowPanel", "1"},
    {Key::hide5sec, "hide5sec", "1"},
    {Key::lastfocus, "lastfocus", "1"},
    {Key::bigpanel, "bigpanel", "0"},
    {Key::Buffer, "Buffer", "1"},
    {Key::OnClick, "OnClick", "1"},
    {Key::twoclk, "2clk", "True"},
    {Key::threeclk, "3clk", "False"},
    {Key::findword, "findword", "1"},
    {Key::questions, "questions", "1"},
    {Key::ShowTranscription, "ShowTranscription", "0"},
    {Key::KeepJournal, "KeepJournal", "1"},
    {Key::PanelPos, "PanelPos", ""},
}};
// A key is found at its own place: one added to the enumeration but not here (or out of its
// order) fails the build rather than reading another key's row.
constexpr bool keysInOrder()
{
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (kKeys[i].key != static_cast<Key>(i) || kKeys[i].name == nullptr)
            return false;
    return true;
}
static_assert(keysInOrder());

const KeyInfo& info(Key key)
{
    return kKeys[static_cast<size_t>(key)];
}

QString group()
{
    return QStringLiteral("Options/");
}

// Names the INI reader takes as they are; others (escaped, non-ASCII) are left to it.
bool plainName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_') && c != QLatin1Char('-') &&
            c != QLatin1Char('.'))
            return false;
    }
    return true;
}

// A hand-written value that the INI reader would take apart at a ";" (a comment) or a ","
// (a list); a quoted one it reads whole.
bool readerCutsValue(QByteArrayView value)
{
    return !value.startsWith('"') && (value.contains(';') || value.contains(','));
}

// What is at the path: nothing (the file is made at the first write), a regular file, or
// something else, which is never opened: a pipe would block the start for ever, and a device
// or folder is no settings file.
enum class PathKind { Missing, Regular, Other };
PathKind pathKind(const QString& path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return PathKind::Missing;
    return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::Other;
}

// A value as the INI reader reads it back: quoted where it holds what the reader would take
// apart or trim, with backslashes, quotes and control characters escaped; text in UTF-8.
QByteArray iniEscaped(const QString& value)
{
    bool quote = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    QString body;
    if (value.startsWith(QLatin1Char('@')))
        body += QLatin1Char('@'); // "@@" reads as "@": a leading "@" would announce a typed value
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            body += QLatin1String("\\\\");
            break;
        case '"':
            body += QLatin1String("\\\"");
            quote = true;
            break;
        case '\n':
            body += QLatin1String("\\n");
            break;
        case '\r':
            body += QLatin1String("\\r");
            break;
        case '\t':
            body += QLatin1String("\\t");
            break;
        case ';':
        case ',':
        case '=':
            body += c;
            quote = true;
            break;
        default:
            if (c.unicode() < 0x20)
                body += QStringLiteral("\\x%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                body += c;
        }
    }
    const QByteArray bytes = body.toUtf8();
    return quote ? '"' + bytes + '"' : bytes;
}

} // namespace

QByteArray iniWithValue(const QByteArray& ini, const QString& section, const QString& key, const QString& value)
{
    QList<QByteArray> lines = ini.isEmpty() ? QList<QByteArray>() : ini.split('\n');
    if (ini.endsWith('\n'))
        lines.removeLast();
    const QByteArray wantedSection = section.toUtf8();
    const QByteArray wantedKey = key.toUtf8();
    QByteArray current = "General"; // lines before any header belong to [General]
    qsizetype target = -1, lastOfSection = -1;
    // A line added takes the line ending of the line it follows.
    const auto ending = [&lines](qsizetype i) { return i >= 0 && lines[i].endsWith('\r') ? "\r" : ""; };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray body = lines[i];
        const bool cr = body.endsWith('\r');
        if (cr)
            body.chop(1);
        const QByteArray trimmed = body.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#'))
            continue;
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            current = close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
            if (current == wantedSection)
                lastOfSection = i;
            continue;
        }
        const qsizetype eq = body.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray name = body.left(eq).trimmed();
        if (current == wantedSection) {
            lastOfSection = i;
            if (name == wantedKey) {
                target = i; // the last occurrence is the one that is read
                continue;
            }
        }
        // The user's own bytes stay as they are, quotes added where a reader would cut them.
        const QByteArray raw = body.mid(eq + 1).trimmed();
        if (plainName(QString::fromUtf8(current)) && plainName(QString::fromUtf8(name)) && readerCutsValue(raw) &&
            !raw.contains('"')) {
            const qsizetype start = body.indexOf(raw, eq + 1);
            lines[i] = body.left(start) + '"' + raw + '"' + body.mid(start + raw.size()) + (cr ? "\r" : "");
        }
    }
    const QByteArray line = wantedKey + '=' + iniEscaped(value);
    if (target >= 0) {
        lines[target] = line + ending(target);
    } else if (lastOfSection >= 0) {
        lines.insert(lastOfSection + 1, line + ending(lastOfSection));
    } else {
        const QByteArray end = ending(lines.size() - 1);
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(end);
        lines.append('[' + wantedSection + ']' + end);
        lines.append(line + end);
    }
    return lines.join('\n') + '\n';
}

QMap<QString, QString> unquotedIniValues(const QString& iniPath)
{
    QMap<QString, QString> found;
    QFile file(iniPath);
    if (pathKind(iniPath) != PathKind::Regular || !file.open(QIODevice::ReadOnly))
        return found;
    QString prefix; // "" before any section and in [General], as the INI reader names them
    bool plainSection = true;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const QString section = line.mid(1, line.indexOf(QLatin1Char(']')) - 1);
            plainSection = plainName(section);
            prefix = section == QLatin1String("General") ? QString() : section + QLatin1Char('/');
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || !plainSection)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!plainName(key))
            continue;
        const QString value = line.mid(eq + 1).trimmed();
        // A quoted value is read right by the INI reader itself; so is one with nothing that
        // it would take apart. The last occurrence of a key wins, as there.
        if (!readerCutsValue(value.toUtf8()))
            found.remove(prefix + key);
        else
            found.insert(prefix + key, value);
    }
    return found;
}

std::optional<double> settingsNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

Settings::Settings()
{
    // Where the INI format keeps a user's settings of application "Zarvik5".
    open(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Zarvik5/Zarvik5.ini"));
}

Settings::Settings(const QString& iniPath)
{
    open(iniPath);
}

void Settings::open(const QString& iniPath)
{
    m_path = iniPath;
    if (pathKind(iniPath) == PathKind::Other) {
        std::fprintf(stderr, "zarvik: the settings file %s is not a regular file; the defaults are used\n",
                     QFile::encodeName(iniPath).constData());
        std::fflush(stderr);
        return;
    }
    // Read only: every write goes through write(), which changes the file's bytes itself.
    m_store = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

Settings::~Settings() = default;

QString Settings::keyName(Key key)
{
    return QString::fromLatin1(info(key).name);
}

QString Settings::defaultText(Key key)
{
    // Built once: absent keys (Apps, for one) are read on every tick of the click watcher.
    static const std::array<QString, kKeys.size()> defaults = [] {
        std::array<QString, kKeys.size()> texts;
        for (size_t i = 0; i < kKeys.size(); ++i)
            texts[i] = kKeys[i].key == Key::skinname ? kBuiltInSkin : QString::fromUtf8(kKeys[i].defaultText);
        return texts;
    }();
    return defaults[static_cast<size_t>(key)];
}

QString Settings::fileName() const
{
    return m_path;
}

QString Settings::text(Key key) const
{
    const std::optional<QString>& value = stored(key);
    return value ? *value : defaultText(key);
}

const std::optional<QString>& Settings::stored(Key key) const
{
    Cached& cached = m_cache[static_cast<size_t>(key)];
    if (!cached.loaded) {
        const QVariant value = m_store ? m_store->value(group() + keyName(key)) : QVariant();
        if (!value.isValid())
            cached.value.reset();
        // A hand-edited value with a comma comes back as a list; join it back into its text.
        else if (value.typeId() == QMetaType::QStringList)
            cached.value = value.toStringList().join(QLatin1Char(','));
        else
            cached.value = value.toString();
        if (cached.value) {
            // The INI reader takes an unquoted ";" for the start of a comment, but the Apps
            // list's documented form is "name;name;", and users write values by hand: such a
            // value is taken as written (write() keeps it so too).
            if (!m_handWritten)
                m_handWritten = unquotedIniValues(m_path);
            const auto raw = m_handWritten->constFind(group() + keyName(key));
            if (raw != m_handWritten->cend())
                cached.value = *raw;
        }
        cached.loaded = true;
    }
    return cached.value;
}

QString Settings::text(Key key, const QString& defaultValue) const
{
    const std::optional<QString>& value = stored(key);
    return value ? *value : defaultValue;
}

bool Settings::numberIs(Key key, double n) const
{
    std::optional<double> value = settingsNumber(text(key));
    if (!value)
        value = settingsNumber(defaultText(key));
    return value && *value == n;
}

bool Settings::boolean(Key key) const
{
    const auto read = [](const QString& t) -> std::optional<bool> {
        const QString s = t.trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        if (const auto n = settingsNumber(s))
            return *n != 0;
        return std::nullopt;
    };
    if (const auto value = read(text(key)))
        return *value;
    return read(defaultText(key)).value_or(false);
}

bool Settings::capsLockMode() const
{
    return text(Key::threeclk) == QLatin1String("True");
}

std::optional<float> Settings::panelPos() const
{
    const QString t = text(Key::PanelPos);
    if (t.isEmpty())
        return std::nullopt;
    const auto value = settingsNumber(t);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return static_cast<float>(*value);
}

void Settings::write(Key key, const QString& value)
{
    // This session goes on with the value chosen, whether or not the file takes it.
    m_cache[static_cast<size_t>(key)] = {true, value};
    if (!m_store)
        return; // no regular file at the path: nothing is written over it
    // The reader goes on with what it parsed at the start; the hand-written values that it
    // cut are taken as they stand now, before the write below puts them between quotes.
    if (!m_handWritten)
        m_handWritten = unquotedIniValues(m_path);
    // Only the line of this key changes: every other byte of the file, the user's own lines
    // and values the program cannot even read as text included, is written back as it was.
    // (The INI writer of the toolkit would write back what it understood: values cut at their
    // first ";", invalid UTF-8 turned into replacement characters.)
    QByteArray before;
    switch (pathKind(m_path)) {
    case PathKind::Other:
        return;
    case PathKind::Regular: {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return; // unreadable: better no write than one that drops the user's lines
        before = file.readAll();
        break;
    }
    case PathKind::Missing:
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        break;
    }
    const QByteArray after = iniWithValue(before, QStringLiteral("Options"), keyName(key), value);
    // Written whole to a new file beside it, then renamed over it: a full disk, or a crash or
    // the tray menu's immediate exit half-way, leaves the old file as it was. Unbuffered, so
    // that a failed write is seen here, before the rename, and not in a flush at the end.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    if (file.write(after) != after.size()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

void Settings::writeFlag(Key key, bool on)
{
    write(key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void Settings::writeOption(Key key, bool on)
{
    write(key, on ? QStringLiteral("True") : QStringLiteral("False"));
}

void Settings::writePanelPos(float twips)
{
    write(Key::PanelPos, QString::number(static_cast<double>(twips), 'g', 7));
}

QStringList Settings::appsEntries(const QString& apps)
{
    QStringList entries;
    QString rest = apps;
    for (int i = 0; i < 51; ++i) {
        const qsizetype cut = rest.indexOf(QLatin1Char(';'));
        if (cut < 0)
            break;
        entries.append(rest.left(cut));
        rest = rest.mid(cut + 1);
    }
    return entries;
}

QString Settings::appsText(const QStringList& entries)
{
    QString text;
    for (const QString& entry : entries)
        text += entry + QLatin1Char(';');
    return text;
}

} // namespace zarvik
