#include "platform/x11/X11SnapshotTaker.h"

#include <X11/Xlib.h>

namespace zarvik {

void X11SnapshotTaker::begin(Done done, Clock::time_point deadline)
{
    if (m_active)
        finish(ClipboardSave::Incomplete);
    reset();
    m_active = true;
    m_done = std::move(done);
    m_deadline = deadline;
}

void X11SnapshotTaker::reset()
{
    m_restart = false;
    m_targets.clear();
    m_names.clear();
    m_next = 0;
    m_content = {};
}

void X11SnapshotTaker::takeTargetList(const QByteArray& atomBytes)
{
    const auto* atoms = reinterpret_cast<const Atom*>(atomBytes.constData());
    const qsizetype count = atomBytes.size() / qsizetype(sizeof(Atom));
    QList<Atom> listed;
    for (qsizetype i = 0; i < count; ++i) {
        if (atoms[i] != None)
            listed.append(atoms[i]);
    }
    if (listed.isEmpty())
        return;
    QList<char*> names(listed.size(), nullptr);
    if (!XGetAtomNames(m_dpy, listed.data(), int(listed.size()), names.data()))
        return;
    for (qsizetype i = 0; i < listed.size(); ++i) {
        if (!names[i])
            continue;
        const QByteArray name(names[i]);
        XFree(names[i]);
        m_content.offered.append(name);
        if (ClipboardSnapshot::isMetaTarget(name) || m_targets.contains(listed[i]))
            continue;
        m_targets.append(listed[i]);
        m_names.append(name);
    }
}

void X11SnapshotTaker::listTargets(const QList<unsigned long>& targets)
{
    for (const Atom target : targets) {
        char* name = XGetAtomName(m_dpy, target);
        if (!name)
            continue;
        m_targets.append(target);
        m_names.append(QByteArray(name));
        XFree(name);
    }
}

unsigned long X11SnapshotTaker::nextTarget()
{
    if (m_next >= m_targets.size())
        return 0;
    return m_targets.at(m_next++);
}

bool X11SnapshotTaker::addEntry(unsigned long type, int format, const QByteArray& data)
{
    if (!m_active || m_next == 0)
        return true;
    char* typeName = XGetAtomName(m_dpy, type);
    ClipboardSnapshot::Entry entry;
    entry.target = m_names.at(m_next - 1);
    entry.type = typeName ? QByteArray(typeName) : entry.target;
    entry.format = format;
    entry.data = data;
    if (typeName)
        XFree(typeName);
    m_content.entries.append(entry);
    return m_content.totalBytes() <= ClipboardSnapshot::kMaxBytes;
}

void X11SnapshotTaker::finish(ClipboardSave result)
{
    if (!m_active)
        return;
    m_active = false;
    if (result != ClipboardSave::Saved)
        m_content = {};
    Done done = std::move(m_done);
    const ClipboardSnapshot content = m_content;
    reset();
    m_done = nullptr;
    if (done)
        done(result, content);
}

} // namespace zarvik
