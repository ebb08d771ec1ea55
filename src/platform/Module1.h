#pragma once

#include "platform/Platform.h"

namespace zarvik {

// The registry key whose default value names the desktop's default sound; the capture
// silences it while it sends the copy keystroke and the lookup puts it back.
inline const QString kDefaultSoundKey = QStringLiteral("AppEvents\\Schemes\\Apps\\.Default\\.Default\\.Current");
// Where a capture keeps the user's default sound while it is silenced, so that a run that
// ends in that moment leaves it for the next start. The value is the mark followed by the
// sound, so that a saved empty sound is told from no saved sound.
inline const QString kSavedSoundKey = QStringLiteral("Software\\Zarvik\\SavedSound");
inline const QString kSavedSoundMark = QStringLiteral("saved:");

// Small helpers shared by the pop-up machinery. None of them reports errors: a failure
// gives the empty result or no effect.
namespace Module1 {

// Executable file name of the process that owns the window; "" for window 0 or when unknown.
QString GetWindowExeName(Platform& platform, WindowId window);
// A string value of the registry-like store; "" when the key or value is missing.
QString ReadRegString(Platform& platform, const QString& subkey, const QString& valueName);
// Stores a string value, creating the key when needed.
void WriteRegString(Platform& platform, const QString& subkey, const QString& valueName, const QString& value);
// The machine is online.
bool InternetCheck(Platform& platform);

} // namespace Module1

// The exclusion test: the program name occurs in the non-empty Apps text as a run of
// characters, letter case significant. An empty name is excluded by any non-empty list.
bool isExcluded(const QString& programName, const QString& apps);

} // namespace zarvik
