#pragma once

#include <QSize>
#include <QString>

class QPainter;
struct ChartRow;
class StatisticsDocument;

// The two formats images are written in: PNG (what "Save" writes) and SVG.
enum class ImageFormat { Png, Svg };

// ".png" or ".svg".
QString ImageExtension(ImageFormat format);

// The size of a row's image: a chart's model size, or that of the table's image (the
// peer table, the summary) in the application's font; empty for a row without a picture.
QSize RowImageSize(const StatisticsDocument& document, const ChartRow& row);

// Draws a row's image onto a canvas of RowImageSize with any painter, by the routine that
// draws it on screen and into PNG files: a chart as lines and texts, a table as the
// picture of it.
void DrawRowImage(const StatisticsDocument& document, const ChartRow& row, QPainter& painter);

// Writes the row's image in the format to path, through a temporary file renamed into
// place: a file under path is either the old one or the complete new one. False when
// nothing was written (no picture, or any failure).
bool SaveRowImage(const StatisticsDocument& document, const ChartRow& row, const QString& path, ImageFormat format);
