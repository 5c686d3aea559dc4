#pragma once
// The program's icon, built in once: the windows' title bars, the about box
// and the splash window show it, and it is installed for the desktop entry.
#include <QString>

namespace vintrop {
inline const QString kProgramIcon = QStringLiteral(":/common/resources/vintrop.svg");
} // namespace vintrop
