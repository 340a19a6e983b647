#include "ValueFormat.h"

#include "DateTime.h"

#include <cmath>

namespace {
struct NumberPattern
{
    bool grouped = false;
    int minimumDecimals = 0;
    int maximumDecimals = 0;
};

NumberPattern ParsePattern(const QString& pattern)
{
    NumberPattern parsed;
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const QString integerPart = point < 0 ? pattern : pattern.left(point);
    parsed.grouped = integerPart.contains(QLatin1Char(','));
    if (point >= 0)
        for (qsizetype i = point + 1; i < pattern.size(); ++i) {
            const QChar c = pattern[i];
            if (c == QLatin1Char('0')) {
                ++parsed.minimumDecimals;
                ++parsed.maximumDecimals;
            } else if (c == QLatin1Char('#'))
                ++parsed.maximumDecimals;
            else
                break;
        }
    return parsed;
}

QString GroupDigits(const QString& digits, const QString& separator)
{
    QString grouped;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += separator;
        grouped += digits[i];
    }
    return grouped;
}
} // namespace

int MaximumDecimals(const QString& pattern)
{
    return ParsePattern(pattern).maximumDecimals;
}

QString FormatAxisValue(double value, const QString& pattern, const QLocale& locale)
{
    if (!std::isfinite(value))
        return QString();
    // Beyond a thousand million million the digits say nothing to a reader (an axis parked
    // at ±1e20 while it has no data): show the power of ten instead.
    if (std::fabs(value) >= 1e15) {
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        return plain.toString(value, 'g', 3);
    }
    const NumberPattern parsed = ParsePattern(pattern);
    QString text = QString::number(std::fabs(value), 'f', parsed.maximumDecimals);
    QString integerDigits = text;
    QString decimals;
    if (const qsizetype point = text.indexOf(QLatin1Char('.')); point >= 0) {
        integerDigits = text.left(point);
        decimals = text.mid(point + 1);
    }
    while (decimals.size() > parsed.minimumDecimals && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    const bool isZero = integerDigits.count(QLatin1Char('0')) == integerDigits.size()
        && decimals.count(QLatin1Char('0')) == decimals.size();

    QString result;
    if (value < 0 && !isZero) // no "-0" for values that round to zero
        result += locale.negativeSign();
    result += parsed.grouped ? GroupDigits(integerDigits, locale.groupSeparator()) : integerDigits;
    if (!decimals.isEmpty())
        result += locale.decimalPoint() + decimals;
    return result;
}

QString ChartDateTimeLabel(double dayNumber, const QString& pattern, const QLocale& locale)
{
    if (!IsCalendarDateTime(dayNumber, TimeRounding::Second))
        return QString();
    return FormatDateTime(dayNumber, pattern, TimeRounding::Second, locale);
}
