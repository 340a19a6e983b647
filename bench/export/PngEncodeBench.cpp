#include "TPngImage.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// Something like a chart: a light background, grid lines and a few thousand line
// segments of a noisy series, which is what the encoder meets when saving.
QImage ChartLikeImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(240, 240, 240));
    QPainter painter(&image);
    painter.setPen(QColor(200, 200, 200));
    for (int x = 0; x < width; x += 50)
        painter.drawLine(x, 0, x, height);
    for (int y = 0; y < height; y += 40)
        painter.drawLine(0, y, width, y);
    painter.setPen(QColor(0, 0, 200));
    std::uint32_t state = 1;
    QPointF last(0, height / 2.0);
    for (int x = 1; x < width; ++x) {
        state = state * 1664525u + 1013904223u;
        const QPointF next(x, height / 2.0 + ((state >> 16) % 200) - 100.0);
        painter.drawLine(last, next);
        last = next;
    }
    return image;
}

void EncodeChartImage(benchmark::State& state)
{
    const QImage image = ChartLikeImage(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    qint64 bytes = 0;
    for (auto _ : state) {
        TPngImage png;
        png.AssignFromBitmap(image);
        png.SetCompressionLevel(4);
        png.SetFilters(0x98);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        png.SaveToStream(buffer);
        bytes = buffer.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(state.iterations() * image.sizeInBytes());
}

} // namespace

BENCHMARK(EncodeChartImage)->Args({ 800, 500 })->Args({ 1920, 1080 })->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
