#include "popup/CapturedWordLookup.h"

#include "dictionary/Cyrillic.h"
#include "platform/Module1.h"
#include "popup/CaptureCopy.h"
#include "popup/HiddenState.h"
#include "popup/PopupWindow.h"
#include "popup/RussianEndings.h"
#include "popup/Shortening.h"
#include "popup/WordLookupSource.h"
#include "settings/Settings.h"

#include <algorithm>

namespace zarvik {

namespace {
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
    const bool captureCopied = isCaptureCopy(m_state, m_platform);
    if (m_state.clktrans() && !captureCopied) {
        // While a capture waits for its copy, any other change is the user's (a copy still on
        // its way when the capture began, or one made elsewhere meanwhile): it is what the
        // capture saves and puts back, not a word to translate.
        m_state.oldbuffer = text;
        expireStaleCapture();
        return;
    }
    processClipboardText(text, captureCopied, false);
}

void CapturedWordLookup::nativeCopy(const QString& text)
{
    if (isExcluded(ownName(), m_settings.text(Key::Apps)))
        return;
    // A capture waiting for its copy owns the next change of the clipboard.
    if (m_state.clktrans())
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
    if (m_state.clktrans())
        return;
    m_state.word = text;
    m_state.wd = text;
    m_state.mxy = placeForNow();
    m_found = {QString(), QString(), LookupSource::DoubleClick};
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
        if (m_state.clktrans()) {
            putUsersClipboardBack();
            m_state.endCapture();
        } else {
            m_state.oldbuffer = text;
        }
        return;
    }

    m_state.word = text;
    m_state.wd = text;
    restoreSound();

    const bool hadCapture = m_state.clktrans();
    m_found = {QString(), QString(), hadCapture ? LookupSource::DoubleClick : LookupSource::Copy};
    const Origin origin = native ? Origin::NativeCopy : hadCapture ? Origin::CaptureCopy : Origin::Clipboard;
    const bool finished = lookUp(origin, text);
    // However the passes ended, a capture seen by this tick is done with.
    if (hadCapture)
        m_state.endCapture();
    if (finished)
        finishLookup();
}

