#include "PeerTable.h"

#include "TableImage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>

namespace {
// Sign s of the sort key s × v: the first click on a column puts the "best" peers first
// (most entries, largest mean offset, smallest RMS offset ...).
int SortSign(int column)
{
    switch (column) {
    case 3:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
        return +1;
    default:
        return -1;
    }
}

// Value v of a column for a peer; nothing when the peer has no such statistic.
std::optional<double> SortStatistic(const PeerAccumulator& a, int column)
{
    if (column < 2 || column > 10)
        return double(a.Count);
    if (a.Count <= 0)
        return std::nullopt;
    return ComputePeerStatistics(a)[std::size_t(column - 2)];
}

// Rounds like "%25.7f" does, so that statistics equal to seven decimals tie.
double RoundToSevenDecimals(double value)
{
    char text[400];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 7);
    if (ec != std::errc())
        return value;
    double rounded = value;
    std::from_chars(text, end, rounded);
    return rounded;
}
} // namespace

const PeerTableRow& PeerTableHeaders()
{
    static const PeerTableRow headers {
        QStringLiteral(" Peer                "),
        QStringLiteral("Number of entries"),
        QStringLiteral("Mean Offset (ms)"),
        QStringLiteral("RMS Offset (ms)"),
        QStringLiteral("Minimum Offset (ms)"),
        QStringLiteral("Maximum Offset (ms)"),
        QStringLiteral("Mean Delay (ms)"),
        QStringLiteral("Minimum Delay (ms)"),
        QStringLiteral("Maximum Delay (ms)"),
        QStringLiteral("Mean Dispersion (ms)"),
        QStringLiteral("Mean RMS jitter (ms)"),
    };
    return headers;
}

QString FormatThreeDecimals(double value, const QLocale& locale)
{
    // to_chars ignores the C locale, which Qt sets from the environment; the user's
    // separator is put in afterwards and no grouping is ever added.
    char text[400];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    QString result = ec == std::errc() ? QString::fromLatin1(text, end - text) : QStringLiteral("0.000");
    const QString separator = locale.decimalPoint();
    if (separator != QLatin1String("."))
        result.replace(QLatin1Char('.'), separator);
    return result;
}

QString FormatPeerMilliseconds(double seconds, const QLocale& locale)
{
    return FormatThreeDecimals(seconds * 1000.0, locale) + QLatin1Char(' ');
}

PeerTableRow PeerTableCells(const QString& address, const PeerAccumulator& accumulator, const QLocale& locale)
{
    PeerTableRow row;
    if (accumulator.Count <= 0) {
        row[0] = address;
        return row;
    }
    row[0] = address + QLatin1Char(' ');
    row[1] = QString::number(accumulator.Count) + QLatin1Char(' ');
    const PeerStatistics statistics = ComputePeerStatistics(accumulator);
    for (std::size_t i = 0; i < statistics.size(); ++i)
        // A mean jitter of no records (none of the peer's records had one) stays empty.
        if (std::isfinite(statistics[i]))
            row[i + 2] = FormatPeerMilliseconds(statistics[i], locale);
    return row;
}

std::vector<int> PeerTableOrder(const std::vector<PeerAccumulator>& accumulators, const PeerSortState& sort)
{
    struct Key
    {
        bool missing;
        double value;
    };
    const int sign = SortSign(sort.Column);
    std::vector<Key> keys;
    keys.reserve(accumulators.size());
    for (const PeerAccumulator& a : accumulators) {
        const auto v = SortStatistic(a, sort.Column);
        if (!v || !std::isfinite(*v)) {
            keys.push_back({ true, 0 });
            continue;
        }
        const double k = sign * *v;
        keys.push_back({ false, RoundToSevenDecimals(sort.Ascending ? 1e7 + k : 1e7 - k) });
    }
    std::vector<int> order(accumulators.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
        const Key& x = keys[std::size_t(a)];
        const Key& y = keys[std::size_t(b)];
        if (x.missing != y.missing)
            return y.missing;
        return !x.missing && x.value < y.value;
    });
    return order;
}

std::vector<PeerTableRow> BuildPeerTableRows(const std::vector<QString>& addresses,
    const std::vector<PeerAccumulator>& accumulators, const PeerSortState& sort, const QLocale& locale)
{
    std::vector<PeerTableRow> rows;
    rows.reserve(accumulators.size());
    for (const int i : PeerTableOrder(accumulators, sort)) {
        const std::size_t peer = std::size_t(i);
        const QString address = peer < addresses.size() ? addresses[peer] : QString();
        rows.push_back(PeerTableCells(address, accumulators[peer], locale));
    }
    return rows;
}

QString PeerTableClipboardText(const std::vector<PeerTableRow>& rowsWithHeader)
{
    std::vector<QStringList> rows;
    rows.reserve(rowsWithHeader.size());
    for (const PeerTableRow& row : rowsWithHeader)
        rows.emplace_back(row.begin(), row.end());
    return TableClipboardText(rows);
}
