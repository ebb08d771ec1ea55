#pragma once

#include <QString>

namespace zarvik {

// The vendor's texts and addresses, written once and shared by the splash screen, the about
// box and the tray menu. The addresses lie under a reserved example domain: nothing here may
// ever reach a real host by accident.
namespace Vendor {

inline const QString kProductName = QStringLiteral("Zarvik 5.1");
// The web site; it ends in "/" so that paths are appended to it as they are.
inline const QString kWebSite = QStringLiteral("http://www.zarvik.example/");
inline const QString kProductPage = kWebSite + QStringLiteral("zarvik/index.htm");
inline const QString kSupportAddress = QStringLiteral("support@zarvik.example");
inline const QString kSupportMailto = QStringLiteral("mailto:") + kSupportAddress;
inline const QString kOwnershipNotice = QStringLiteral("© 2026 Zarvik. Все права защищены.");
inline const QString kWebCaption = QStringLiteral("Наш сайт в Интернете:");
inline const QString kMailCaption = QStringLiteral("E-mail:");

} // namespace Vendor

} // namespace zarvik
