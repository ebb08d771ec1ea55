#include "platform/x11/X11TextTargets.h"

#include "platform/TextFormats.h"
#include "platform/x11/X11Atoms.h"

#include <X11/Xlib.h>

namespace zarvik {

X11TextTargets::X11TextTargets(Display* dpy)
{
    static_assert(kTextFormats.size() == 3, "one name per text form below");
    const auto atoms =
        internAtoms<3>(dpy, {kTextFormats[0].x11Target, kTextFormats[1].x11Target, kTextFormats[2].x11Target});
    m_targets = QList<unsigned long>(atoms.begin(), atoms.end());
}

unsigned long X11TextTargets::bestListed(const QByteArray& atomBytes) const
{
    const auto* atoms = reinterpret_cast<const Atom*>(atomBytes.constData());
    const qsizetype count = atomBytes.size() / qsizetype(sizeof(Atom));
    for (const Atom wanted : m_targets) {
        for (qsizetype i = 0; i < count; ++i) {
            if (atoms[i] == wanted)
                return wanted;
        }
    }
    return 0;
}

QString X11TextTargets::decode(unsigned long type, int format, const QByteArray& data) const
{
    const int index = indexOf(type);
    if (format != 8 || index < 0 || kTextFormats[size_t(index)].encoding == TextEncoding::OwnersChoice)
        return QString();
    return decodeText(data, kTextFormats[size_t(index)].encoding);
}

} // namespace zarvik
