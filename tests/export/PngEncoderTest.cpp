#include "PngInspection.h"
#include "TPngError.h"
#include "TPngImage.h"
#include "WritePngFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// A picture with distinct values in every channel, so a swapped or shifted byte shows.
QImage Pattern(QImage::Format format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor((x * 37 + y * 11) % 256, (x * 5 + y * 91) % 256, (x + y * 3) % 256));
    }
    return image.convertToFormat(format);
}

QImage Indexed(const QList<QRgb>& palette, int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(palette);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, static_cast<uint>((x + y) % palette.size()));
    }
    return image;
}

QList<QRgb> GreyRamp(int count)
{
    QList<QRgb> ramp;
    for (int i = 0; i < count; ++i)
        ramp.append(qRgb(i, i, i));
    return ramp;
}

QByteArray EncodeToMemory(TPngImage& png)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    png.SaveToStream(buffer);
    return buffer.data();
}

// Every pixel of the decoded file against the source image.
void ExpectSamePixels(const DecodedPng& decoded, const QImage& source)
{
    ASSERT_EQ(decoded.Width, source.width());
    ASSERT_EQ(decoded.Height, source.height());
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QColor expected = source.pixelColor(x, y);
            const std::size_t at = 3 * static_cast<std::size_t>(y * source.width() + x);
            ASSERT_EQ(decoded.Rgb[at], expected.red()) << x << "," << y;
            ASSERT_EQ(decoded.Rgb[at + 1], expected.green()) << x << "," << y;
            ASSERT_EQ(decoded.Rgb[at + 2], expected.blue()) << x << "," << y;
        }
    }
}

const PngChunk* FindChunk(const std::vector<PngChunk>& chunks, const std::string& type)
{
    for (const PngChunk& chunk : chunks) {
        if (chunk.Type == type)
            return &chunk;
    }
    return nullptr;
}

std::vector<std::string> TextChunks(const std::vector<PngChunk>& chunks)
{
    std::vector<std::string> texts;
    for (const PngChunk& chunk : chunks) {
        if (chunk.Type == "tEXt")
            texts.push_back(chunk.Data.toStdString());
    }
    return texts;
}

std::string Text(const char* keyword, const char* text)
{
    return std::string(keyword) + '\0' + text;
}

struct FormatCase
{
    const char* name;
    std::function<QImage()> make;
    int colorType;
    bool hasPalette;
};

class PngFormats : public ::testing::TestWithParam<FormatCase>
{ };

