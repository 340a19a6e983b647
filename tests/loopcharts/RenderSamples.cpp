// Renders the seven loop charts and the offset histogram of a statistics directory to PNG
// files, so their look can be checked by eye: loopcharts_render_samples <stats dir> <out dir>

#include "ChartConfiguration.h"
#include "ChartRenderer.h"
#include "LoopChartRebuild.h"
#include "OffsetHistogramModel.h"
#include "StatisticsFiles.h"
#include "TChart.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

bool Render(const TChart& chart, const QSize& size, const QString& path)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawTo(chart, painter, QRect(QPoint(0, 0), size));
    painter.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <statistics directory> <output directory>\n", argv[0]);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDir);

    StatisticsFiles files;
    files.OpenPath(QString::fromLocal8Bit(argv[1]));

    struct Named
    {
        ChartId Id;
        const char* File;
        TChart Chart;
    };
    Named charts[] = {
        { ChartId::Offsets, "offsets.png", {} },
        { ChartId::OffsetVsTOD, "offset-tod.png", {} },
        { ChartId::AbsFrequency, "abs-frequency.png", {} },
        { ChartId::Frequency, "frequency.png", {} },
        { ChartId::FreqVsTOD, "frequency-tod.png", {} },
        { ChartId::Jitter, "jitter.png", {} },
        { ChartId::LoopstatsPollInterval, "poll.png", {} },
    };
    for (Named& n : charts)
        ConfigureChart(n.Chart, n.Id);

    for (bool weighted : { false, true }) {
        LoopRebuildInputs inputs;
        inputs.Store = &files.Loop;
        inputs.LatestTime = files.LatestTime;
        inputs.DirectoryLabel = files.DirectoryLabel;
        inputs.LoopFilesRead = files.LoopFilesRead;
        inputs.PlotHours = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 168;
        inputs.ExponentialAverage = weighted;
        LoopRebuildResults results = BuildLoopCharts(inputs,
            { &charts[0].Chart, &charts[1].Chart, &charts[2].Chart, &charts[3].Chart, &charts[4].Chart,
                &charts[5].Chart, &charts[6].Chart });
        for (const QString& message : results.Messages)
            std::fprintf(stderr, "message: %s\n", qPrintable(message));
        const QSize size(964, 440);
        if (weighted) {
            Render(charts[5].Chart, size, outDir + "/jitter-weighted.png");
            continue;
        }
        for (Named& n : charts)
            Render(n.Chart, size, outDir + '/' + n.File);
        OffsetHistogramModel histogram;
        histogram.TakeOffsets(std::move(results.OffsetCopy), results.OffsetClipLimit);
        histogram.Recompute();
        Render(histogram.Chart(), QSize(535, 341), outDir + "/histogram.png");
        std::printf("%d samples plotted, clip limit %g us\n", results.PlottedPointCount, results.OffsetClipLimit);
    }
    return 0;
}
