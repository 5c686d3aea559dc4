#pragma once
// Reading a drawn disk back from a picture: how far its fill colour reaches
// from the centre pixel, and how many pixels it covers; and how wide a
// momentum line is drawn.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QtTest>
#include <algorithm>

namespace vintrop::testing {

// Pixels of `fill` in a straight run from `centre` (device pixels) in the
// direction (dx, dy), the centre pixel not counted.
inline int FillRun(const QImage& picture, QPoint centre, int dx, int dy, const QColor& fill) {
    int n = 0;
    QPoint p = centre + QPoint(dx, dy);
    while (picture.valid(p) && picture.pixelColor(p) == fill) {
        ++n;
        p += QPoint(dx, dy);
    }
    return n;
}

// Pixels of `fill` in the whole picture.
inline int CountOf(const QImage& picture, const QColor& fill) {
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) n += picture.pixelColor(x, y) == fill;
    return n;
}

// Checks the white momentum line of a bowl of radius 287 twips centred at
// (1500, 600) twips whose vector ends 600 twips to its right: its shaft is
// `width` device pixels thick, and it ends in a head at least two pixels
// wider on each side.
inline void CheckMomentumLine(const QImage& picture, double devicePixelsPerTwip, int width) {
    const QColor white(Qt::white);
    const auto across = [&](double xTwips) {   // the white run across the line at x
        const int x = static_cast<int>(xTwips * devicePixelsPerTwip);
        const int y = static_cast<int>(600 * devicePixelsPerTwip);
        for (const QPoint p : {QPoint(x, y - 1), QPoint(x, y), QPoint(x, y + 1)})
            if (picture.pixelColor(p) == white)
                return 1 + FillRun(picture, p, 0, -1, white) + FillRun(picture, p, 0, 1, white);
        return 0;
    };
    // A third of the way from the disk's edge to the tip: the shaft.
    QCOMPARE(across(1500 + 287 + (600 - 287) / 3.0), width);
    int widest = 0;
    for (double x = 1500 + 287; x < 2100; x += 1) widest = std::max(widest, across(x));
    QVERIFY2(widest >= width + 4, qPrintable(QString::number(widest)));
    QCOMPARE(across(2100 + 2 / devicePixelsPerTwip), 0);   // nothing past the tip
}

} // namespace vintrop::testing
