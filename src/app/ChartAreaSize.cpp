#include "ChartAreaSize.h"

#include "BottomBarLayout.h"

#include <QFontMetrics>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace {

// The window's design client size, and the smallest it can be made.
constexpr QSize DesignClient(972, 526);
constexpr QSize SmallestClient(850, 450);
// No screen gives a window more; a damaged store asking for more must not make a run from
// cron draw every image at gigabytes.
constexpr QSize LargestClient(8192, 8192);

// The page controls: two nested tab controls, each with a frame, and the margins of the
// page between them.
constexpr int TabBarTextSpace = 12;
constexpr int PageInsetWidth = 16;
constexpr int PageInsetHeight = 12;

// What the bar's controls take beyond their text: a check box's indicator and the room
// beside it, a spin box's frame around its digits.
constexpr int CheckBoxTextSpace = 6;
constexpr int CheckBoxIndicator = 14;
constexpr int SpinBoxTextSpace = 8;

// A caption broken into words, one per line where needed, as the bar's labels are.
int WrappedLabelHeight(const QFontMetrics& metrics, const QString& text)
{
    const int width = BottomBarLayout::WrappedCaptionWidth(metrics, text);
    return metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text)
        .height();
}

int BarHeight(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int checkBox = std::max(metrics.height(), CheckBoxIndicator) + CheckBoxTextSpace;
    const int spin = metrics.height() + SpinBoxTextSpace;
    return BottomBarLayout::BarHeightOf({ checkBox, spin, WrappedLabelHeight(metrics, QStringLiteral("Data hours")),
        metrics.height(), checkBox, spin, WrappedLabelHeight(metrics, QStringLiteral("Hours to average")) });
}

} // namespace

QSize StoredClientSize(int storedWidth, int storedHeight)
{
    const QSize stored(
        storedWidth > 0 ? storedWidth : DesignClient.width(), storedHeight > 0 ? storedHeight : DesignClient.height());
    return stored.expandedTo(SmallestClient).boundedTo(LargestClient);
}

QSize ChartAreaSize(QSize clientSize, const QFont& font)
{
    const int tabBar = QFontMetrics(font).height() + TabBarTextSpace;
    return { std::max(1, clientSize.width() - PageInsetWidth),
        std::max(1, clientSize.height() - BarHeight(font) - 2 * tabBar - PageInsetHeight) };
}
