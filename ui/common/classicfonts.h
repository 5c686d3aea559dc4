#pragma once
// The fonts the information and history windows were designed with, each
// followed by its nearest metric equivalents on systems without it (the
// Liberation and URW families), so the designed sizes still hold the texts.
#include <QFont>
#include <QStringList>

namespace vintrop::fonts {

inline QFont Make(const QStringList& families, QFont::StyleHint hint, qreal points, bool bold = false,
                  bool italic = false) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// "MS Sans Serif", the windows' default font.
inline QFont SansSerif(qreal points, bool bold = false, bool italic = false) {
    return Make({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                 QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")},
                QFont::SansSerif, points, bold, italic);
}
inline QFont Arial(qreal points, bool bold = false) {
    return Make({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                 QStringLiteral("Helvetica")},
                QFont::SansSerif, points, bold);
}
// "MS Serif" and "Times New Roman".
inline QFont Serif(qreal points, bool bold = false, bool italic = false) {
    return Make({QStringLiteral("MS Serif"), QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                 QStringLiteral("Nimbus Roman"), QStringLiteral("Times")},
                QFont::Serif, points, bold, italic);
}

} // namespace vintrop::fonts
