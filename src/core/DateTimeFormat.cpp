#include "DateTimeFormat.h"

#include <QDate>

#include <type_traits>

namespace {

void AppendAscii(QString& out, const char* text, int size)
{
    out.append(QLatin1String(text, size));
}

void AppendAscii(std::string& out, const char* text, int size)
{
    out.append(text, static_cast<std::size_t>(size));
}

void AppendText(QString& out, const QString& text)
{
    out += text;
}

void AppendText(std::string& out, const QString& text)
{
    out += text.toStdString();
}

template <typename Out> void AppendDigits(Out& out, int value, int width)
{
    char digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    AppendAscii(out, digits, width);
}

} // namespace

DateTimeFormat::DateTimeFormat(const QString& pattern, TimeRounding rounding, const QLocale& locale)
    : rounding_(rounding)
    , locale_(locale)
{
    const QChar* const text = pattern.constData();
    const qsizetype size = pattern.size();
    for (qsizetype i = 0; i < size;) {
        // Tokens are runs of one letter; the longest token that fits is taken first, so
        // "mmmm" is the month's name followed by a plain "m".
        const char16_t c = text[i].unicode();
        qsizetype run = 1;
        while (i + run < size && text[i + run].unicode() == c && run < 4)
            ++run;
        Token token = Token::Literal;
        qsizetype length = 1;
        if (c == u'y' && run >= 4) {
            token = Token::Year;
            length = 4;
        } else if (c == u'm' && run >= 3) {
            token = Token::MonthName;
            length = 3;
        } else if (c == u'm' && run == 2) {
            token = Token::Month;
            length = 2;
        } else if (c == u'd' && run >= 2) {
            token = Token::Day;
            length = 2;
        } else if (c == u'h' && run >= 2) {
            token = Token::Hour;
            length = 2;
        } else if (c == u'n' && run >= 2) {
            token = Token::Minute;
            length = 2;
        } else if (c == u's' && run >= 2) {
            token = Token::Second;
            length = 2;
        } else if (c == u'z' && run >= 3) {
            token = Token::Millisecond;
            length = 3;
        }
        if (token == Token::Literal) {
            if (pieces_.empty() || pieces_.back().token != Token::Literal)
                pieces_.push_back({});
            pieces_.back().text += text[i];
        } else {
            pieces_.push_back({ token, {}, {} });
        }
        i += length;
    }
    for (Piece& piece : pieces_)
        piece.utf8 = piece.text.toStdString();
}

template <typename Out> void DateTimeFormat::Write(Out& out, double dayNumber) const
{
    const auto rounded = RoundDateTime(dayNumber, rounding_);
    // The date is worked out only for a pattern that shows it, and then only once.
    struct
    {
        int year = 0;
        int month = 0;
        int day = 0;
    } parts;
    const auto dateOf = [&]() -> const auto&
    {
        if (parts.month == 0)
            DateOfDay(rounded->day).getDate(&parts.year, &parts.month, &parts.day);
        return parts;
    };
    const int ms = rounded ? static_cast<int>(rounded->millisecond) : 0;
    // A numeric token: its digits, or question marks of its width off the calendar.
    const auto field = [&](auto value, int width) {
        if (rounded)
            AppendDigits(out, value(), width);
        else
            AppendAscii(out, "????", width);
    };
    for (const Piece& piece : pieces_) {
        switch (piece.token) {
        case Token::Literal:
            if constexpr (std::is_same_v<Out, std::string>)
                out += piece.utf8;
            else
                out += piece.text;
            break;
        case Token::Year:
            field([&] { return dateOf().year; }, 4);
            break;
        case Token::MonthName:
            if (rounded)
                AppendText(out, locale_.monthName(dateOf().month, QLocale::ShortFormat));
            else
                AppendAscii(out, "???", 3);
            break;
        case Token::Month:
            field([&] { return dateOf().month; }, 2);
            break;
        case Token::Day:
            field([&] { return dateOf().day; }, 2);
            break;
        case Token::Hour:
            field([&] { return ms / 3'600'000; }, 2);
            break;
        case Token::Minute:
            field([&] { return ms / 60'000 % 60; }, 2);
            break;
        case Token::Second:
            field([&] { return ms / 1000 % 60; }, 2);
            break;
        case Token::Millisecond:
            field([&] { return ms % 1000; }, 3);
            break;
        }
    }
}

QString DateTimeFormat::Format(double dayNumber) const
{
    QString out;
    out.reserve(32);
    Write(out, dayNumber);
    return out;
}

void DateTimeFormat::AppendUtf8(std::string& out, double dayNumber) const
{
    Write(out, dayNumber);
}
