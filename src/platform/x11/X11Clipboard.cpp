#include "platform/x11/X11Clipboard.h"

#include "platform/x11/X11ClipboardOwner.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExitHandOver.h"
#include "platform/TextFormats.h"

#include <QCoreApplication>

#include <X11/Xlib.h>

namespace zarvik {

namespace {

// How long the start waits for the watcher's first text: a clipboard owner that has not
// answered by then is treated as a copy made later.
constexpr int kFirstTextWaitMs = 1200;

// The text a clipboard offers, as clipboardText() answers it.
QString textOf(const ClipboardSnapshot& content)
{
    for (const TextFormat& form : kTextFormats) {
        const ClipboardSnapshot::Entry* entry = content.find(QByteArray(form.x11Target));
        if (!entry || entry->format != 8)
            continue;
        if (entry->data.size() > 4 * ClipboardPort::kLongTextChars)
            return ClipboardPort::longText();
        // The answer's type, not the target asked for, names the encoding (TEXT may come as
        // STRING).
        const int typed = textFormatIndex(entry->type);
        return decodeText(entry->data, typed >= 0 ? kTextFormats[typed].encoding : TextEncoding::Utf8);
    }
    return QString();
}

} // namespace

X11Clipboard::X11Clipboard(X11Connection& connection) : m_x(connection) {}

X11Clipboard::~X11Clipboard()
{
    if (m_owner)
        ExitHandOver::run(*m_owner, m_x);
}

bool X11Clipboard::start(QString* error)
{
    m_owner = std::make_unique<X11ClipboardOwner>(m_x.display());
    return m_watcher.start(error);
}

void X11Clipboard::waitForFirstText()
{
    m_cache.waitForFirst(kFirstTextWaitMs);
}

bool X11Clipboard::handle(XEvent& ev)
{
    // Property changes of the root window are the windows' business; the others here are a
    // requestor taking a large transfer piece by piece.
    if (ev.type != SelectionRequest && ev.type != SelectionClear && ev.type != PropertyNotify)
        return false;
    if (m_owner)
        m_owner->handle(ev);
    return true;
}

void X11Clipboard::write(const QString& text)
{
    // Other programs (and our own watcher) are answered from the event loop. Until the
    // watcher has fetched it back, and against any fetch from the previous owner still under
    // way, the cache holds what we wrote.
    m_x.pump();
    m_owner->own(text);
    m_cache.writeLocal(text, QCoreApplication::applicationPid());
    m_x.afterRoundTrip();
}

void X11Clipboard::save()
{
    quint64 number = 0;
    {
        std::lock_guard lock(m_saveMutex);
        number = ++m_saveNumber;
        m_saveState = ClipboardSave::Pending;
        m_saved = {};
    }
    m_watcher.requestSnapshot([this, number](ClipboardSave result, const ClipboardSnapshot& content) {
        std::lock_guard lock(m_saveMutex);
        if (number != m_saveNumber)
            return;
        m_saveState = result;
        m_saved = content;
    });
}

ClipboardSave X11Clipboard::saveState()
{
    std::lock_guard lock(m_saveMutex);
    return m_saveState;
}

void X11Clipboard::restore(const QString& text)
{
    ClipboardSnapshot content;
    bool saved = false;
    {
        std::lock_guard lock(m_saveMutex);
        saved = m_saveState == ClipboardSave::Saved;
        if (saved)
            content = m_saved;
    }
    // The saved clipboard is put back as it was, an empty one as empty; only without a save
    // is the text all there is.
    if (!saved)
        content = ClipboardSnapshot::fromText(text);
    m_x.pump();
    const bool owned = m_owner->own(content);
    m_cache.writeLocal(textOf(content), owned ? QCoreApplication::applicationPid() : 0);
    m_x.afterRoundTrip();
}

void X11Clipboard::copyPrimary()
{
    // The answer comes on the watcher's thread; the clipboard is ours to write from this one.
    QObject* context = &m_fromWatcher;
    m_watcher.requestPrimaryText([this, context](const QString& text) {
        if (text.isEmpty())
            return; // nothing selected: nothing copied, as with an empty selection's copy
        QMetaObject::invokeMethod(context, [this, text] { write(text); }, Qt::QueuedConnection);
    });
}

} // namespace zarvik
