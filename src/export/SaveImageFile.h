#pragma once

#include "PngTextMetadata.h"

#include <QImage>
#include <QString>

// Writes image as a 24-bit PNG (converted when it comes in another format) with the
// given text chunks. The data goes to a temporary file in the same directory that is
// renamed to path only when complete, so a failure half-way (disk full, permission
// lost, encoder error) leaves no truncated file under path and leaves a file that was
// already there untouched. Returns false, without reporting, when nothing was
// written: an image of height 0, or any failure. An image handed over (moved in) is
// converted where it lies, without a second buffer.
bool SaveImageFile(QImage image, const QString& path, const PngTextMetadata& metadata);
