#pragma once

#include "DateTime.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// A date-time pattern read once, for writing many day numbers the same way: the CSV
// writer formats a column of millions. FormatDateTime (DateTime.h) is this class used
// once; the tokens, the rounding and the question marks off the calendar are described
// there.
class DateTimeFormat
{
public:
    explicit DateTimeFormat(
        const QString& pattern, TimeRounding rounding = TimeRounding::Millisecond, const QLocale& locale = QLocale());

    QString Format(double dayNumber) const;
    // The same text, appended as UTF-8.
    void AppendUtf8(std::string& out, double dayNumber) const;

private:
    enum class Token : std::uint8_t { Literal, Year, MonthName, Month, Day, Hour, Minute, Second, Millisecond };
    struct Piece
    {
        Token token = Token::Literal;
        QString text; // a literal run of the pattern
        std::string utf8; // the same run as UTF-8
    };

    template <typename Out> void Write(Out& out, double dayNumber) const;

    std::vector<Piece> pieces_;
    TimeRounding rounding_;
    QLocale locale_;
};
