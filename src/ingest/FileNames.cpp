#include "FileNames.h"

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

bool HasStatisticsMarker(const QString& path)
{
    const QString name = FileNamePart(path).toLower();
    for (const char* marker : {"loops.2", "loopstats", "peers.2", "peerstats"})
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
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& entry : entries)
        if (MatchesWildcard(entry, filePattern))
            names.append(folder + entry);
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    names.erase(std::unique(names.begin(), names.end()), names.end());
}
