#include "app/FontWarmUp.h"

#include <fontconfig/fontconfig.h>
#include <system_error>

namespace zarvik {

// The library makes its configuration once, whichever thread asks first, so the toolkit's
// own call during the warm-up is safe and finds it made.
FontWarmUp::FontWarmUp()
{
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the toolkit reads the fonts itself when it needs them.
    }
}

FontWarmUp::~FontWarmUp()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace zarvik
