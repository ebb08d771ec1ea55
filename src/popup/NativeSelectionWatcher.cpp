#include "popup/NativeSelectionWatcher.h"

#include "popup/CapturedWordLookup.h"

namespace zarvik {

NativeSelectionWatcher::NativeSelectionWatcher(Platform& platform, CapturedWordLookup& lookup,
                                               std::function<void(const QString&)> say)
    : m_platform(platform), m_lookup(lookup), m_say(std::move(say))
{
}

QString NativeSelectionWatcher::unavailableMessage()
{
    return QStringLiteral("zarvik: this Wayland compositor offers no data-control protocol "
                          "(ext-data-control-v1 or wlr-data-control-unstable-v1), so copies and double-clicks in "
                          "native Wayland programs are not translated; X11 programs work as usual, and a copy "
                          "made in a native program is translated once an X11 window has the keyboard");
}

void NativeSelectionWatcher::start()
{
    if (m_said || m_platform.nativeSelections() != NativeSelections::Unavailable)
        return;
    m_said = true;
    if (m_say)
        m_say(unavailableMessage());
}

void NativeSelectionWatcher::platformClipboardChanged()
{
    m_recentPlatformTexts.emplace_back(m_platform.clipboardText(), m_platform.clockSeconds());
}

void NativeSelectionWatcher::selectionChanged(SelectionKind kind, const QString& text)
{
    if (kind == SelectionKind::Clipboard) {
        // The platform's own clipboard holds it already: seen there, or about to be.
        if (text == m_platform.clipboardText())
            return;
        const double now = m_platform.clockSeconds();
        while (!m_recentPlatformTexts.empty() && now - m_recentPlatformTexts.front().second >= kEchoSeconds)
            m_recentPlatformTexts.pop_front();
        for (const auto& recent : m_recentPlatformTexts) {
            if (recent.first == text)
                return;
        }
        m_lookup.nativeCopy(text);
        return;
    }
    // With the pointer over an X11 window the selection is that window's, passed on by
    // XWayland: its double-click belongs to the click watcher.
    if (m_platform.cursorPosKnown())
        return;
    m_lookup.nativeWordSelected(text);
}

} // namespace zarvik
