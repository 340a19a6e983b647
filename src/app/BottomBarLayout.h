#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Places the main window's bottom bar. The design puts every control at a fixed pixel
// position for a small desktop font; here the columns keep their design places where the
// font allows and move right just far enough that no text is clipped. Controls of the
// left columns keep their distance from the left and bottom edges, the Save and Close
// group its distance from the right and bottom edges.
class BottomBarLayout
{
public:
    // The controls, in the columns of the bar. Offset and jitter groups share column A.
    struct Controls
    {
        QWidget* UpDownPlotHours = nullptr;
        QWidget* LabelPlotHours = nullptr;
        QWidget* LabelSuggestHistogram = nullptr;
        QWidget* CheckBoxExponentialAverage = nullptr;
        QWidget* UpDownHoursToAverage = nullptr;
        QWidget* LabelHoursToAverage = nullptr;
        QWidget* CheckBoxClipOffsets = nullptr;
        QWidget* ColumnB[3] = {}; // White background, Local time, Ignore data gaps
        QWidget* ColumnC[3] = {}; // Jitter first, Peerstats first, LAN peerstats
        QWidget* LabelAutoUpdate = nullptr;
        QWidget* ComboBoxAutoUpdate = nullptr;
        QWidget* LabelFilesHint = nullptr;
        QWidget* CheckBoxSaveWithDatePrefix = nullptr;
        QWidget* ButtonSave = nullptr;
        QWidget* ButtonClose = nullptr;
    };

    explicit BottomBarLayout(const Controls& controls);

    // The heights the bar's height is made of: measured on the controls by the window,
    // estimated from the font by a run without one.
    struct Heights
    {
        int CheckBox = 0;
        int SpinPlot = 0;
        int PlotLabel = 0;
        int Suggest = 0;
        int Weighted = 0;
        int SpinAverage = 0;
        int AverageLabel = 0;
    };
    // The design's 59 pixels, or three rows of check boxes, or the taller of the two
    // stacks of column A.
    static int BarHeightOf(const Heights& heights);
    static int RowPitchOf(int checkBoxHeight);
    // A caption broken into words, one per line where needed, is as wide as its longest
    // word and a little.
    static int WrappedCaptionWidth(const QFontMetrics& metrics, const QString& caption);

    // Height of the bar: the design's 59 pixels, or three rows of check boxes.
    int BarHeight() const { return barHeight_; }
    // The narrowest client width at which the left columns and the right group do not
    // overlap.
    int MinimumClientWidth() const { return minimumClientWidth_; }

    // Measures the controls again (after a font change) and places them.
    void Measure();
    void Place(QSize clientSize) const;

private:
    Controls c_;
    int barHeight_ = 59;
    int rowPitch_ = 18;
    int minimumClientWidth_ = 0;
    int columnA_ = 8;
    int columnAWidth_ = 0;
    int columnB_ = 180;
    int columnBWidth_ = 0;
    int columnC_ = 310;
    int columnCWidth_ = 0;
    int columnD_ = 420;
    int columnDWidth_ = 0;
    int columnE_ = 530;
    int columnEWidth_ = 0;
    int rightGroupWidth_ = 0;
};
