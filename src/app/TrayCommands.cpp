#include "app/TrayCommands.h"

#include "app/Vendor.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QFileInfo>

namespace zarvik {

namespace {

// A command whose target is not set (in a test, or a window not made) does nothing.
void call(const std::function<void()>& target)
{
    if (target)
        target();
}

} // namespace

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
    call(m_targets.openDictionary);
}

void TrayCommands::opts_Click()
{
    savePanelPosition();
    call(m_targets.showOptions);
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
    // The desktop is asked in the background; the help opens when it has answered.
    Platform& platform = m_platform;
    const QString programDir = m_programDir;
    const auto open = [&platform, programDir](bool viewer) { platform.openDocument(helpTarget(programDir, viewer)); };
    if (m_targets.askChmViewer)
        m_targets.askChmViewer(open);
    else
        open(false);
}

void TrayCommands::mnuonline_Click()
{
    m_platform.openDocument(Vendor::kProductPage);
}

QString TrayCommands::shownHeadword() const
{
    return m_targets.shownHeadword ? m_targets.shownHeadword() : QString();
}

void TrayCommands::mnuarticle_Click()
{
    const QString headword = shownHeadword();
    if (!headword.isEmpty() && m_targets.openArticle)
        m_targets.openArticle(headword);
}

void TrayCommands::mnuabout_Click()
{
    call(m_targets.showAbout);
}

void TrayCommands::mnujournal_Click()
{
    call(m_targets.showJournal);
}

void TrayCommands::mnuexit_Click()
{
    savePanelPosition();
    call(m_targets.removeTrayIcon);
    call(m_targets.quit);
}

} // namespace zarvik
