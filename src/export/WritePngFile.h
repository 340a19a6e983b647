#pragma once

#include "TPngImage.h"

#include <QString>

class QImage;

// Writes bitmap as a PNG file with the chart-image settings: deflate level 4, row
// filters none, sub and Paeth, and the four text chunks. Returns true; every failure
// (unsupported bitmap, file not creatable, libpng error, write error) is thrown as
// TPngError and leaves no file under fileName.
bool WritePngFile(const QImage& bitmap, const QString& fileName, const QString& author, const QString& title,
    const QString& software, const QString& description, TPngImage::ProgressHandler onProgress = {});
