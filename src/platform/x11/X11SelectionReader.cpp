#include "platform/x11/X11SelectionReader.h"
#include "platform/x11/X11Atoms.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <climits>

namespace zarvik {

namespace {
// How long an abandoned piecewise transfer is led on to its end before we stop caring.
constexpr auto kDrainPatience = std::chrono::seconds(30);

qsizetype itemBytes(int format)
{
    return format == 32 ? qsizetype(sizeof(long)) : format == 16 ? qsizetype(sizeof(short)) : 1;
}
} // namespace

X11SelectionReader::X11SelectionReader(Display* dpy, unsigned long window, std::chrono::milliseconds timeout,
                                       Finished finished)
    : m_dpy(dpy), m_window(window), m_timeout(timeout), m_finished(std::move(finished))
{
    static_assert(kPropertySlots == 8, "one name per property slot below");
    const auto atoms = internAtoms<9>(
        dpy, {"INCR", "ZARVIK_CLIPBOARD_0", "ZARVIK_CLIPBOARD_1", "ZARVIK_CLIPBOARD_2", "ZARVIK_CLIPBOARD_3",
              "ZARVIK_CLIPBOARD_4", "ZARVIK_CLIPBOARD_5", "ZARVIK_CLIPBOARD_6", "ZARVIK_CLIPBOARD_7"});
    m_incr = atoms[0];
    for (int i = 0; i < kPropertySlots; ++i)
        m_properties[i] = atoms[size_t(1 + i)];
}

unsigned long X11SelectionReader::freeProperty()
{
    for (int i = 0; i < kPropertySlots; ++i) {
        const Atom candidate = m_properties[m_nextProperty];
        m_nextProperty = (m_nextProperty + 1) % kPropertySlots;
        if (!m_drains.contains(candidate))
            return candidate;
    }
    // Every slot is busy leading a transfer to its end: the oldest goes first.
    const Atom oldest = m_properties[m_nextProperty];
    m_drains.remove(oldest);
    m_nextProperty = (m_nextProperty + 1) % kPropertySlots;
    return oldest;
}

void X11SelectionReader::begin(unsigned long selection, unsigned long target, qint64 maxBytes)
{
    m_active = true;
    m_selection = selection;
    m_property = freeProperty();
    m_type = 0;
    m_format = 8;
    ask(target, maxBytes);
}

void X11SelectionReader::ask(unsigned long target, qint64 maxBytes)
{
    m_active = true;
    m_target = target;
    m_maxBytes = maxBytes;
    m_incremental = false;
    m_data.clear();
    XDeleteProperty(m_dpy, m_window, m_property);
    // CurrentTime: we want whatever the selection holds now, from whoever owns it now; an
    // owner that changed since the notification answers for itself.
    XConvertSelection(m_dpy, m_selection, target, m_property, m_window, CurrentTime);
    XFlush(m_dpy);
    m_deadline = Clock::now() + m_timeout;
}

void X11SelectionReader::abandon()
{
    if (!m_active)
        return;
    if (m_incremental)
        m_drains.insert(m_property, Clock::now() + kDrainPatience);
    m_active = false;
}

void X11SelectionReader::finish(Outcome outcome)
{
    m_active = false;
    m_finished(outcome);
}

// The answer brings more than it may: the rest of the transfer is not read.
void X11SelectionReader::tooLong()
{
    abandon();
    m_finished(Outcome::TooLong);
}

std::optional<X11SelectionReader::Clock::time_point> X11SelectionReader::nextDeadline() const
{
    std::optional<Clock::time_point> next;
    if (m_active)
        next = m_deadline;
    for (auto it = m_drains.cbegin(); it != m_drains.cend(); ++it) {
        if (!next || it.value() < *next)
            next = it.value();
    }
    return next;
}

void X11SelectionReader::expire(Clock::time_point now)
{
    if (m_active && now >= m_deadline)
        finish(Outcome::Failed); // the owner did not answer in time
    m_drains.removeIf([now](const auto& it) { return now >= it.value(); });
}

void X11SelectionReader::handle(const XEvent& ev)
{
    if (ev.type == SelectionNotify)
        onSelectionNotify(ev);
    else if (ev.type == PropertyNotify)
        onPropertyNotify(ev);
}

void X11SelectionReader::onSelectionNotify(const XEvent& ev)
{
    const XSelectionEvent& e = ev.xselection;
    if (!m_active || m_incremental || e.requestor != m_window || e.selection != m_selection || e.target != m_target)
        return;
    if (e.property == None) {
        finish(Outcome::Refused);
        return;
    }
    if (e.property != m_property)
        return;
    // The size first, without the data: an answer too long to take is never read.
    Atom type = 0;
    int format = 0;
    qint64 bytes = 0;
    if (!peekProperty(m_property, type, format, bytes)) {
        finish(Outcome::Failed);
        return;
    }
    if (type != m_incr && bytes > m_maxBytes) {
        XDeleteProperty(m_dpy, m_window, m_property);
        XFlush(m_dpy);
        tooLong();
        return;
    }
    QByteArray chunk;
    if (!takeProperty(type, format, chunk)) {
        finish(Outcome::Failed);
        return;
    }
    if (type == m_incr) {
        // The owner sends the data in pieces, each one after we delete the previous. It
        // announces (a lower bound of) the size first.
        m_incremental = true;
        m_deadline = Clock::now() + m_timeout;
        if (chunk.size() >= qsizetype(sizeof(long))) {
            const long announced = *reinterpret_cast<const long*>(chunk.constData());
            if (announced > m_maxBytes)
                tooLong();
        }
        return;
    }
    m_type = type;
    m_format = format;
    m_data = chunk;
    finish(Outcome::Done);
}

void X11SelectionReader::onPropertyNotify(const XEvent& ev)
{
    const XPropertyEvent& e = ev.xproperty;
    if (e.window != m_window || e.state != PropertyNewValue)
        return;
    const bool current = m_active && e.atom == m_property;
    if (current && m_incremental) {
        Atom type = 0;
        int format = 0;
        QByteArray chunk;
        if (!takeProperty(type, format, chunk)) {
            finish(Outcome::Failed);
            return;
        }
        if (chunk.isEmpty()) {
            finish(Outcome::Done);
            return;
        }
        m_type = type;
        m_format = format;
        m_data += chunk;
        m_deadline = Clock::now() + m_timeout;
        if (m_data.size() > m_maxBytes) {
            m_data.clear();
            tooLong();
        }
        return;
    }
    if (current)
        return; // the first answer, read when its SelectionNotify comes
    if (!std::count(std::begin(m_properties), std::end(m_properties), e.atom))
        return;
    // A piece of a transfer we gave up on, or a late answer to an abandoned request: the
    // property is deleted unread (which asks a piecewise owner for its next piece) until the
    // empty piece that ends the transfer.
    Atom type = 0;
    int format = 0;
    qint64 bytes = 0;
    if (!peekProperty(e.atom, type, format, bytes))
        return;
    XDeleteProperty(m_dpy, m_window, e.atom);
    XFlush(m_dpy);
    if (type == m_incr)
        m_drains.insert(e.atom, Clock::now() + kDrainPatience);
    else if (m_drains.contains(e.atom) && bytes == 0)
        m_drains.remove(e.atom);
    else if (m_drains.contains(e.atom))
        m_drains[e.atom] = Clock::now() + kDrainPatience;
}

// Type, format and size in bytes of one of our properties, without its data.
bool X11SelectionReader::peekProperty(unsigned long property, unsigned long& type, int& format, qint64& bytes)
{
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_dpy, m_window, property, 0, 0, False, AnyPropertyType, &type, &format, &items, &after,
                           &data)
        != Success)
        return false;
    if (data)
        XFree(data);
    bytes = qint64(after);
    return true;
}

// Reads and deletes our property (deleting it asks an incremental owner for more). The items
// stay in the form Xlib gives them (32-bit items as longs).
bool X11SelectionReader::takeProperty(unsigned long& type, int& format, QByteArray& bytes)
{
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_dpy, m_window, m_property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                           &items, &after, &data)
        != Success)
        return false;
    if (data) {
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(items) * itemBytes(format));
        XFree(data);
    }
    return format == 8 || format == 16 || format == 32 || items == 0;
}

} // namespace zarvik
