#include "popup/TerminalPrograms.h"

#include <QSet>

namespace zarvik {

bool TerminalPrograms::isTerminal(const QString& exeName)
{
    // Executable names as /proc reports them: uxterm is a script that runs xterm, and
    // gnome-terminal's windows belong to its server process. A terminal written in a
    // scripting language shows as its interpreter and cannot be told apart by name.
    static const QSet<QString> kNames = {
        QStringLiteral("xterm"),          QStringLiteral("uxterm"),
        QStringLiteral("koi8rxterm"),     QStringLiteral("lxterm"),
        QStringLiteral("urxvt"),          QStringLiteral("urxvtd"),
        QStringLiteral("rxvt"),           QStringLiteral("rxvt-unicode"),
        QStringLiteral("st"),             QStringLiteral("alacritty"),
        QStringLiteral("kitty"),          QStringLiteral("foot"),
        QStringLiteral("footclient"),     QStringLiteral("wezterm-gui"),
        QStringLiteral("gnome-terminal-server"), QStringLiteral("gnome-terminal"),
        QStringLiteral("konsole"),        QStringLiteral("xfce4-terminal"),
        QStringLiteral("lxterminal"),     QStringLiteral("qterminal"),
        QStringLiteral("mate-terminal"),  QStringLiteral("terminator"),
        QStringLiteral("tilix"),          QStringLiteral("sakura"),
        QStringLiteral("terminology"),    QStringLiteral("eterm"),
        QStringLiteral("Eterm"),          QStringLiteral("aterm"),
        QStringLiteral("mlterm"),         QStringLiteral("roxterm"),
        QStringLiteral("guake"),          QStringLiteral("tilda"),
        QStringLiteral("yakuake"),        QStringLiteral("cool-retro-term"),
        QStringLiteral("deepin-terminal"), QStringLiteral("kgx"),
        QStringLiteral("ptyxis"),         QStringLiteral("contour"),
        QStringLiteral("ghostty"),        QStringLiteral("cosmic-term"),
        QStringLiteral("xiterm"),         QStringLiteral("pterm"),
        QStringLiteral("putty"),          QStringLiteral("zutty"),
    };
    return kNames.contains(exeName);
}

} // namespace zarvik
