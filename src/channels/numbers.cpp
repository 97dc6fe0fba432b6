#include "channels/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qm3270 {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The characters of the number at the start of `text`, blanks dropped, in the
// plain ASCII form that std::from_chars reads (locale-free by design).
struct NumberScan {
    std::string ascii;
    bool hasDigits = false;  // a mantissa digit was seen
    bool consumedAll = false;
    bool negativeExponent = false;
};

NumberScan scanNumber(QStringView text) {
    NumberScan scan;
    qsizetype i = 0;
    const qsizetype size = text.size();
    auto skipBlanks = [&] {
        while (i < size && text[i].isSpace()) {
            ++i;
        }
    };

    skipBlanks();
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') {
            scan.ascii += '-';
        }
        ++i;
        skipBlanks();
    }
    auto takeDigits = [&] {
        for (skipBlanks(); i < size && isDigit(text[i]); ++i, skipBlanks()) {
            scan.ascii += static_cast<char>(text[i].unicode());
            scan.hasDigits = true;
        }
    };
    takeDigits();
    if (i < size && text[i] == u'.') {
        scan.ascii += '.';
        ++i;
        takeDigits();
    }
    // An exponent counts only when at least one digit follows it; "2e" and
    // "2e+" read as 2, with the "e" left over.
    if (scan.hasDigits && i < size && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        auto skip = [&] {
            while (j < size && text[j].isSpace()) {
                ++j;
            }
        };
        skip();
        std::string exponent = "e";
        bool negative = false;
        if (j < size && (text[j] == u'+' || text[j] == u'-')) {
            negative = text[j] == u'-';
            if (negative) {
                exponent += '-';
            }
            ++j;
            skip();
        }
        bool expDigits = false;
        for (; j < size && isDigit(text[j]); ++j, skip()) {
            exponent += static_cast<char>(text[j].unicode());
            expDigits = true;
        }
        if (expDigits) {
            scan.ascii += exponent;
            scan.negativeExponent = negative;
            i = j;
        }
    }
    skipBlanks();
    scan.consumedAll = i == size;
    return scan;
}

double valueOf(const NumberScan& scan) {
    if (!scan.hasDigits) {
        return 0.0;
    }
    double value = 0.0;
    const char* first = scan.ascii.data();
    const char* last = first + scan.ascii.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Far beyond anything a radio uses; keep the direction so range checks refuse it.
        const bool negative = scan.ascii.front() == '-';
        if (scan.negativeExponent) {
            return negative ? -0.0 : 0.0;
        }
        const double huge = std::numeric_limits<double>::infinity();
        return negative ? -huge : huge;
    }
    return value;
}

// The value as 15 significant decimal digits d1..d15 and the count of digits
// before the point (may be zero or negative for values below 1).
struct Digits {
    bool negative = false;
    std::string digits;  // exactly 15
    int integerDigits = 0;
};

Digits significantDigits(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);  // d.dddddddddddddde±XX
    Digits d;
    d.negative = value < 0;
    d.digits = text.substr(0, 1) + text.substr(2, 14);
    d.integerDigits = std::stoi(text.substr(17)) + 1;
    if (d.digits.find_first_not_of('0') == std::string::npos) {
        d.negative = false;  // no "-0"
        d.integerDigits = 1;
    }
    return d;
}

QString nonFiniteText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("nan");
    }
    return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
}

}  // namespace

double leadingNumber(QStringView text) {
    return valueOf(scanNumber(text));
}

std::optional<double> numberValue(QStringView text) {
    const NumberScan scan = scanNumber(text);
    if (!scan.hasDigits || !scan.consumedAll) {
        return std::nullopt;
    }
    const double value = valueOf(scan);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString numberText(double value) {
    if (!std::isfinite(value)) {
        return nonFiniteText(value);
    }
    const Digits d = significantDigits(value);
    std::string integerPart;
    std::string fraction;
    if (d.integerDigits <= 0) {
        integerPart = "0";
        fraction = std::string(static_cast<std::size_t>(-d.integerDigits), '0') + d.digits;
    } else if (static_cast<std::size_t>(d.integerDigits) >= d.digits.size()) {
        integerPart = d.digits +
                      std::string(static_cast<std::size_t>(d.integerDigits) - d.digits.size(), '0');
    } else {
        integerPart = d.digits.substr(0, static_cast<std::size_t>(d.integerDigits));
        fraction = d.digits.substr(static_cast<std::size_t>(d.integerDigits));
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    std::string text = d.negative ? "-" : "";
    text += integerPart;
    if (!fraction.empty()) {
        text += '.' + fraction;
    }
    return QString::fromLatin1(text);
}

QString frequencyText(double megahertz) {
    if (!std::isfinite(megahertz)) {
        return nonFiniteText(megahertz);
    }
    constexpr int kDecimals = 5;
    // Round the decimal form, not the binary one: 145.000005 is what the user
    // typed, whatever double lies next to it, and it rounds up to 145.00001.
    const Digits d = significantDigits(megahertz);
    const int keep = d.integerDigits + kDecimals;  // digits of megahertz * 10^5
    std::string scaled;
    if (keep < 0) {
        scaled = "0";
    } else if (keep == 0) {
        scaled = d.digits[0] >= '5' ? "1" : "0";
    } else {
        const auto kept = static_cast<std::size_t>(keep);
        if (kept >= d.digits.size()) {
            scaled = d.digits + std::string(kept - d.digits.size(), '0');
        } else {
            scaled = d.digits.substr(0, kept);
            if (d.digits[kept] >= '5') {
                std::size_t i = scaled.size();
                while (i > 0 && scaled[i - 1] == '9') {
                    scaled[--i] = '0';
                }
                if (i == 0) {
                    scaled.insert(scaled.begin(), '1');
                } else {
                    ++scaled[i - 1];
                }
            }
        }
    }
    const auto nonZero = scaled.find_first_not_of('0');
    const bool zero = nonZero == std::string::npos;
    scaled = zero ? std::string() : scaled.substr(nonZero);
    if (scaled.size() < kDecimals) {
        scaled.insert(0, kDecimals - scaled.size(), '0');
    }
    const std::size_t point = scaled.size() - kDecimals;
    std::string text = (d.negative && !zero) ? "-" : "";
    text += scaled.substr(0, point) + '.' + scaled.substr(point);
    return QString::fromLatin1(text);
}

}  // namespace qm3270
