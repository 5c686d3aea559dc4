#include "numberformat.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace vintrop::fmt {

QString Fixed(double v) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    // A value that rounds to zero shows as "0.00", never "-0.00".
    if (std::fabs(v) < 0.005) v = 0.0;
    return locale.toString(v, 'f', 2);
}

QString General(float v) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double d = v;
    const double a = std::fabs(d);
    if (a != 0 && (a >= 1e7 || a < 1e-4)) {
        // Mantissa with up to 7 significant digits, exponent "E+07" style.
        int exp = static_cast<int>(std::floor(std::log10(a)));
        double mant = d / std::pow(10.0, exp);
        QString m = locale.toString(mant, 'f', 6);
        // Rounding can carry into a new digit (9.9999999 -> 10.000000).
        if (std::fabs(locale.toDouble(m)) >= 10.0) {
            ++exp;
            mant = d / std::pow(10.0, exp);
            m = locale.toString(mant, 'f', 6);
        }
        const QChar dp = locale.decimalPoint().at(0);
        while (m.endsWith(QLatin1Char('0'))) m.chop(1);
        if (m.endsWith(dp)) m.chop(1);
        return m + QStringLiteral("E%1%2").arg(exp < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                       .arg(std::abs(exp), 2, 10, QLatin1Char('0'));
    }
    return locale.toString(d, 'g', 7);
}

QString Integer(long long v) { return QString::number(v); }

QByteArray Exact(double v) {
    char text[32];
    const auto res = std::to_chars(text, text + sizeof text, v);
    return QByteArray(text, static_cast<int>(res.ptr - text));
}

} // namespace vintrop::fmt
