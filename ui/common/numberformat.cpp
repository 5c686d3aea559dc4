#include "numberformat.h"

#include <QLocale>
#include <charconv>
#include <cmath>

#include "numbertexts.h"

namespace vintrop::fmt {

text::Separators LocaleSeparators() {
    const QLocale locale;
    return text::Separators{locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString()};
}

QString Fixed(double v) { return QString::fromStdString(text::Fixed(v, LocaleSeparators())); }

QString General(float v) { return QString::fromStdString(text::General(v, LocaleSeparators())); }

QString Integer(long long v) { return QString::number(v); }

QByteArray Exact(double v) {
    char text[32];
    const auto res = std::to_chars(text, text + sizeof text, v);
    return QByteArray(text, static_cast<int>(res.ptr - text));
}

} // namespace vintrop::fmt
