#include "BottomBarLayout.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace {

// Design places of the columns, from the left edge of the 972-pixel client area.
constexpr int DesignColumnA = 8;
constexpr int DesignColumnB = 180;
constexpr int DesignColumnC = 310;
constexpr int DesignColumnD = 420;
constexpr int DesignColumnE = 530;
constexpr int DesignBarHeight = 59;
constexpr int DesignRowPitch = 18;
constexpr int EdgeGap = 8;
constexpr int ColumnGap = 12;
constexpr int LabelGap = 6;

QSize Hint(const QWidget* w)
{
    return w ? w->sizeHint() : QSize();
}

// A label that breaks its caption into words, one per line where needed: as wide as
// its longest word, as tall as the lines it then takes.
QSize WrappedLabelSize(QWidget* w)
{
    auto* label = qobject_cast<QLabel*>(w);
    if (!label)
        return Hint(w);
    const int width = BottomBarLayout::WrappedCaptionWidth(label->fontMetrics(), label->text());
    return { width, label->heightForWidth(width) };
}

void SetGeometry(QWidget* w, int x, int y, QSize size)
{
    if (w)
        w->setGeometry(x, y, size.width(), size.height());
}

int CheckBoxColumnWidth(QWidget* const (&column)[3])
{
    int width = 0;
    for (QWidget* w : column)
        width = std::max(width, Hint(w).width());
    return width;
}

} // namespace

BottomBarLayout::BottomBarLayout(const Controls& controls)
    : c_(controls)
{
    Measure();
}

int BottomBarLayout::RowPitchOf(int checkBoxHeight)
{
    return std::max(DesignRowPitch, checkBoxHeight);
}

int BottomBarLayout::BarHeightOf(const Heights& h)
{
    return std::max({ DesignBarHeight, 3 * RowPitchOf(h.CheckBox) + 5,
        std::max(h.SpinPlot, h.PlotLabel) + h.Suggest + 10, h.Weighted + std::max(h.SpinAverage, h.AverageLabel) + 8 });
}

int BottomBarLayout::WrappedCaptionWidth(const QFontMetrics& metrics, const QString& caption)
{
    int widest = 0;
    for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest + 2;
}

void BottomBarLayout::Measure()
{
    const QSize spinPlot = Hint(c_.UpDownPlotHours);
    const QSize spinAverage = Hint(c_.UpDownHoursToAverage);
    const QSize plotLabel = WrappedLabelSize(c_.LabelPlotHours);
    const QSize averageLabel = WrappedLabelSize(c_.LabelHoursToAverage);
    const QSize suggest = Hint(c_.LabelSuggestHistogram);
    const QSize weighted = Hint(c_.CheckBoxExponentialAverage);
    const QSize box = Hint(c_.ColumnB[0]);

    rowPitch_ = RowPitchOf(box.height());
    barHeight_ = BarHeightOf({ box.height(), spinPlot.height(), plotLabel.height(), suggest.height(), weighted.height(),
        spinAverage.height(), averageLabel.height() });

    columnA_ = DesignColumnA;
    columnAWidth_ = std::max({ spinPlot.width() + LabelGap + plotLabel.width(), suggest.width(), weighted.width(),
        spinAverage.width() + LabelGap + averageLabel.width() });
    columnB_ = std::max(DesignColumnB, columnA_ + columnAWidth_ + ColumnGap);
    columnBWidth_ = CheckBoxColumnWidth(c_.ColumnB);
    columnC_ = std::max(DesignColumnC, columnB_ + columnBWidth_ + ColumnGap);
    columnCWidth_ = CheckBoxColumnWidth(c_.ColumnC);
    columnD_ = std::max(DesignColumnD, columnC_ + columnCWidth_ + ColumnGap);
    columnDWidth_ = std::max({ Hint(c_.LabelAutoUpdate).width(), Hint(c_.ComboBoxAutoUpdate).width(), 81 });
    columnE_ = std::max(DesignColumnE, columnD_ + columnDWidth_ + ColumnGap);
    columnEWidth_ = WrappedLabelSize(c_.LabelFilesHint).width();

    rightGroupWidth_ = Hint(c_.CheckBoxSaveWithDatePrefix).width() + 10 + std::max(65, Hint(c_.ButtonSave).width()) + 6
        + std::max(60, Hint(c_.ButtonClose).width());
    minimumClientWidth_ = columnE_ + columnEWidth_ + 2 * ColumnGap + rightGroupWidth_ + EdgeGap;
}

