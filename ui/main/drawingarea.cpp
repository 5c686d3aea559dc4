#include "drawingarea.h"

#include <QPaintEvent>
#include <QPainter>

#include "guarded.h"
#include "initialbox.h"
#include "twips.h"

namespace vintrop {

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent), m_View(this) {
    // Every pixel is painted from the picture or black: no background erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFocusPolicy(Qt::NoFocus);
}

QSize DrawingArea::sizeHint() const {
    // The designed drawing area: the initial box.
    return {twips::ToPixels(kInitialBoxWidth, this), twips::ToPixels(kInitialBoxHeight, this)};
}

void DrawingArea::paintEvent(QPaintEvent* event) {
    Guarded(this, [this, event] { Paint(event->rect()); }, Report::Later);
}

void DrawingArea::Paint(const QRect& dirty) {
    QPainter painter(this);
    const QImage& picture = m_View.Shown();
    const QPointF origin = m_View.Origin();
    if (!picture.isNull()) painter.drawImage(origin, picture);
    // Whatever the picture does not cover (a window grown since the last
    // frame) is black; outside a lesson's own box, grey with its walls.
    const QSizeF shown = picture.isNull() ? QSizeF(0, 0) : picture.deviceIndependentSize();
    const QRectF covered(origin, shown);
    if (!covered.contains(QRectF(dirty))) {
        QRegion rest(dirty);
        rest -= covered.toAlignedRect();
        for (const QRect& r : rest) painter.fillRect(r, Qt::black);
        m_View.PaintOutsideBox(painter, dirty);
    }
    m_View.PaintPairMarks(painter);   // over the disks, under the selection's handles
    if (m_Overlay) {
        painter.translate(origin);
        m_Overlay(painter);
    }
}

void DrawingArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized();
}

} // namespace vintrop
