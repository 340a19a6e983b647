#include "FileNames.h"

#include <QDate>
#include <QDir>

#include <algorithm>
#include <charconv>

namespace {

const QChar Separator = QLatin1Char('/');

bool LessIgnoringCase(const QString& a, const QString& b)
{
    const int byCase = a.compare(b, Qt::CaseInsensitive);
    // Names that differ only in case are different files here; keep both, in a
    // fixed order.
    return byCase != 0 ? byCase < 0 : a < b;
}

// Ranks of the periods that may start on the same date: the one that covers the others
// is read first.
constexpr int YearRank = -3;
constexpr int MonthRank = -2;
constexpr int WeekRank = -1;
constexpr int DayRank = 0;
constexpr int FirstYear = 1960;

// A run of ASCII digits as a number; -1 when the text is not one (or is empty).
int DigitsValue(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return -1;
    int value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// The first day of a week, month or year period text; rank tells which it was.
std::optional<QDate> PeriodStart(QStringView period, int& rank)
{
    if ((period.size() == 6 || period.size() == 7)
        && (period[4] == QLatin1Char('W') || period[4] == QLatin1Char('w'))) {
        const int year = DigitsValue(period.left(4));
        const int week = DigitsValue(period.mid(5));
        rank = WeekRank;
        // 28 December always lies in the year's last ISO week.
        if (year < FirstYear || week < 1 || week > QDate(year, 12, 28).weekNumber())
            return std::nullopt;
        // Week 1 is the week that holds 4 January; weeks start on Monday.
        const QDate january4(year, 1, 4);
        return january4.addDays(1 - january4.dayOfWeek() + 7 * (week - 1));
    }
    if (period.size() == 4) {
        const int year = DigitsValue(period);
        rank = YearRank;
        return year >= FirstYear ? std::optional<QDate>(QDate(year, 1, 1)) : std::nullopt;
    }
    if (period.size() == 6) {
        const int year = DigitsValue(period.left(4));
        const int month = DigitsValue(period.mid(4));
        rank = MonthRank;
        if (year < FirstYear || month < 1 || month > 12)
            return std::nullopt;
        return QDate(year, month, 1);
    }
    return std::nullopt;
}

} // namespace

QString FileNamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(Separator) + 1);
}

QString FolderPart(const QString& path)
{
    return path.left(path.lastIndexOf(Separator) + 1);
}

QString FileExtension(const QString& path)
{
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString WithTrailingSeparator(const QString& path)
{
    return path.endsWith(Separator) ? path : path + Separator;
}

bool IsLoopFile(const QString& name)
{
    return FileNamePart(name).startsWith(QLatin1String("LOOP"), Qt::CaseInsensitive);
}

bool IsPeerFile(const QString& name)
{
    return FileNamePart(name).startsWith(QLatin1String("PEER"), Qt::CaseInsensitive);
}

std::int32_t ListDateNumber(const QString& name)
{
    QString extension = FileExtension(name);
    if (extension.compare(QLatin1String(".GZ"), Qt::CaseInsensitive) == 0)
        extension = FileExtension(name.left(name.size() - extension.size()));
    const QByteArray digits = extension.mid(1).toLatin1();
    const char* begin = digits.constData();
    const char* end = begin + digits.size();
    if (begin != end && *begin == '+')
        ++begin;
    std::int32_t value = 0;
    const auto result = std::from_chars(begin, end, value, 10);
    if (begin == end || result.ec != std::errc() || result.ptr != end)
        return 0;
    return value;
}

bool IsAcceptedListName(const QString& name)
{
    return ListDateNumber(name) > 19600000;
}

std::optional<FileOrder> NtpFileOrder(const QString& path)
{
    if (IsAcceptedListName(path))
        return FileOrder { path, 0, DayRank };
    const QString name = FileNamePart(path);
    qsizetype end = name.size();
    if (FileExtension(name).compare(QLatin1String(".GZ"), Qt::CaseInsensitive) == 0)
        end -= 3;
    if (end <= 0)
        return std::nullopt;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'), end - 1);
    if (dot < 0)
        return std::nullopt;
    int rank = DayRank;
    const std::optional<QDate> start = PeriodStart(QStringView(name).mid(dot + 1, end - dot - 1), rank);
    if (!start)
        return std::nullopt;
    return FileOrder { FolderPart(path) + name.left(dot + 1)
            + QString::asprintf("%04d%02d%02d", start->year(), start->month(), start->day()),
        0, rank };
}

NameClaim NtpNameClaim(const QString& path, bool hasKindPrefix)
{
    if (std::optional<FileOrder> order = NtpFileOrder(path)) {
        if (hasKindPrefix)
            return NameClaim { NameClaim::Verdict::Claimed, std::move(*order) };
        return NameClaim { NameClaim::Verdict::Foreign, {} };
    }
    return NameClaim { hasKindPrefix ? NameClaim::Verdict::Family : NameClaim::Verdict::Unknown, {} };
}

bool HasStatisticsMarker(const QString& path)
{
    const QString name = FileNamePart(path).toLower();
    for (const char* marker : { "loops.2", "loopstats", "peers.2", "peerstats" })
        if (name.contains(QLatin1String(marker)))
            return true;
    return false;
}

QString AbbreviateDirectoryLabel(const QString& label)
{
    QString result = label;
    if (result.endsWith(Separator))
        result.chop(1);
    result = FileNamePart(result);
    if (!result.isEmpty() && result[0] >= QLatin1Char('a') && result[0] <= QLatin1Char('z'))
        result[0] = result[0].toUpper();
    return result;
}

bool MatchesWildcard(const QString& name, const QString& pattern)
{
    // Iterative matching with one back-tracking point: the last "*" seen.
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1;
    qsizetype starMatch = 0;
    const auto same = [](QChar a, QChar b) { return a == b || a.toCaseFolded() == b.toCaseFolded(); };
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            starMatch = n;
        } else if (p < pattern.size() && same(pattern[p], name[n])) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++starMatch;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

void ListMatchingFiles(const QString& pattern, QStringList& names)
{
    const QString folder = FolderPart(pattern);
    const QString filePattern = FileNamePart(pattern);
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries
        = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& entry : entries)
        if (MatchesWildcard(entry, filePattern))
            names.append(folder + entry);
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    names.erase(std::unique(names.begin(), names.end()), names.end());
}
