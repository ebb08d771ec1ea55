#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class QSettings;

namespace zarvik {

// The keys of the "Options" section, in the order in which the options dialog writes them.
enum class Key {
    skinname,
    ShowSplash,
    Apps,
    ShowPanel,
    hide5sec,
    lastfocus,
    bigpanel,
    Buffer,
    OnClick,
    twoclk,   // "2clk"
    threeclk, // "3clk"
    findword,
    questions,
    // Added after the original thirteen keys of the dialog: the strip names the transcription
    // after the headword ("run [rʌn] - ...").
    ShowTranscription,
    KeepJournal, // "1": the journal of looked-up words is kept
    PanelPos,
};
// How many keys there are: PanelPos stays the last.
inline constexpr std::size_t kKeyCount = std::size_t(Key::PanelPos) + 1;

// The name of the built-in skin.
inline const QString kBuiltInSkin = QStringLiteral("(по умолчанию)");

// The per-user settings store of application "Zarvik5", section "Options": every key, its
// default and its reading rule live here. Nothing is cached by callers: every handler reads
// what it needs at the moment it needs it, so a change reaches everyone at their next read.
class Settings final {
public:
    // The store at its usual per-user place.
    Settings();
    // The store kept in the given INI file (tests, portable use).
    explicit Settings(const QString& iniPath);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    static QString keyName(Key key);
    // The default that the readers pass, as text.
    static QString defaultText(Key key);
    QString fileName() const;

    // The stored text, or the key's default when the key is absent.
    QString text(Key key) const;
    // The stored text, or the given default when the key is absent.
    QString text(Key key, const QString& defaultValue) const;
    // Check-box reading: the value as a number compared with n. A value that is not a number
    // reads as the key's default, so a hand-edited store can never switch a feature to an
    // unexpected state or stop the program.
    bool numberIs(Key key, double n) const;
    // Option-flag reading of the options dialog: "True"/"False" in any letter case or a
    // number (non-zero is on); anything else reads as the key's default.
    bool boolean(Key key) const;
    // Caps Lock mode of the click watcher: on only for the exact text "True".
    bool capsLockMode() const;
    // PanelPos as a single-precision number of twips; nullopt when absent or not a number.
    std::optional<float> panelPos() const;

    void write(Key key, const QString& value);
    void writeFlag(Key key, bool on);       // "1" / "0"
    void writeOption(Key key, bool on);     // "True" / "False"
    void writePanelPos(float twips);

    // The Apps list as the options dialog shows it: each piece before a ";", at most 51.
    static QStringList appsEntries(const QString& apps);
    // The Apps list as the options dialog stores it: every name followed by ";".
    static QString appsText(const QStringList& entries);

private:
    // What the store holds for each key (nullopt: absent), once read. This process is the
    // store's only writer and every write goes through write(), so the copy never goes stale;
    // the click watcher reads Apps a hundred times a second and must not pay a lookup in
    // QSettings' string-keyed map for it each time.
    struct Cached {
        bool loaded = false;
        std::optional<QString> value;
    };
    const std::optional<QString>& stored(Key key) const;
    // The values the user wrote by hand that the INI reader would take apart, read once.
    mutable std::optional<QMap<QString, QString>> m_handWritten;

    void open(const QString& iniPath);

    QString m_path;
    // Null when the path holds something that is no regular file (a pipe, a folder): the
    // defaults are used and nothing is written there.
    std::unique_ptr<QSettings> m_store;
    mutable std::array<Cached, kKeyCount> m_cache;
};

// The values of an INI file exactly as a user wrote them, where they are written without
// quotes and hold a ";" or "," (which the INI reader takes for a comment or a list), under
// the names the INI reader gives them ("Section/key", or "key" in [General]).
QMap<QString, QString> unquotedIniValues(const QString& iniPath);

// The INI file's bytes with the key of the section set to the value (added where it is
// missing) and every other line kept byte for byte, but for the hand-written values that
// unquotedIniValues() reads, which are put between quotes (their bytes unchanged) so that
// any INI reader reads them whole.
QByteArray iniWithValue(const QByteArray& ini, const QString& section, const QString& key, const QString& value);

// A value that reads as a number the way the settings readers understand numbers.
std::optional<double> settingsNumber(const QString& text);

} // namespace zarvik
