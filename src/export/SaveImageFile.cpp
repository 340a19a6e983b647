#include "SaveImageFile.h"

#include "WritePngFile.h"

#include <QImage>

#include <exception>

bool SaveImageFile(QImage image, const QString& path, const PngTextMetadata& metadata)
{
    if (image.height() <= 0)
        return false;
    try {
        if (image.format() != QImage::Format_RGB888)
            image.convertTo(QImage::Format_RGB888);
        return WritePngFile(image, path, metadata.Author, metadata.Title, metadata.Software, metadata.Description);
    } catch (const std::exception&) {
        // The saver's contract is a left-out file, not an error: the caller lists what
        // was written and names the directory when nothing was.
        return false;
    }
}