TEST_P(PngFormats, DecodesToTheSourcePixelsWithTheExpectedColourType)
{
    const QImage source = GetParam().make();
    TPngImage png;
    png.AssignFromBitmap(source);
    const QByteArray file = EncodeToMemory(png);

    const auto decoded = DecodePng(file);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->BitDepth, 8);
    EXPECT_EQ(decoded->ColorType, GetParam().colorType);
    ExpectSamePixels(*decoded, source);

    const std::vector<PngChunk> chunks = ReadChunks(file);
    const PngChunk* plte = FindChunk(chunks, "PLTE");
    ASSERT_EQ(plte != nullptr, GetParam().hasPalette);
    if (plte) {
        const QList<QRgb> table = source.colorTable();
        ASSERT_EQ(plte->Data.size(), 3 * table.size());
        for (qsizetype i = 0; i < table.size(); ++i) {
            EXPECT_EQ(static_cast<unsigned char>(plte->Data[3 * i]), qRed(table[i]));
            EXPECT_EQ(static_cast<unsigned char>(plte->Data[3 * i + 1]), qGreen(table[i]));
            EXPECT_EQ(static_cast<unsigned char>(plte->Data[3 * i + 2]), qBlue(table[i]));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, PngFormats,
    ::testing::Values(FormatCase { "BlueCornerRgb",
                          [] {
                              QImage image(3, 2, QImage::Format_RGB888);
                              image.fill(Qt::white);
                              image.setPixelColor(0, 0, QColor(0, 0, 255));
                              return image;
                          },
                          2, false },
        FormatCase { "Rgb888", [] { return Pattern(QImage::Format_RGB888, 17, 9); }, 2, false },
        FormatCase { "Bgr888", [] { return Pattern(QImage::Format_BGR888, 17, 9); }, 2, false },
        FormatCase { "GreyRampPalette", [] { return Indexed(GreyRamp(256), 19, 7); }, 0, false },
        FormatCase { "ShortGreyRampPalette", [] { return Indexed(GreyRamp(16), 19, 7); }, 0, false },
        FormatCase { "ColourPalette",
            [] {
                return Indexed({ qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(10, 20, 30) }, 5, 4);
            },
            3, true },
        FormatCase { "Grayscale8", [] { return Pattern(QImage::Format_Grayscale8, 11, 6); }, 0, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PngEncoder, AssignFromBitmapRejectsOtherDepthsAndKeepsTheFormerImage)
{
    TPngImage png;
    png.AssignFromBitmap(Pattern(QImage::Format_RGB888, 4, 3));
    for (const QImage& bad : { Pattern(QImage::Format_RGB32, 4, 4), Pattern(QImage::Format_ARGB32, 4, 4),
             Pattern(QImage::Format_RGB16, 4, 4), QImage() }) {
        try {
            png.AssignFromBitmap(bad);
            ADD_FAILURE() << "accepted format " << bad.format();
        } catch (const TPngError& e) {
            EXPECT_STREQ(e.what(), "Unsupported bitmap format");
        }
    }
    EXPECT_EQ(png.Width(), 4u);
    EXPECT_EQ(png.Height(), 3u);
    EXPECT_EQ(png.ColorType(), 2);
}

TEST(PngEncoder, PaletteIndexesPastTheColourTableBecomeBlack)
{
    QImage image = Indexed({ qRgb(1, 2, 3), qRgb(200, 0, 0) }, 4, 4);
    image.scanLine(3)[3] = 9; // setPixel refuses indexes past the table
    TPngImage png;
    png.AssignFromBitmap(image);
    const QByteArray file = EncodeToMemory(png);
    const auto decoded = DecodePng(file);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->ColorType, 3);
    EXPECT_EQ(FindChunk(ReadChunks(file), "PLTE")->Data.size(), 30);
    const std::size_t last = 3 * 15;
    EXPECT_EQ(decoded->Rgb[last] + decoded->Rgb[last + 1] + decoded->Rgb[last + 2], 0);
    EXPECT_EQ(decoded->Rgb[3], 200); // pixel (1, 0) keeps its entry
}

TEST(PngEncoder, UnsupportedBitmapCreatesNoFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("x.png"));
    EXPECT_THROW(WritePngFile(Pattern(QImage::Format_ARGB32, 4, 4), name, "a", "t", "s", "d"), TPngError);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// The file layout the chart images rely on: header, four text chunks in this order,
// image data, then the modification time in UTC.
TEST(PngEncoder, WritePngFileLaysOutChunksTextAndUtcTime)
{
    // Far from UTC, so a local time in tIME would show.
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Pacific/Kiritimati");
    tzset();

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("chart.png"));
    const std::time_t before = std::time(nullptr);
    ASSERT_TRUE(WritePngFile(Pattern(QImage::Format_RGB888, 300, 200), name, "Brannock", "NTP performance data",
        "Ferncastle Software", "NTP performance data"));
    const std::time_t after = std::time(nullptr);
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();

    const QByteArray file = ReadWholeFile(name);
    const std::vector<PngChunk> chunks = ReadChunks(file);
    std::vector<std::string> types = ChunkTypes(chunks);
    types.erase(std::unique(types.begin(), types.end()), types.end());
    EXPECT_THAT(types, ElementsAre("IHDR", "tEXt", "IDAT", "tIME", "IEND"));
    EXPECT_THAT(TextChunks(chunks),
        ElementsAre(Text("Author", "Brannock"), Text("Description", "NTP performance data"),
            Text("Software", "Ferncastle Software"), Text("Title", "NTP performance data")));

    const QByteArray& ihdr = chunks.front().Data;
    EXPECT_EQ(ihdr.mid(8), QByteArray("\x08\x02\x00\x00\x00", 5)); // depth, type, methods

    const PngChunk* time = FindChunk(chunks, "tIME");
    ASSERT_TRUE(time);
    ASSERT_EQ(time->Data.size(), 7);
    const auto byte = [&](int i) { return static_cast<unsigned char>(time->Data[i]); };
    std::tm stamp {};
    stamp.tm_year = (byte(0) << 8 | byte(1)) - 1900;
    stamp.tm_mon = byte(2) - 1;
    stamp.tm_mday = byte(3);
    stamp.tm_hour = byte(4);
    stamp.tm_min = byte(5);
    stamp.tm_sec = byte(6);
    const std::time_t written = timegm(&stamp);
    EXPECT_GE(written, before);
    EXPECT_LE(written, after);

    // Rows may only use the filters allowed for chart images: none, sub or Paeth.
    const auto decoded = DecodePng(file);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->RowFilters.size(), 200u);
    for (std::uint8_t filter : decoded->RowFilters)
        EXPECT_TRUE(filter == 0 || filter == 1 || filter == 4) << int(filter);
}

