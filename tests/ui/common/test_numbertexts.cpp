// The number texts the program and the web page share, held against Qt's
// own locale formatting: fixed two decimals with groups, and up to seven
// significant digits, for the same digits in every locale that groups by
// thousands.
#include <QLocale>
#include <QtTest>
#include <cmath>
#include <random>

#include "numbertexts.h"

using namespace vintrop;

namespace {

// Qt's text of the two formats, worked out by QLocale: its rounding (half
// away from zero on exact ties) and its separators.
QString QtFixed(const QLocale& base, double v) {
    QLocale locale = base;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    if (std::fabs(v) < 0.005) v = 0.0;
    return locale.toString(v, 'f', 2);
}

QString QtGeneral(const QLocale& base, float v) {
    QLocale locale = base;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double d = v, a = std::fabs(d);
    if (a != 0 && (a >= 1e7 || a < 1e-4)) {
        int exp = static_cast<int>(std::floor(std::log10(a)));
        QString m = locale.toString(d / std::pow(10.0, exp), 'f', 6);
        if (std::fabs(locale.toDouble(m)) >= 10.0) m = locale.toString(d / std::pow(10.0, ++exp), 'f', 6);
        while (m.endsWith(QLatin1Char('0'))) m.chop(1);
        if (m.endsWith(locale.decimalPoint())) m.chop(m.size() - m.lastIndexOf(locale.decimalPoint()));
        return m + QStringLiteral("E%1%2").arg(exp < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                       .arg(std::abs(exp), 2, 10, QLatin1Char('0'));
    }
    return locale.toString(d, 'g', 7);
}

text::Separators SeparatorsOf(const QLocale& locale) {
    return {locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString()};
}

} // namespace

class TestNumberTexts : public QObject {
    Q_OBJECT
private slots:
    void matchQtInEveryLocaleThatGroupsByThousands_data();
    void matchQtInEveryLocaleThatGroupsByThousands();
};

void TestNumberTexts::matchQtInEveryLocaleThatGroupsByThousands_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("C") << QLocale::c();
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("French, narrow blank groups") << QLocale(QLocale::French, QLocale::France);
    QTest::newRow("Italian") << QLocale(QLocale::Italian, QLocale::Italy);
}

void TestNumberTexts::matchQtInEveryLocaleThatGroupsByThousands() {
    QFETCH(QLocale, locale);
    const text::Separators s = SeparatorsOf(locale);
    // Exact ties of two and of six decimals, carries, zero's signs, the
    // edges of the exponent form, and values beyond the float range.
    std::vector<double> values = {0,       -0.0,     0.125,   -0.125,   0.375,    1.125,   2.675,   0.005,
                                  0.0049999, 999.995, 999.999, 1e15,    -1234567.125, 1e300, 1048576.5,
                                  9999999,  1e7,      0.0001,  0.00009999, 3.4e38,  INFINITY, -INFINITY, NAN};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> exponent(-8, 12), unit(-1, 1);
    for (int k = 0; k < 20000; ++k) values.push_back(unit(rng) * std::pow(10.0, exponent(rng)));
    // Values on a grid of 1/8 and 1/128, where exact ties lie.
    std::uniform_int_distribution<int> grid(-2000000, 2000000);
    for (int k = 0; k < 5000; ++k) values.push_back(grid(rng) / 8.0);
    for (int k = 0; k < 5000; ++k) values.push_back(grid(rng) / 128.0);
    int compared = 0;
    for (double v : values) {
        const QString fixed = QString::fromStdString(text::Fixed(v, s));
        if (fixed != QtFixed(locale, v))
            QFAIL(qPrintable(QStringLiteral("Fixed(%1): %2, Qt %3").arg(v, 0, 'g', 17).arg(fixed, QtFixed(locale, v))));
        const float f = static_cast<float>(v);
        const QString general = QString::fromStdString(text::General(f, s));
        // Qt's exponent form has no text for infinities ("infE-2147483647"):
        // they show as the fixed format shows them.
        const QString expected = std::isfinite(f) ? QtGeneral(locale, f) : QtFixed(locale, f);
        if (general != expected)
            QFAIL(qPrintable(QStringLiteral("General(%1): %2, Qt %3").arg(double(f), 0, 'g', 9).arg(general, expected)));
        ++compared;
    }
    QCOMPARE(compared, int(values.size()));
}

QTEST_GUILESS_MAIN(TestNumberTexts)
#include "test_numbertexts.moc"
