#pragma once
// The program's version data, shown by the splash window and the about box.
#include <QString>

namespace vintrop::version {
inline const QString Title = QStringLiteral("Vintrop");
inline const QString Description = QStringLiteral("Kollidra");
inline constexpr int Major = 2;
inline constexpr int Minor = 2;
inline constexpr int Revision = 0;
inline const QString Holder = QStringLiteral("Copyright \u00A9 2000-2026 The Vintrop authors");
inline const QString Company = QStringLiteral("Vintrop Teaching Tools");
inline const QString CompanyShort = QStringLiteral("Vintrop");
} // namespace vintrop::version
