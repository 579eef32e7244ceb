// Strict number reading.
#include "measurement/Numbers.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

namespace Numbers {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The accepted grammar, rewritten with "." as the separator; empty when it does not match.
QByteArray normalised(const QString& text, QChar decimalPoint) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text.at(i) == QLatin1Char(' '))
        ++i;
    while (end > i && text.at(end - 1) == QLatin1Char(' '))
        --end;

    QByteArray out;
    if (i < end && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        out += char(text.at(i++).unicode());
    int mantissaDigits = 0;
    bool seenPoint = false;
    for (; i < end; ++i) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            out += char(c.unicode());
            ++mantissaDigits;
        } else if (c == decimalPoint && !seenPoint) {
            out += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return QByteArray();
    if (i < end && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        out += 'e';
        ++i;
        if (i < end && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
            out += char(text.at(i++).unicode());
        int exponentDigits = 0;
        for (; i < end && isDigit(text.at(i)); ++i, ++exponentDigits)
            out += char(text.at(i).unicode());
        if (exponentDigits == 0)
            return QByteArray();
    }
    return i == end ? out : QByteArray();
}

} // namespace

std::optional<float> toSingle(const QString& text, QChar decimalPoint) {
    const QByteArray plain = normalised(text, decimalPoint);
    if (plain.isEmpty())
        return std::nullopt;
    // from_chars never looks at the process locale: the C library's strtod would read "1.25"
    // as 1 wherever the toolkit has set a comma-decimal LC_NUMERIC from the environment.
    double value = 0.0;
    const char* const end = plain.constData() + plain.size();
    const auto [stop, error] = std::from_chars(plain.constData() + (plain.startsWith('+') ? 1 : 0),
                                               end, value, std::chars_format::general);
    if (error != std::errc() || stop != end || !std::isfinite(value) ||
        std::fabs(value) > double(FLT_MAX))
        return std::nullopt;
    // Too small for single precision is beyond it too: a text that names a non-zero value
    // must not come out as 0.
    const qsizetype exponentAt = plain.indexOf('e');
    const QByteArray mantissa = exponentAt < 0 ? plain : plain.left(exponentAt);
    const bool namesNonZero = std::any_of(mantissa.cbegin(), mantissa.cend(),
                                          [](char c) { return c >= '1' && c <= '9'; });
    if (float(value) == 0.0f && namesNonZero)
        return std::nullopt;
    return float(value);
}

} // namespace Numbers
