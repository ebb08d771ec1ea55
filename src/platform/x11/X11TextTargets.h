#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Xlib's own type, declared only: this header stays free of X11 headers.
struct _XDisplay;

namespace zarvik {

// The text forms of TextFormats.h as the targets of one connection, and the choices made
// over them: which form to ask an owner for, and how to read its answer.
class X11TextTargets final {
public:
    explicit X11TextTargets(_XDisplay* dpy);

    // The targets, best first.
    const QList<unsigned long>& all() const { return m_targets; }
    // The form `target` is, -1 for none.
    int indexOf(unsigned long target) const { return int(m_targets.indexOf(target)); }
    // The best form a TARGETS answer (atoms as Xlib gives them) lists; 0 when it lists none.
    unsigned long bestListed(const QByteArray& atoms) const;
    // The text of an answer of `type`: "" for one that is no plain text we read (compound
    // text, a TEXT answer typed TEXT, items wider than bytes).
    QString decode(unsigned long type, int format, const QByteArray& data) const;

private:
    QList<unsigned long> m_targets;
};

} // namespace zarvik
