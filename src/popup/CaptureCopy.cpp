#include "popup/CaptureCopy.h"

#include "popup/HiddenState.h"

namespace zarvik {

bool isCaptureCopy(const HiddenState& state, Platform& platform)
{
    if (!state.captureCopyAsked())
        return false;
    if (platform.clipboardOwnerChanges() == state.ownerChangesAtCapture())
        return false;
    const qint64 owner = platform.clipboardTextProcess();
    return state.captureProgram() == 0 || owner == 0 || owner == state.captureProgram();
}

} // namespace zarvik
