#include "headerband.h"

#include <QLabel>

#include "classicfonts.h"
#include "pictures.h"
#include "twips.h"
#include "version.h"

namespace vintrop {

namespace {
QRect Pixels(const QRect& tw) { return twips::ToPixelRect(tw.x(), tw.y(), tw.width(), tw.height()); }
} // namespace

HeaderBand MakeHeaderBand(QWidget* parent, const QRect& bandTwips, const QRect& pictureTwips,
                          const QRect& nameTwips) {
    auto* band = new QLabel(parent);
    band->setObjectName(QStringLiteral("Label3"));
    band->setGeometry(Pixels(bandTwips));
    band->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #0b1a30, stop:1 #1d4f8a);"));

    auto* picture = new QLabel(parent);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(Pixels(pictureTwips));
    picture->setPixmap(pictures::Render(pictures::kCollision, picture->size(), parent->devicePixelRatioF()));

    auto* name = new QLabel(version::CompanyShort, parent);
    name->setObjectName(QStringLiteral("Label2"));
    name->setFont(fonts::SansSerif(24, false, true));
    name->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    name->setGeometry(Pixels(nameTwips));
    name->setMinimumWidth(name->sizeHint().width());
    return {band, picture, name};
}

} // namespace vintrop
