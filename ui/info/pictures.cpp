#include "pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vintrop::pictures {

QPixmap Render(const QString& resource, QSize size, qreal devicePixelRatio, Qt::AspectRatioMode mode) {
    if (size.isEmpty()) return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (!renderer.isValid()) return pixmap;
    QRectF target(QPointF(0, 0), QSizeF(size));
    if (mode != Qt::IgnoreAspectRatio) {
        const QSizeF fitted = QSizeF(renderer.defaultSize()).scaled(target.size(), mode);
        target = QRectF(QPointF((size.width() - fitted.width()) / 2.0, (size.height() - fitted.height()) / 2.0),
                        fitted);
    }
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, target);
    return pixmap;
}

} // namespace vintrop::pictures
