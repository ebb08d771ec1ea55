#include "settings/Settings.h"

#include <QFile>
#include <QSettings>
#include <array>
#include <cmath>

namespace zarvik {

namespace {

struct KeyInfo {
    Key key;
    const char* name;
    const char* defaultText;
};

// Defaults are those the readers pass; numeric defaults are their decimal text, so an absent
// key reads exactly like a stored one. PanelPos has no fixed default (half the screen height).
constexpr std::array<KeyInfo, 15> kKeys{{
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
    {Key::KeepJournal, "KeepJournal", "1"},
    {Key::PanelPos, "PanelPos", ""},
}};

const KeyInfo& info(Key key)
{
    return kKeys[static_cast<size_t>(key)];
}

QString group()
{
    return QStringLiteral("Options/");
}

} // namespace

QMap<QString, QString> unquotedIniValues(const QString& iniPath)
{
    QMap<QString, QString> found;
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return found;
    // Names the INI reader takes as they are; others (escaped, non-ASCII) are left to it.
    const auto plainName = [](const QString& name) {
        if (name.isEmpty())
            return false;
        for (const QChar c : name) {
            if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_') && c != QLatin1Char('-') &&
                c != QLatin1Char('.'))
                return false;
        }
        return true;
    };
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
        if (value.startsWith(QLatin1Char('"')) ||
            (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char(','))))
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
    : m_store(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Zarvik5"),
                                          QStringLiteral("Zarvik5")))
{
}

Settings::Settings(const QString& iniPath) : m_store(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

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
    return m_store->fileName();
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
        const QVariant value = m_store->value(group() + keyName(key));
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
                m_handWritten = unquotedIniValues(m_store->fileName());
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
    // Writing rewrites the whole file from what the INI reader understood, which would store
    // every hand-written value cut at its first ";" (an Apps list, a skin name, a key of the
    // user's own). So each value as the user wrote it goes back in with the write, quoted,
    // which any INI reader reads whole.
    const QString written = group() + keyName(key);
    const QMap<QString, QString> handWritten = unquotedIniValues(m_store->fileName());
    for (auto it = handWritten.cbegin(); it != handWritten.cend(); ++it) {
        if (it.key() != written)
            m_store->setValue(it.key(), it.value());
    }
    m_store->setValue(written, value);
    m_cache[static_cast<size_t>(key)] = {true, value};
    // Written through at once (atomically, by QSettings' save-file) so that a crash or the
    // immediate exit of the tray menu never loses a setting.
    m_store->sync();
    m_handWritten = QMap<QString, QString>();
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