// Without a progress handler the encoder filters and compresses the rows itself; with
// one, libpng does, reporting each row. Both must write the same file, byte for byte
// (but for the time in tIME): the same filter on every row, the same zlib stream and
// the same IDAT chunks.
TEST(PngEncoder, RowsFilteredHereMatchLibpngByteForByte)
{
    QImage noise(160, 120, QImage::Format_RGB888);
    std::uint32_t state = 3;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.bytesPerLine(); ++x) {
            state = state * 1664525u + 1013904223u;
            // Runs of equal bytes between the noise, so that every filter wins some rows.
            noise.scanLine(y)[x] = y % 5 == 0 ? std::uint8_t(x / 7) : std::uint8_t(state >> 24);
        }
    }
    QImage chart(300, 200, QImage::Format_RGB888);
    chart.fill(QColor(240, 240, 240));
    {
        QPainter painter(&chart);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 0, 200), 1.5));
        for (int x = 0; x < 300; x += 3)
            painter.drawLine(QPointF(x, 100 + (x * 37) % 80), QPointF(x + 3, 100 - (x * 53) % 90));
        painter.setPen(QColor(128, 128, 128));
        for (int y = 20; y < 200; y += 40)
            painter.drawLine(0, y, 300, y);
    }
    const struct
    {
        const char* name;
        QImage image;
    } images[] = {
        { "chart", chart },
        { "noise", noise },
        { "pattern", Pattern(QImage::Format_RGB888, 257, 31) },
        { "grey ramp", Indexed(GreyRamp(256), 180, 120) },
        { "palette", Indexed({ qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(9, 9, 200) }, 130, 140) },
        { "one pixel wide", Pattern(QImage::Format_RGB888, 1, 7000) },
        { "one row", Pattern(QImage::Format_RGB888, 9000, 1) },
    };
    // 0x01 and 0x09 hold a single filter's number in their low bits, which libpng reads
    // its own way (Sub alone, and None with the strategy for filtered data).
    const int filterSets[] = { 0x98, 0x38, 0xf8, 0x08, 0x10, 0x20, 0x40, 0x80, 0xc0, 0x01, 0x09 };
    const auto encode = [](const QImage& image, int filters, bool withProgress) {
        TPngImage png;
        png.AssignFromBitmap(image);
        png.SetCompressionLevel(4);
        png.SetFilters(filters);
        png.Title = QStringLiteral("Peer offset");
        if (withProgress)
            png.SetOnProgress([](TPngImage&, TPngImage::ProgressStage, int, bool, const QRect&, const QString&) {});
        return ReadChunks(EncodeToMemory(png));
    };
    for (const auto& image : images) {
        for (const int filters : filterSets) {
            SCOPED_TRACE(std::string(image.name) + " filters " + std::to_string(filters));
            const std::vector<PngChunk> libpng = encode(image.image, filters, true);
            const std::vector<PngChunk> here = encode(image.image, filters, false);
            ASSERT_EQ(ChunkTypes(here), ChunkTypes(libpng));
            for (std::size_t k = 0; k < here.size(); ++k) {
                if (here[k].Type == "tIME")
                    EXPECT_EQ(here[k].Data.size(), 7);
                else
                    EXPECT_EQ(here[k].Data, libpng[k].Data) << here[k].Type << " chunk " << k;
            }
        }
    }
}

TEST(PngEncoder, BlankTextsAreSkippedAndOthersKeepTheirBlanks)
{
    TPngImage png;
    png.AssignFromBitmap(Pattern(QImage::Format_RGB888, 2, 2));
    png.Author = QString();
    png.Description = QStringLiteral(" \t\r\n");
    png.Software = QStringLiteral("   ");
    png.Title = QStringLiteral("  two  blanks ");
    EXPECT_THAT(TextChunks(ReadChunks(EncodeToMemory(png))), ElementsAre(Text("Title", "  two  blanks ")));
}

TEST(PngEncoder, WritingOverAnExistingFileReplacesIt)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("again.png"));
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    const QImage source = Pattern(QImage::Format_RGB888, 5, 5);
    ASSERT_TRUE(WritePngFile(source, name, "a", "t", "s", "d"));
    const auto decoded = DecodePng(ReadWholeFile(name));
    ASSERT_TRUE(decoded);
    ExpectSamePixels(*decoded, source);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// Every way a write can fail ends in TPngError, not in an abort inside libpng, and a
