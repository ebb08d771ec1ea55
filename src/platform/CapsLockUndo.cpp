#include "platform/CapsLockUndo.h"

namespace zarvik {

void CapsLockUndo::start(bool held, bool locked)
{
    m_lockNow = m_lockBeforePress = locked;
    m_held = held;
}

std::optional<bool> CapsLockUndo::onState(bool held, bool locked)
{
    if (held && !m_held)
        m_lockBeforePress = m_lockNow;
    const bool released = m_held && !held;
    m_held = held;
    m_lockNow = locked;
    if (released && m_lockAfterRelease) {
        const bool wanted = *m_lockAfterRelease;
        m_lockAfterRelease.reset();
        if (m_lockNow != wanted)
            return wanted;
    }
    return std::nullopt;
}

std::optional<bool> CapsLockUndo::undo()
{
    const bool wanted = m_lockBeforePress;
    // The release may still undo what is put back now (it unlocks a lock that was on before
    // the press): it is put back again then.
    if (m_held)
        m_lockAfterRelease = wanted;
    if (m_lockNow != wanted)
        return wanted;
    return std::nullopt;
}

} // namespace zarvik
