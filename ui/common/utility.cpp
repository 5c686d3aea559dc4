#include "utility.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "twips.h"

namespace vintrop::Utility {

QString PadLeft(const QString& text, int16_t width, const QString& pad) {
    if (text.size() >= width) return text;
    const QChar fill = pad.isEmpty() ? QLatin1Char(' ') : pad.at(0);
    return QString(width - text.size(), fill) + text;
}

void CenterForm(QWidget* form) {
    if (!form) return;
    QScreen* screen = form->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;

    // Sizes in twips, as the window's own geometry is measured; the outer
    // frame counts, since that is what the user sees of the window.
    const double perPixel = twips::PerPixel(form);
    const QRect whole = screen->geometry();
    const QRect frame = form->frameGeometry();
    const double screenW = whole.width() * perPixel;
    const double screenH = whole.height() * perPixel;
    const double formW = frame.width() * perPixel;
    const double formH = frame.height() * perPixel;

    QPoint topLeft = frame.topLeft();
    if (formW < screenW) topLeft.setX(whole.x() + qRound((screenW - formW) / 2.0 / perPixel));
    if (formH < screenH) topLeft.setY(whole.y() + qRound((screenH - formH) / 2.0 / perPixel));
    form->move(topLeft);
}

} // namespace vintrop::Utility
