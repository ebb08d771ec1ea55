#include "popup/CapturedWordLookup.h"

#include "platform/Module1.h"
#include "popup/HiddenState.h"
#include "popup/PopupWindow.h"
#include "popup/Shortening.h"
#include "popup/WordLookupSource.h"
#include "settings/Settings.h"

namespace zarvik {

namespace {
const QString kOn = QStringLiteral("1");
const QString kDontShow = QStringLiteral("dontshow");
const QString kSeparator = QStringLiteral(" - ");
} // namespace

CapturedWordLookup::CapturedWordLookup(Platform& platform, Settings& settings, HiddenState& state,
                                       PopupWindow& popup, WordLookupSource& source, const QString& ownExeName)
    : m_platform(platform), m_settings(settings), m_state(state), m_popup(popup), m_source(source),
      m_fallbackName(ownExeName)
{
}

const QString& CapturedWordLookup::ownName()
{
    // Our name does not change while we run: asked for once. Should the platform fail to
    // name our own window, an empty name would be excluded by any non-empty Apps list and
    // nothing would ever be translated; the process's own name is the same answer.
    if (!m_ownNameKnown) {
        m_ownName = Module1::GetWindowExeName(m_platform, m_ownWindow);
        if (m_ownName.isEmpty())
            m_ownName = m_fallbackName;
        m_ownNameKnown = true;
    }
    return m_ownName;
}

void CapturedWordLookup::Timer3_Timer()
{
    // Steps 1 to 5 run 20 times a second: one settings read, a name compare, one clipboard
    // read and compare.
    const QString apps = m_settings.text(Key::Apps);
    if (m_state.cachedForeground != m_ownWindow) {
        m_state.cachedForeground = m_ownWindow;
        m_state.curapp = ownName();
    }
    // Only our own name is tested here: a copy made while an excluded program is in front is
    // still translated; keeping mouse captures out of such programs is the watcher's job.
    if (isExcluded(ownName(), apps)) {
        expireStaleCapture();
        return;
    }

    const QString text = m_platform.clipboardText();
    // The copy of a capture brings the selected word even when it is the very text the
    // clipboard held: a new owner shows that the copy came. A plain copy is still noticed by
    // its text alone.
    const bool captureCopied =
        m_state.clktrans == kOn && m_platform.clipboardOwnerChanges() != m_state.ownerChangesAtCapture;
    processClipboardText(text, captureCopied, false);
}

void CapturedWordLookup::nativeCopy(const QString& text)
{
    if (isExcluded(ownName(), m_settings.text(Key::Apps)))
        return;
    // A capture waiting for its copy owns the next change of the clipboard.
    if (m_state.clktrans == kOn)
        return;
    processClipboardText(text, false, true);
}

bool CapturedWordLookup::isOneWord(const QString& text)
{
    if (text.isEmpty() || text.size() > kMaxTextLength)
        return false;
    for (const QChar c : text) {
        if (c.isSpace())
            return false;
    }
    return true;
}

void CapturedWordLookup::nativeWordSelected(const QString& text)
{
    if (isExcluded(ownName(), m_settings.text(Key::Apps)))
        return;
    // Whether Caps Lock was held at the double-click is not told with the selection.
    if (m_settings.capsLockMode())
        return;
    if (!isOneWord(text) || m_settings.numberIs(Key::OnClick, 0))
        return;
    // An X11 capture in progress keeps its own state; this lookup leaves it alone.
    if (m_state.clktrans == kOn)
        return;
    m_state.word = text;
    m_state.wd = text;
    const QPoint place = placeForNow();
    m_state.mx = QString::number(place.x());
    m_state.my = QString::number(place.y());
    if (lookUp(Origin::NativeSelection))
        finishLookup();
}

void CapturedWordLookup::processClipboardText(const QString& text, bool captureCopied, bool native)
{
    if ((text == m_state.oldbuffer && !captureCopied) || text.size() > kMaxTextLength) {
        expireStaleCapture();
        return;
    }
    if (text.trimmed().isEmpty()) {
        // A picture, or an empty or blank text: there is no word to look up, and " - ???"
        // would explain nothing. The clipboard is still followed (or put back after a
        // capture), so the same content is not looked at again.
        restoreSound();
        if (m_state.clktrans == kOn) {
            m_platform.restoreClipboard(m_state.oldbuffer);
            m_state.clktrans.clear();
        } else {
            m_state.oldbuffer = text;
        }
        return;
    }

    m_state.word = text;
    m_state.wd = text;
    restoreSound();

    const bool hadCapture = m_state.clktrans == kOn;
    const bool finished = lookUp(native ? Origin::NativeCopy : Origin::Clipboard, text);
    // However the passes ended, a capture seen by this tick is done with.
    if (hadCapture)
        m_state.clktrans.clear();
    if (finished)
        finishLookup();
}

void CapturedWordLookup::finishLookup()
{
    if (m_state.Label1 != kDontShow) {
        bool xOk = false;
        bool yOk = false;
        const int x = m_state.mx.toInt(&xOk);
        const int y = m_state.my.toInt(&yOk);
        // Both are always numbers by now; a position that is not one cannot place the strip,
        // and the step is skipped like any other failing step of the lookup.
        if (xOk && yOk)
            m_popup.showStep(m_state.Label1, m_state.Label2, QPoint(x, y));
    } else if (m_popup.leftTwips() != kParkedTwips) {
        // The marker is never displayed. An earlier strip still on screen would pass its old
        // translation off as that of the text just copied, so it goes at once.
        m_popup.moveTwips(kParkedTwips, kParkedTwips);
    }
    m_popup.restartCountdown();
}

QPoint CapturedWordLookup::placeForNow()
{
    const QPoint pointer = m_platform.cursorPos();
    if (m_platform.cursorPosKnown())
        return pointer;
    // Over a native Wayland window nobody tells where the pointer is, and the last position
    // known is stale: the strip goes to a fixed place instead, on the monitor the pointer was
    // last seen on: its left end at the middle of the monitor, its top an eighth of the
    // monitor's height above the bottom edge.
    const QRect monitor = m_platform.screenGeometryAt(pointer);
    return {monitor.x() + monitor.width() / 2 - kNativePlaceGapPixels,
            monitor.y() + monitor.height() - monitor.height() / 8};
}

bool CapturedWordLookup::lookUp(Origin origin, const QString& nativeText)
{
    for (;;) {
        // The word travels as a bound value: a double quote in it is just a character.
        m_source.exactLookup(m_state.word);

        // Decided anew in every pass: with Buffer at 1 only the first pass of a capture takes
        // the capture branch, the later ones read the pointer as for a plain copy.
        if (origin == Origin::NativeSelection) {
            // Placed once, before the passes; the clipboard is not the selection's business.
        } else if (m_state.clktrans == kOn) {
            if (m_settings.numberIs(Key::Buffer, 1))
                m_state.clktrans.clear();
            // The whole clipboard as it was before the copy, every format, not just its text.
            m_platform.restoreClipboard(m_state.oldbuffer);
            if (m_settings.numberIs(Key::OnClick, 0))
                return false;
        } else {
            m_state.oldbuffer = origin == Origin::NativeCopy ? nativeText : m_platform.clipboardText();
            if (m_settings.numberIs(Key::Buffer, 0))
                return false;
            const QPoint pointer = placeForNow();
            m_state.mx = QString::number(pointer.x());
            m_state.my = QString::number(pointer.y());
        }

        m_source.moveLast();
        m_source.moveFirst();
        const int count = m_source.recordCount();
        if (count == 2)
            m_source.moveLast();

        if (count != 0) {
            m_state.Label1 = m_state.word + kSeparator;
            m_state.Label2 = m_source.field(1) + QStringLiteral("  ");
            return true;
        }
        if (m_settings.numberIs(Key::findword, 1) && !m_state.word.isEmpty()) {
            m_state.word = Shortening::shorten(m_state.word);
            continue;
        }
        if (m_settings.numberIs(Key::questions, 1)) {
            m_state.Label1 = m_state.wd + kSeparator;
            m_state.Label2 = QStringLiteral("??? ");
        } else {
            m_state.Label1 = kDontShow;
        }
        return true;
    }
}

void CapturedWordLookup::restoreSound()
{
    // Nothing has been saved before the first capture: the field still holds its
    // placeholder, which must never become the user's sound.
    if (m_state.oldwaveSaved)
        Module1::WriteRegString(m_platform, kDefaultSoundKey, QString(), m_state.oldwave);
}

void CapturedWordLookup::expireStaleCapture()
{
    if (m_state.clktrans != kOn)
        return;
    if (m_platform.clockSeconds() - m_state.captureStartedAt < kCaptureExpirySeconds)
        return;
    restoreSound();
    m_state.clktrans.clear();
    // A copy that landed but was not looked up (too long, or our own program excluded) has
    // still replaced the user's clipboard text: it is put back as a processed capture would.
    if (m_platform.clipboardText() != m_state.oldbuffer
        || m_platform.clipboardOwnerChanges() != m_state.ownerChangesAtCapture)
        m_platform.restoreClipboard(m_state.oldbuffer);
}

} // namespace zarvik
