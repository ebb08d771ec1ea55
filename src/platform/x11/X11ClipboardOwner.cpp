#include "platform/x11/X11ClipboardOwner.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <iterator>

namespace zarvik {

X11ClipboardOwner::X11ClipboardOwner(Display* display) : m_dpy(display)
{
    m_clipboard = XInternAtom(m_dpy, "CLIPBOARD", False);
    m_targets = XInternAtom(m_dpy, "TARGETS", False);
    m_utf8 = XInternAtom(m_dpy, "UTF8_STRING", False);
    m_text = XInternAtom(m_dpy, "TEXT", False);
    m_window = XCreateSimpleWindow(m_dpy, DefaultRootWindow(m_dpy), -10, -10, 1, 1, 0, 0, 0);
}

X11ClipboardOwner::~X11ClipboardOwner()
{
    XDestroyWindow(m_dpy, m_window);
}

bool X11ClipboardOwner::own(const QString& text)
{
    m_ownedText = text;
    m_ownedUtf8 = text.toUtf8();
    XSetSelectionOwner(m_dpy, m_clipboard, m_window, CurrentTime);
    m_owning = XGetSelectionOwner(m_dpy, m_clipboard) == m_window;
    return m_owning;
}

void X11ClipboardOwner::handle(const XEvent& ev)
{
    if (ev.type == SelectionClear) {
        if (ev.xselectionclear.window == m_window && ev.xselectionclear.selection == m_clipboard) {
            m_owning = false;
            m_ownedText.clear();
            m_ownedUtf8.clear();
        }
        return;
    }
    if (ev.type != SelectionRequest)
        return;
    const XSelectionRequestEvent& request = ev.xselectionrequest;
    XSelectionEvent reply = {};
    reply.type = SelectionNotify;
    reply.display = m_dpy;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None; // refused unless set below
    // Obsolete requestors leave the property out and mean the target's name.
    const Atom property = request.property != None ? request.property : request.target;
    if (m_owning && request.owner == m_window && request.selection == m_clipboard) {
        if (request.target == m_targets) {
            const Atom targets[] = {m_targets, m_utf8, m_text, XA_STRING};
            XChangeProperty(m_dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(targets), int(std::size(targets)));
            reply.property = property;
        } else if (request.target == m_utf8 || request.target == m_text || request.target == XA_STRING) {
            const bool latin1 = request.target == XA_STRING;
            const QByteArray bytes = latin1 ? m_ownedText.toLatin1() : m_ownedUtf8;
            // One property carries it whole; a text beyond one request (many megabytes) is
            // refused rather than sent in pieces.
            const long words = XExtendedMaxRequestSize(m_dpy) > 0 ? XExtendedMaxRequestSize(m_dpy)
                                                                   : XMaxRequestSize(m_dpy);
            if (bytes.size() < (words - 64) * 4) {
                XChangeProperty(m_dpy, request.requestor, property, latin1 ? XA_STRING : Atom(m_utf8), 8,
                                PropModeReplace, reinterpret_cast<const unsigned char*>(bytes.constData()),
                                int(bytes.size()));
                reply.property = property;
            }
        }
    }
    XSendEvent(m_dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(m_dpy);
}

} // namespace zarvik
