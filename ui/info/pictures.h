#pragma once
// The information windows' pictures, drawn from SVG at the size shown.
#include <QPixmap>
#include <QSize>
#include <QString>

namespace vintrop::pictures {

// The 256 x 256 picture of two bowls colliding.
inline const QString kCollision = QStringLiteral(":/info/resources/collision.svg");

// Renders `resource` into a transparent pixmap of `size` logical pixels at
// the given device pixel ratio. With Qt::KeepAspectRatio the picture is
// centred in the box rather than distorted.
QPixmap Render(const QString& resource, QSize size, qreal devicePixelRatio,
               Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);

} // namespace vintrop::pictures
