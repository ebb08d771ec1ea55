#include "app/TrayCommands.h"

#include "app/Vendor.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <QProcess>

namespace zarvik {

TrayCommands::TrayCommands(Platform& platform, Settings& settings, const QString& programDir, TrayTargets targets)
    : m_platform(platform), m_settings(settings), m_programDir(programDir), m_targets(std::move(targets))
{
}

void TrayCommands::savePanelPosition()
{
    if (m_settings.numberIs(Key::ShowPanel, 1) && m_targets.panelTopTwips)
        m_settings.writePanelPos(static_cast<float>(m_targets.panelTopTwips()));
}

void TrayCommands::mnuopen_Click()
{
    if (m_targets.openDictionary)
        m_targets.openDictionary();
}

void TrayCommands::opts_Click()
{
    savePanelPosition();
    if (m_targets.showOptions)
        m_targets.showOptions();
}

QString TrayCommands::helpTarget(const QString& programDir, bool chmViewerRegistered)
{
    const QString chm = programDir + QStringLiteral("/zarvik.chm");
    const QString html = programDir + QStringLiteral("/help/index.html");
    // Without a viewer for CHM the desktop would show nothing or offer to save the file; the
    // HTML copy says the same in any browser. Should neither be there, the compiled file's
    // name is still handed over, and the desktop says what it says about a missing file.
    if (chmViewerRegistered && QFileInfo::exists(chm))
        return chm;
    if (QFileInfo::exists(html))
        return html;
    return chm;
}

void TrayCommands::mnuhelp2_Click()
{
    const bool viewer = m_targets.chmViewerRegistered && m_targets.chmViewerRegistered();
    m_platform.openDocument(helpTarget(m_programDir, viewer));
}

void TrayCommands::mnuonline_Click()
{
    m_platform.openDocument(Vendor::kProductPage);
}

void TrayCommands::mnuabout_Click()
{
    if (m_targets.showAbout)
        m_targets.showAbout();
}

void TrayCommands::mnuexit_Click()
{
    savePanelPosition();
    if (m_targets.removeTrayIcon)
        m_targets.removeTrayIcon();
    if (m_targets.quit)
        m_targets.quit();
}

bool desktopHasChmViewer()
{
    // shared-mime-info names "*.chm" application/vnd.ms-htmlhelp, with the older
    // application/x-chm as its alias; viewers declare either. xdg-mime answers from
    // mimeapps.list and the installed desktop files, so its answer is what xdg-open will do.
    // No xdg-mime, or no answer within two seconds, counts as no viewer: the HTML help is
    // then the safe choice.
    for (const QString& type : {QStringLiteral("application/vnd.ms-htmlhelp"), QStringLiteral("application/x-chm")}) {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), type});
        if (!query.waitForFinished(2000)) {
            query.kill();
            query.waitForFinished(500);
            return false;
        }
        if (query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
            query.readAllStandardOutput().trimmed().endsWith(".desktop"))
            return true;
    }
    return false;
}

} // namespace zarvik
