#pragma once
// The program's number formats, in the user's locale.
#include <QByteArray>
#include <QString>

#include "numbertexts.h"

namespace vintrop::fmt {

// The user's locale's group separator and decimal point.
text::Separators LocaleSeparators();
// "###,###,###,##0.00": grouped thousands, exactly two decimals.
QString Fixed(double v);
// Shortest text of a 32-bit float, up to 7 significant digits, no grouping;
// exponent form ("1.234568E+07") when more than 7 integer digits are needed.
QString General(float v);
// Plain decimal, leading minus when negative.
QString Integer(long long v);
// For files other programs read: the shortest text that reads back to the
// same double, "." decimal point, no grouping, in any locale.
QByteArray Exact(double v);

} // namespace vintrop::fmt