// file that was under the name before survives.
TEST(PngEncoder, FailuresThrowAndLeaveExistingFilesAlone)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("keep.png"));
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }

    struct Case
    {
        const char* name;
        std::function<void(TPngImage&)> prepare;
        const char* messagePart;
    };
    const Case cases[] = {
        { "never assigned", [](TPngImage&) {}, "width is zero" },
        { "wider than libpng allows",
            [](TPngImage& png) { png.AssignFromBitmap(QImage(1000001, 1, QImage::Format_Grayscale8)); },
            "exceeds user limit" },
        { "unknown row filter",
            [](TPngImage& png) {
                png.AssignFromBitmap(Pattern(QImage::Format_RGB888, 3, 3));
                png.SetFilters(0x07);
            },
            "filter" },
        { "single write request above 8193 bytes",
            [](TPngImage& png) {
                png.AssignFromBitmap(Pattern(QImage::Format_RGB888, 3, 3));
                png.Description = QString(9000, QLatin1Char('d'));
            },
            "buffer override: needed 9000" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPngImage png;
        c.prepare(png);
        try {
            png.SaveToFile(existing);
            ADD_FAILURE() << "no error";
        } catch (const TPngError& e) {
            EXPECT_THAT(QString::fromUtf8(e.what()).toLower().toStdString(), HasSubstr(c.messagePart));
        }
        EXPECT_EQ(ReadWholeFile(existing), QByteArray("old"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST(PngEncoder, StreamWriteFailuresThrow)
{
    TPngImage png;
    png.AssignFromBitmap(Pattern(QImage::Format_RGB888, 64, 64));

    QBuffer closed;
    EXPECT_THROW(png.SaveToStream(closed), TPngError);

    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    EXPECT_THROW(png.SaveToStream(full), TPngError);
}

TEST(PngEncoder, FileInAMissingDirectoryIsAnError)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("missing/x.png"));
    EXPECT_THROW(WritePngFile(Pattern(QImage::Format_RGB888, 2, 2), name, "a", "t", "s", "d"), TPngError);
    EXPECT_FALSE(QFile::exists(name));
}

struct ProgressCall
{
    TPngImage::ProgressStage stage;
    int percent;
    QString message;
};

std::vector<ProgressCall> RecordProgress(std::uint32_t height, std::int64_t msPerRow)
{
    TPngImage png;
    png.AssignFromBitmap(Pattern(QImage::Format_RGB888, 3, static_cast<int>(height)));
    std::int64_t now = 1000;
    png.SetTickSource([&] { return now += msPerRow; });
    std::vector<ProgressCall> calls;
    png.SetOnProgress([&](TPngImage& sender, TPngImage::ProgressStage stage, int percent, bool redraw,
                          const QRect& rect, const QString& message) {
        EXPECT_EQ(&sender, &png);
        EXPECT_FALSE(redraw);
        EXPECT_TRUE(rect.isEmpty());
        calls.push_back({ stage, percent, message });
    });
    EncodeToMemory(png);
    return calls;
}

std::vector<int> RunningPercents(const std::vector<ProgressCall>& calls)
{
    std::vector<int> percents;
    for (const ProgressCall& call : calls) {
        if (call.stage == TPngImage::ProgressStage::Running) {
            EXPECT_EQ(call.message, QStringLiteral("Running"));
            percents.push_back(call.percent);
        }
    }
    return percents;
}

TEST(PngEncoderProgress, RowNotificationsAreLimitedToOnePer100Ms)
{
    struct Case
    {
        std::int64_t msPerRow;
        std::vector<int> percents;
    };
    // Ten rows; libpng reports rows 1 to 10. More than 100 ms must pass between two
    // notifications: exactly 100 is not enough.
    const Case cases[] = {
        { 0, { 10 } },
        { 50, { 10, 40, 70, 100 } },
        { 100, { 10, 30, 50, 70, 90 } },
        { 101, { 10, 20, 30, 40, 50, 60, 70, 80, 90, 100 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.msPerRow);
        const std::vector<ProgressCall> calls = RecordProgress(10, c.msPerRow);
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls.front().stage, TPngImage::ProgressStage::Starting);
        EXPECT_EQ(calls.front().percent, 0);
        EXPECT_EQ(calls.front().message, QStringLiteral("Starting PNG write"));
        EXPECT_EQ(calls.back().stage, TPngImage::ProgressStage::Ending);
        EXPECT_EQ(calls.back().percent, 100);
        EXPECT_EQ(calls.back().message, QStringLiteral("Ended PNG write"));
        EXPECT_EQ(RunningPercents(calls), c.percents);
    }
}

TEST(PngEncoderProgress, PercentIsWholeNumberDivisionOfRowsDone)
{
    EXPECT_EQ(RunningPercents(RecordProgress(3, 1000)), (std::vector<int> { 33, 66, 100 }));
}

TEST(PngEncoderProgress, AThrowingHandlerFailsTheWriteCleanly)
{
    TPngImage png;
    png.AssignFromBitmap(Pattern(QImage::Format_RGB888, 3, 5));
    png.SetOnProgress([](TPngImage&, TPngImage::ProgressStage stage, int, bool, const QRect&, const QString&) {
        if (stage == TPngImage::ProgressStage::Running)
            throw std::runtime_error("cancelled by handler");
    });
    try {
        EncodeToMemory(png);
        ADD_FAILURE() << "no error";
    } catch (const TPngError& e) {
        EXPECT_STREQ(e.what(), "cancelled by handler");
    }
}

} // namespace