void BottomBarLayout::Place(QSize clientSize) const
{
    const int bottom = clientSize.height();
    const int top = bottom - barHeight_;

    // Column A, offset-page group: the hours spinner with its label, the histogram
    // suggestion along the bottom.
    const QSize spinPlot = Hint(c_.UpDownPlotHours);
    const QSize plotLabel = WrappedLabelSize(c_.LabelPlotHours);
    const int plotRowHeight = std::max(spinPlot.height(), plotLabel.height());
    SetGeometry(c_.UpDownPlotHours, columnA_, top + 4 + (plotRowHeight - spinPlot.height()) / 2, spinPlot);
    SetGeometry(c_.LabelPlotHours, columnA_ + spinPlot.width() + LabelGap,
        top + 4 + (plotRowHeight - plotLabel.height()) / 2, plotLabel);
    const QSize suggest = Hint(c_.LabelSuggestHistogram);
    SetGeometry(c_.LabelSuggestHistogram, columnA_, bottom - 4 - suggest.height(), suggest);

    // Column A, jitter-page group: "Weighted" on top, the averaging spinner below.
    const QSize weighted = Hint(c_.CheckBoxExponentialAverage);
    SetGeometry(c_.CheckBoxExponentialAverage, columnA_, top + 2, weighted);
    const QSize spinAverage = Hint(c_.UpDownHoursToAverage);
    const QSize averageLabel = WrappedLabelSize(c_.LabelHoursToAverage);
    const int averageRowHeight = std::max(spinAverage.height(), averageLabel.height());
    const int averageRowTop = bottom - 4 - averageRowHeight;
    SetGeometry(
        c_.UpDownHoursToAverage, columnA_, averageRowTop + (averageRowHeight - spinAverage.height()) / 2, spinAverage);
    SetGeometry(c_.LabelHoursToAverage, columnA_ + spinAverage.width() + LabelGap,
        averageRowTop + (averageRowHeight - averageLabel.height()) / 2, averageLabel);

    // "Clip offsets" lies over the lower left corner of the offset charts.
    const QSize clip = Hint(c_.CheckBoxClipOffsets);
    SetGeometry(c_.CheckBoxClipOffsets, 12, top - 10 - clip.height(), clip);

    // Columns B and C: three rows of check boxes.
    for (int row = 0; row < 3; ++row) {
        const int y = top + 1 + row * rowPitch_;
        SetGeometry(c_.ColumnB[row], columnB_, y, { columnBWidth_, Hint(c_.ColumnB[row]).height() });
        SetGeometry(c_.ColumnC[row], columnC_, y, { columnCWidth_, Hint(c_.ColumnC[row]).height() });
    }

    // Column D: "Auto update" above its list, centred in the bar.
    const QSize autoLabel = Hint(c_.LabelAutoUpdate);
    const QSize combo(columnDWidth_, Hint(c_.ComboBoxAutoUpdate).height());
    const int autoTop = top + (barHeight_ - autoLabel.height() - 2 - combo.height()) / 2;
    SetGeometry(c_.LabelAutoUpdate, columnD_, autoTop, autoLabel);
    SetGeometry(c_.ComboBoxAutoUpdate, columnD_, autoTop + autoLabel.height() + 2, combo);

    // Column E: the files hint.
    const QSize files = WrappedLabelSize(c_.LabelFilesHint);
    SetGeometry(c_.LabelFilesHint, columnE_, top + (barHeight_ - files.height()) / 2, files);

    // Right group, from the right edge inwards.
    const QSize close(std::max(60, Hint(c_.ButtonClose).width()), std::max(25, Hint(c_.ButtonClose).height()));
    const QSize save(std::max(65, Hint(c_.ButtonSave).width()), std::max(25, Hint(c_.ButtonSave).height()));
    const QSize prefix = Hint(c_.CheckBoxSaveWithDatePrefix);
    const int closeLeft = clientSize.width() - EdgeGap - close.width();
    const int saveLeft = closeLeft - 6 - save.width();
    const int prefixLeft = saveLeft - 10 - prefix.width();
    SetGeometry(c_.ButtonClose, closeLeft, top + (barHeight_ - close.height()) / 2, close);
    SetGeometry(c_.ButtonSave, saveLeft, top + (barHeight_ - save.height()) / 2, save);
    SetGeometry(c_.CheckBoxSaveWithDatePrefix, prefixLeft, top + (barHeight_ - prefix.height()) / 2, prefix);
}
