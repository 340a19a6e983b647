#include "ValueFormat.h"

#include "DateTime.h"

#include <algorithm>
#include <cmath>

namespace {
struct NumberPattern
{
    bool grouped = false;
    int minimumDecimals = 0;
    int maximumDecimals = 0;
    // The exponent part: no letter for plain numbers.
    QChar exponentLetter;
    bool exponentPlus = false;
    int exponentDigits = 1;
};

NumberPattern ParsePattern(const QString& fullPattern)
{
    NumberPattern parsed;
    QString pattern = fullPattern;
    for (qsizetype i = 0; i + 1 < fullPattern.size(); ++i) {
        const QChar c = fullPattern[i];
        const QChar sign = fullPattern[i + 1];
        if ((c == QLatin1Char('e') || c == QLatin1Char('E'))
            && (sign == QLatin1Char('+') || sign == QLatin1Char('-'))) {
            parsed.exponentLetter = c;
            parsed.exponentPlus = sign == QLatin1Char('+');
            parsed.exponentDigits = std::max<int>(1, int(fullPattern.mid(i + 2).count(QLatin1Char('0'))));
            pattern = fullPattern.left(i);
            break;
        }
    }
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

namespace {
// Mantissa and exponent of a value, the mantissa's decimals as the pattern wants them.
QString FormatWithExponent(double value, const NumberPattern& parsed, const QLocale& locale)
{
    // 'e' gives "d.ddde±xx" with the mantissa already rounded (9.999e-9 becomes 1.00e-8).
    const QString text = QString::number(std::fabs(value), 'e', std::clamp(parsed.maximumDecimals, 0, 16));
    const qsizetype letter = text.indexOf(QLatin1Char('e'));
    QString mantissa = text.left(letter);
    const int exponent = text.mid(letter + 1).toInt();
    QString decimals;
    if (const qsizetype point = mantissa.indexOf(QLatin1Char('.')); point >= 0) {
        decimals = mantissa.mid(point + 1);
        mantissa = mantissa.left(point);
    }
    while (decimals.size() > parsed.minimumDecimals && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    const bool isZero = value == 0;
    QString result;
    if (value < 0)
        result += locale.negativeSign();
    result += mantissa;
    if (!decimals.isEmpty())
        result += locale.decimalPoint() + decimals;
    result += parsed.exponentLetter;
    const int shown = isZero ? 0 : exponent;
    if (shown < 0)
        result += locale.negativeSign();
    else if (parsed.exponentPlus)
        result += locale.positiveSign();
    result += QString::number(std::abs(shown)).rightJustified(parsed.exponentDigits, QLatin1Char('0'));
    return result;
}
} // namespace

QString FormatAxisValue(double value, const QString& pattern, const QLocale& locale)
{
    if (!std::isfinite(value))
        return QString();
    if (pattern.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
        const NumberPattern parsed = ParsePattern(pattern);
        if (!parsed.exponentLetter.isNull())
            return FormatWithExponent(value, parsed, locale);
    }
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
