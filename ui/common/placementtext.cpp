#include "placementtext.h"

namespace vintrop {

QString PlacementText(const PlacementCheck& check) {
    switch (check.broken) {
    case PlacementRule::None:
    case PlacementRule::PositiveMass: return {};
    case PlacementRule::RightWall: return QStringLiteral("Xo troppo grande!");
    case PlacementRule::LeftWall: return QString::fromUtf8("Xo è troppo piccola!");
    case PlacementRule::BottomWall: return QStringLiteral("Yo troppo grande!");
    case PlacementRule::TopWall: return QStringLiteral("Yo troppo piccola!");
    case PlacementRule::ClearOfBowls:
        return QString::fromUtf8("Posizione Xo, Yo già occupata dalla palla ") + QString::number(check.other) +
               QLatin1Char('!');
    }
    return {};
}

QString InvalidDataText() { return QStringLiteral("Dati non validi"); }

} // namespace vintrop
