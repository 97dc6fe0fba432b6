#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace qm3270 {

// Every text the program turns into a number goes through this rule: blanks are
// ignored anywhere, "." is the decimal point whatever the locale, an optional sign
// and exponent are accepted, reading stops at the first character that cannot
// continue the number, and a text that does not begin with a number reads as 0.
double leadingNumber(QStringView text);

// The value of a text that is one number and nothing else (blanks aside, by the
// same reading as leadingNumber), or nothing: "145.5", " 7", "-1", "1e2" are
// numbers; "7x", "", "on", "." and values beyond double range are not.
std::optional<double> numberValue(QStringView text);

// A number as plain text: rounded to 15 significant digits, no exponent, no
// trailing zeros after the point, no point for whole values, "-" for negatives.
// 145.6125 * 100000 gives "14561250", not "14561249.999999998".
QString numberText(double value);

// A frequency in MHz as "###.00000": no leading zeros (nothing before the point
// below 1 MHz), exactly five decimals, rounded at the fifth.
QString frequencyText(double megahertz);

}  // namespace qm3270