void CapturedWordLookup::finishLookup()
{
    if (!m_state.Label1.isEmpty()) {
        // The point is always known by now; were it not, the strip could not be placed, and
        // the step is skipped like any other failing step of the lookup.
        if (m_state.mxy) {
            m_popup.showStep(m_state.Label1, m_state.Label2, *m_state.mxy);
            // Only a translation found goes into the journal, never the question marks.
            if (m_recorder && !m_found.headword.isEmpty())
                m_recorder->wordShown(m_found.headword, m_found.line, m_found.source);
        }
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
    // All the passes share one bound on their time: a slow or hostile dictionary costs the
    // interface thread at most that much per copy, then the miss is shown.
    struct Bounded {
        WordLookupSource& source;
        explicit Bounded(WordLookupSource& s) : source(s) { source.openLookup(); }
        ~Bounded() { source.closeLookup(); }
    } bounded(m_source);
    for (;;) {
        // The word travels as a bound value: a double quote in it is just a character.
        m_source.exactLookup(m_state.word);

        // Decided anew in every pass: with Buffer at 1 only the first pass of a capture takes
        // the capture branch, the later ones read the pointer as for a plain copy. The capture
        // itself ends when the passes are over.
        if (origin == Origin::NativeSelection) {
            // Placed once, before the passes; the clipboard is not the selection's business.
        } else if (origin == Origin::CaptureCopy) {
            if (m_settings.numberIs(Key::Buffer, 1))
                origin = Origin::Clipboard;
            // The whole clipboard as it was before the copy, every format, not just its text.
            putUsersClipboardBack();
            if (m_settings.numberIs(Key::OnClick, 0))
                return false;
        } else {
            m_state.oldbuffer = origin == Origin::NativeCopy ? nativeText : m_platform.clipboardText();
            if (m_settings.numberIs(Key::Buffer, 0))
                return false;
            m_state.mxy = placeForNow();
        }

        m_source.moveLast();
        m_source.moveFirst();
        const int count = m_source.recordCount();
        if (count == 2)
            m_source.moveLast();

        if (count != 0) {
            const QString headword = m_source.field(0);
            m_state.Label2 = m_source.field(1) + QStringLiteral("  ");
            m_state.Label1 = m_state.word + transcriptionOf(headword) + kSeparator;
            m_state.shownHeadword = headword;
            // The headword as the dictionary stores it: "runs" and "Run" are both "run".
            m_found.headword = headword;
            m_found.line = m_source.field(1);
            return true;
        }
        // Russian text that is no headword as it stands is a Russian word to translate, before
        // the English endings cut it down to some stray Cyrillic headword ("и" for "идёт").
        if (m_state.word == m_state.wd && lookUpRussian())
            return true;
        if (m_settings.numberIs(Key::findword, 1)) {
            if (const std::optional<QString> next = Shortening::next(m_state.word)) {
                m_state.word = *next;
                continue;
            }
        }
        if (m_settings.numberIs(Key::questions, 1)) {
            m_state.Label1 = m_state.wd + kSeparator;
            m_state.Label2 = QStringLiteral("??? ");
        } else {
            m_state.Label1.clear();
        }
        return true;
    }
}

QString CapturedWordLookup::transcriptionOf(const QString& headword)
{
    // Off by default; then the strip's path reads nothing more than it always did.
    if (!m_settings.numberIs(Key::ShowTranscription, 1))
        return {};
    const QString transcription = m_source.transcription(headword);
    return transcription.isEmpty() ? QString() : QStringLiteral(" [") + transcription + QLatin1Char(']');
}

bool CapturedWordLookup::lookUpRussian()
{
    if (!std::any_of(m_state.wd.begin(), m_state.wd.end(),
                     [](QChar c) { return isCyrillicLetter(c); }))
        return false;
    QStringList forms = RussianEndings::forms(m_state.wd);
    // Without the shortening passes only the word as it stands is tried.
    if (!m_settings.numberIs(Key::findword, 1) && forms.size() > 1)
        forms.erase(forms.begin() + 1, forms.end());
    // Every form is tried, and the commonest wins (the earlier among equals): an inflected
    // form is sometimes a rare entry of its own ("хлеба" for corn, "говорит" for loquitur)
    // beside its common dictionary form.
    QString word, trans;
    int best = -1;
    for (const QString& form : forms) {
        m_source.reverseLookup(form);
        if (m_source.recordCount() == 0)
            continue;
        m_source.moveFirst();
        const QString found = m_source.field(1);
        const int weight = m_source.field(2).toInt();
        if (weight > best) {
            best = weight;
            // The form is made from the table of endings, not the text as copied, so the
            // strip names the dictionary's own spelling of it ("кошка" for "кошки").
            word = m_source.field(0);
            trans = found;
        }
    }
    if (best < 0)
        return false;
    m_state.word = word;
    m_state.shownHeadword = word;
    m_found.headword = word;
    m_found.line = trans;
    m_state.Label1 = word + kSeparator;
    m_state.Label2 = trans + QStringLiteral("  ");
    return true;
}

void CapturedWordLookup::restoreSound()
{
    // Nothing has been saved before the first capture, and nothing is written then: no value
    // the user never had may become their sound.
    if (m_state.oldwave)
        Module1::WriteRegString(m_platform, kDefaultSoundKey, QString(), *m_state.oldwave);
}

void CapturedWordLookup::putUsersClipboardBack()
{
    m_platform.restoreClipboard(m_state.oldbuffer);
    // What came back is what the clipboard held at the capture; it is not a new copy.
    m_state.oldbuffer = m_platform.clipboardText();
}

void CapturedWordLookup::expireStaleCapture()
{
    if (!m_state.clktrans())
        return;
    if (m_platform.clockSeconds() - m_state.captureStartedAt() < kCaptureExpirySeconds)
        return;
    endPendingCapture();
}

void CapturedWordLookup::endPendingCapture()
{
    if (!m_state.clktrans())
        return;
    restoreSound();
    // A copy that landed but was not looked up (too long, or our own program excluded) has
    // still replaced the user's clipboard: it is put back as a processed capture would. Any
    // other change since is the user's own and stays.
    const bool landed = isCaptureCopy(m_state, m_platform);
    m_state.endCapture();
    if (landed)
        putUsersClipboardBack();
}

} // namespace zarvik
